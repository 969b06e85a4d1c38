// The demo engine's level meters: a slow wobble per strip plus a little noise.

#include "engine/demo_engine.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace qv {

namespace {

std::atomic<uint32_t> g_noiseState{kDemoNoiseSeed};

float baseLevelDb(std::string_view id) {
    struct Level {
        std::string_view id;
        float db;
    };
    static constexpr Level kLevels[] = {
        {"in:demo-mic", -12},    {"in:demo-inst", -20},   {"app:discord.exe", -16},
        {"app:chrome.exe", -22}, {"app:spotify.exe", -9}, {"app:cs2.exe", -6.5f},
        {"system", -11},
    };
    for (const Level& l : kLevels) {
        if (l.id == id)
            return l.db;
    }
    return -24;
}

float dbToAmplitude(float db) {
    return std::pow(10.0f, db / 20.0f);
}

// Copies an id into a slot: at most 119 bytes, never cutting a UTF-8 sequence in two.
void copyId(char (&slot)[kMeterIdBytes], std::string_view id) {
    size_t n = std::min(id.size(), kMeterIdBytes - 1);
    if (n < id.size()) {
        while (n > 0 && (static_cast<unsigned char>(id[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(slot, id.data(), n);
    std::memset(slot + n, 0, kMeterIdBytes - n);
}

} // namespace

float nextDemoNoise() {
    // The update is a read-modify-write on one process-wide state; the loop keeps each draw
    // distinct even if two demo engines run on different threads.
    uint32_t state = g_noiseState.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = state * 1664525u + 1013904223u;
    } while (!g_noiseState.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return static_cast<float>(next >> 8) * (1.0f / 16777216.0f);
}

void resetDemoNoise(uint32_t state) {
    g_noiseState.store(state, std::memory_order_relaxed);
}

void DemoEngine::fillMeters(MeterBlock& out, int64_t clockMs) {
    std::memset(&out, 0, sizeof out);
    const float t = static_cast<float>(clockMs) / 1000.0f;
    uint32_t count = 0;

    for (size_t i = 0; i < config_.sources.size() && count < kMeterSlots; ++i) {
        const Source& s = config_.sources[i];
        MeterEntry& entry = out.entries[count++];
        copyId(entry.id, s.id);
        const bool present = s.kind != SourceKind::PhysicalInput || endpointActive(s.endpointId);
        if (!present) {
            entry.flags = s.mute ? 7 : 3;
            continue;
        }
        const float fi = static_cast<float>(i);
        const float p = phases_[i % phases_.size()];
        const float e = 0.25f * std::sin((0.17f * fi + 2.3f) * t + 2 * p) +
                        0.25f * std::sin((0.3f * fi + 0.9f) * t + p) + 0.5f;
        const float u = nextDemoNoise();
        const float levelDb = baseLevelDb(s.id) - (1 - e) * 22 + (u - 0.5f) * 3;
        entry.left = dbToAmplitude(levelDb);
        entry.right =
            s.mono ? entry.left : entry.left * dbToAmplitude(1.5f * std::sin(0.7f * t + p) - 1.5f);
        if (s.kind == SourceKind::App)
            entry.flags = s.mute ? 13 : 9;
        else
            entry.flags = s.mute ? 5 : 1;
    }

    for (const Device& d : config_.devices) {
        if (count >= kMeterSlots)
            break;
        MeterEntry& entry = out.entries[count++];
        copyId(entry.id, d.id);
        entry.left = entry.right = 0.1f;
        entry.flags = endpointActive(d.endpointId) ? 0 : 2;
    }

    out.magic = kMeterMagic;
    out.version = kMeterVersion;
    out.capacity = kMeterSlots;
    out.sequence = 0;
    out.count = count;
    out.frame = ++meterFrame_;
    out.figureA = 9.8f;
    out.figureB = 0.4f;
}

} // namespace qv
