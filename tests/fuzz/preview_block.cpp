// The capture preview frame reader on a block the capture tool might leave behind: the input is
// the mapped block, of whatever size it has.
#include "recorder/preview_frame.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A mapping is page-aligned; so is this copy.
    std::vector<uint64_t> aligned((size + 7) / 8);
    if (size > 0)
        std::memcpy(aligned.data(), data, size);
    const auto* block = reinterpret_cast<const unsigned char*>(aligned.data());
    std::vector<unsigned char> pixels;
    uint64_t asked = 0;
    const qv::rec::FrameTarget target = [&](uint32_t width, uint32_t height) {
        asked = uint64_t(width) * height * 4;
        // A frame larger than the block cannot have been copied out of it.
        if (asked > size)
            std::abort();
        pixels.assign(size_t(asked), 0);
        return pixels.data();
    };
    uint32_t sequence = 0;
    for (uint32_t last : {0u, 2u}) {
        const qv::rec::FrameRead r =
            qv::rec::readPreviewFrame(block, size, last, target, &sequence);
        if (r == qv::rec::FrameRead::Taken && (sequence == 0 || (sequence & 1u)))
            std::abort();
    }
    return 0;
}
