#pragma once
// Reading one frame out of the preview block with the sequence protocol, the only
// synchronisation with the capture tool, which writes the block from another process.
//
// A frame is taken only when the magic is right, the sequence is even, not 0 and not the one
// taken last, the size is not zero, and width x height x 4 (computed in 64 bits) fits both the
// capacity word and the pixel area that is really there: the capacity word is written by the
// tool and cannot be trusted to keep the copy inside the block. The sequence is read again after
// the copy; a writer that started another frame meanwhile makes the copy worthless.
// No Qt: the Windows tests run it under Wine.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace qv::rec {

enum class FrameRead {
    Taken,      // a new complete frame was copied
    NoBlock,    // no block, too small, misaligned, or not the preview magic
    Unchanged,  // the frame was taken already
    Incomplete, // sequence odd (being written) or 0 (no frame yet)
    BadSize,    // zero size, or larger than the capacity or the pixel area
    NoTarget,   // the caller had nowhere to put it
    Torn,       // the writer changed the frame during the copy
};

// Where to copy a frame of width x height: a buffer of width * height * 4 bytes (rows of
// width * 4 bytes, no padding), or nullptr to skip it.
using FrameTarget = std::function<unsigned char*(std::uint32_t width, std::uint32_t height)>;

// Reads the current frame of `block` (`blockSize` bytes mapped) unless its sequence equals
// `lastSequence`. On Taken, *sequence receives the frame's sequence.
FrameRead readPreviewFrame(const unsigned char* block, std::size_t blockSize,
                           std::uint32_t lastSequence, const FrameTarget& target,
                           std::uint32_t* sequence);

// A header word read atomically with acquire ordering (the block is shared with a writer).
std::uint32_t loadPreviewWord(const unsigned char* block, std::size_t offset);

} // namespace qv::rec
