#pragma once
// The shared-memory meters block written by the engine (17456 bytes, little-endian).

#include <cstddef>
#include <cstdint>

namespace qv {

inline constexpr uint32_t kMeterMagic = 0x544D5651; // "QVMT"
inline constexpr uint32_t kMeterVersion = 1;
inline constexpr int kMeterSlots = 128;
inline constexpr size_t kMeterIdBytes = 120;

struct MeterEntry {
    char id[kMeterIdBytes]; // UTF-8, NUL-terminated, at most 119 bytes of text
    float left;             // linear amplitude
    float right;
    uint32_t flags;
    uint32_t reserved;
};

struct MeterBlock {
    uint32_t magic;
    uint32_t version;
    uint64_t capacity;
    uint32_t sequence; // odd while the writer changes the block
    uint32_t count;
    uint64_t frame;
    uint64_t reserved;
    float figureA;
    float figureB;
    MeterEntry entries[kMeterSlots];
};

static_assert(sizeof(MeterEntry) == 136);
static_assert(offsetof(MeterBlock, sequence) == 16);
static_assert(offsetof(MeterBlock, frame) == 24);
static_assert(offsetof(MeterBlock, figureA) == 40);
static_assert(offsetof(MeterBlock, entries) == 48);
static_assert(sizeof(MeterBlock) == 17456);

inline constexpr size_t kMeterBlockSize = sizeof(MeterBlock);

} // namespace qv
