// The demo engine's meters block, checked against the level formula worked out by hand.

#include "engine/demo_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace qv {
namespace {

using nlohmann::json;

// The generator written out independently: state = state * 1664525 + 1013904223 (mod 2^32),
// u = top 24 bits / 2^24.
struct Lcg {
    uint32_t state = 12345;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

// Left and right of source slot i with base level `baseDb`, at time t seconds.
std::pair<double, double> expectedLevels(int i, double baseDb, bool mono, double t, double u) {
    const double p = i * 1.37;
    const double e = 0.25 * std::sin((0.17 * i + 2.3) * t + 2 * p) +
                     0.25 * std::sin((0.3 * i + 0.9) * t + p) + 0.5;
    const double db = baseDb - (1 - e) * 22 + (u - 0.5) * 3;
    const double left = std::pow(10.0, db / 20);
    const double right =
        mono ? left : left * std::pow(10.0, (1.5 * std::sin(0.7 * t + p) - 1.5) / 20);
    return {left, right};
}

class DemoMetersTest : public ::testing::Test {
protected:
    void SetUp() override { resetDemoNoise(); }
    std::unique_ptr<MeterBlock> block = std::make_unique<MeterBlock>();
};

TEST_F(DemoMetersTest, LevelsFollowTheFormula) {
    DemoEngine engine(true, true);
    engine.fillMeters(*block, 1500);
    Lcg lcg;
    const double t = 1.5;

    // Slot 0: the USB microphone, mono, base -12 dB; first draw.
    auto [l0, r0] = expectedLevels(0, -12, true, t, lcg.next());
    EXPECT_STREQ(block->entries[0].id, "in:demo-mic");
    EXPECT_NEAR(block->entries[0].left, l0, l0 * 1e-4);
    EXPECT_EQ(block->entries[0].right, block->entries[0].left);

    // Slot 1 takes the second draw. Slot 2, the webcam microphone, has an inactive endpoint:
    // silent, and it takes no draw, so Discord in slot 3 gets the third.
    lcg.next();
    EXPECT_EQ(block->entries[2].left, 0.0f);
    EXPECT_EQ(block->entries[2].right, 0.0f);
    auto [l3, r3] = expectedLevels(3, -16, false, t, lcg.next());
    EXPECT_NEAR(block->entries[3].left, l3, l3 * 1e-4);
    EXPECT_NEAR(block->entries[3].right, r3, r3 * 1e-4);
}

// Flags: 1 mono, 2 unavailable, 4 muted, 8 application. Devices sit after the sources.
TEST_F(DemoMetersTest, HeaderAndFlags) {
    DemoEngine engine(true, true);
    engine.fillMeters(*block, 0);
    EXPECT_EQ(block->magic, kMeterMagic);
    EXPECT_EQ(block->version, 1u);
    EXPECT_EQ(block->capacity, 128u);
    EXPECT_EQ(block->sequence, 0u);
    EXPECT_EQ(block->count, 12u);
    EXPECT_EQ(block->frame, 1u);
    EXPECT_EQ(block->entries[12].id[0], '\0');
    engine.fillMeters(*block, 16);
    EXPECT_EQ(block->frame, 2u);

    const struct {
        int slot;
        const char* id;
        uint32_t flags, mutedFlags; // mutedFlags 0: not muted here
    } entries[] = {{0, "in:demo-mic", 1, 5},      {2, "in:demo-in3", 3, 7},
                   {3, "app:discord.exe", 9, 13}, {4, "app:chrome.exe", 9, 0},
                   {7, "system", 1, 5},           {10, "out:demo-usb", 2, 0}};
    for (const auto& e : entries) {
        EXPECT_STREQ(block->entries[e.slot].id, e.id);
        EXPECT_EQ(block->entries[e.slot].flags, e.flags) << e.id;
        if (e.mutedFlags != 0) {
            const auto r =
                engine.handle(json{{"cmd", "setSource"}, {"id", e.id}, {"mute", true}}, 0);
            ASSERT_EQ(r.back()["ok"], true) << e.id;
        }
    }
    engine.fillMeters(*block, 100);
    for (const auto& e : entries)
        EXPECT_EQ(block->entries[e.slot].flags, e.mutedFlags ? e.mutedFlags : e.flags) << e.id;
}

TEST_F(DemoMetersTest, LongIdsAreCutOnACharacterBoundaryAndSlotsAreCapped) {
    DemoEngine engine(true, true);
    MixerConfig config = engine.config();
    Source longName;
    longName.id = "app:";
    for (int k = 0; k < 100; ++k)
        longName.id += "ж"; // two bytes each; 4 + 115 = 119 would split the 58th letter
    longName.exeName = longName.id.substr(4);
    config.sources.insert(config.sources.begin(), longName);
    for (int k = 0; k < 130; ++k) {
        Device d;
        d.id = "out:extra-" + std::to_string(k);
        config.devices.push_back(d);
    }
    engine.replaceConfig(config);
    engine.fillMeters(*block, 100);

    const std::string first(block->entries[0].id);
    EXPECT_EQ(first.size(), 118u);
    EXPECT_EQ(first, longName.id.substr(0, 118));
    EXPECT_EQ(block->count, 128u);
    EXPECT_STREQ(block->entries[127].id, "out:extra-114");
}

} // namespace
} // namespace qv
