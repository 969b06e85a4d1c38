#pragma once
// The capture tool's side of the preview block, for the tests' writers (the scripted tool, the
// Windows helper and the tests themselves): a frame published with the sequence protocol, and
// raw header words for damaged frames. No Qt, no system calls.

#include "recorder/preview_block.h"

#include <atomic>
#include <cstdint>
#include <cstring>

namespace qv::rectest {

inline std::uint32_t* previewWords(unsigned char* block) {
    return reinterpret_cast<std::uint32_t*>(block);
}

inline void storePreviewWord(unsigned char* block, std::size_t offset, std::uint32_t value) {
    __atomic_store_n(previewWords(block) + offset / 4, value, __ATOMIC_RELEASE);
}

inline std::uint32_t previewSequence(unsigned char* block) {
    return __atomic_load_n(previewWords(block) + rec::kPreviewSequenceOffset / 4, __ATOMIC_ACQUIRE);
}

// Marks a frame as being written: the sequence becomes odd.
inline void beginPreviewFrame(unsigned char* block) {
    storePreviewWord(block, rec::kPreviewSequenceOffset, previewSequence(block) | 1u);
    std::atomic_thread_fence(std::memory_order_release);
}

// Writes a width x height frame of one pixel word (0x00RRGGBB in memory order B, G, R, 0) and
// publishes it with the next even sequence. The caller keeps width * height within the block.
inline void publishPreviewFrame(unsigned char* block, std::uint32_t width, std::uint32_t height,
                                std::uint32_t pixel) {
    beginPreviewFrame(block);
    const std::uint32_t odd = previewSequence(block);
    storePreviewWord(block, rec::kPreviewWidthOffset, width);
    storePreviewWord(block, rec::kPreviewHeightOffset, height);
    auto* pixels = reinterpret_cast<std::uint32_t*>(block + rec::kPreviewHeaderSize);
    for (std::uint64_t i = 0, n = std::uint64_t(width) * height; i < n; ++i)
        pixels[i] = pixel;
    storePreviewWord(block, rec::kPreviewSequenceOffset, odd + 1);
}

// Writes the header words as given, for frames a correct writer would never publish.
inline void writePreviewHeader(unsigned char* block, std::uint32_t sequence, std::uint32_t width,
                               std::uint32_t height) {
    storePreviewWord(block, rec::kPreviewWidthOffset, width);
    storePreviewWord(block, rec::kPreviewHeightOffset, height);
    storePreviewWord(block, rec::kPreviewSequenceOffset, sequence);
}

} // namespace qv::rectest
