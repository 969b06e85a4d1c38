#include "recorder/preview_frame.h"

#include "recorder/preview_block.h"

#include <atomic>
#include <bit>
#include <cstring>

namespace qv::rec {

static_assert(std::endian::native == std::endian::little,
              "the preview block's words are little-endian and read in place");

std::uint32_t loadPreviewWord(const unsigned char* block, std::size_t offset) {
    return __atomic_load_n(reinterpret_cast<const std::uint32_t*>(block + offset),
                           __ATOMIC_ACQUIRE);
}

void initPreviewHeader(unsigned char* block) {
    std::memset(block, 0, kPreviewHeaderSize);
    auto* words = reinterpret_cast<std::uint32_t*>(block);
    words[kPreviewMagicOffset / 4] = kPreviewMagic;
    words[kPreviewCapacityOffset / 4] = std::uint32_t(kPreviewPixelBytes);
    __atomic_store_n(&words[kPreviewSequenceOffset / 4], 0u, __ATOMIC_RELEASE);
}

FrameRead readPreviewFrame(const unsigned char* block, std::size_t blockSize,
                           std::uint32_t lastSequence, const FrameTarget& target,
                           std::uint32_t* sequence) {
    if (!block || blockSize < kPreviewHeaderSize ||
        reinterpret_cast<std::uintptr_t>(block) % alignof(std::uint32_t) != 0)
        return FrameRead::NoBlock;
    if (loadPreviewWord(block, kPreviewMagicOffset) != kPreviewMagic)
        return FrameRead::NoBlock;

    const std::uint32_t first = loadPreviewWord(block, kPreviewSequenceOffset);
    if (first == 0 || (first & 1u) != 0)
        return FrameRead::Incomplete;
    if (first == lastSequence)
        return FrameRead::Unchanged;

    const std::uint64_t width = loadPreviewWord(block, kPreviewWidthOffset);
    const std::uint64_t height = loadPreviewWord(block, kPreviewHeightOffset);
    const std::uint64_t capacity = loadPreviewWord(block, kPreviewCapacityOffset);
    const std::uint64_t area = blockSize - kPreviewHeaderSize;
    // Each factor is below 2^32, so the product of the first two fits 64 bits; checking it
    // against the area before multiplying by 4 keeps the whole computation exact.
    const std::uint64_t pixels = width * height;
    if (width == 0 || height == 0 || pixels > area / 4)
        return FrameRead::BadSize;
    const std::uint64_t bytes = pixels * 4;
    if (bytes > capacity || bytes > area)
        return FrameRead::BadSize;

    unsigned char* out = target ? target(std::uint32_t(width), std::uint32_t(height)) : nullptr;
    if (!out)
        return FrameRead::NoTarget;
    std::memcpy(out, block + kPreviewHeaderSize, std::size_t(bytes));
    // The copy's loads must complete before the sequence is looked at again.
    std::atomic_thread_fence(std::memory_order_acquire);
    if (__atomic_load_n(reinterpret_cast<const std::uint32_t*>(block + kPreviewSequenceOffset),
                        __ATOMIC_RELAXED) != first)
        return FrameRead::Torn;
    if (sequence)
        *sequence = first;
    return FrameRead::Taken;
}

} // namespace qv::rec
