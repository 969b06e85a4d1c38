// The demo engine's meters block, checked against the level formula worked out by hand.

#include "engine/demo_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace qv {
namespace {

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
    EXPECT_EQ(block->entries[0].flags, 1u);

    // Slot 1: the instrument, stereo, base -20 dB; second draw.
    auto [l1, r1] = expectedLevels(1, -20, false, t, lcg.next());
    EXPECT_NEAR(block->entries[1].left, l1, l1 * 1e-4);
    EXPECT_NEAR(block->entries[1].right, r1, r1 * 1e-4);

    // Slot 2: the webcam microphone, whose endpoint is inactive: silent, and no draw.
    EXPECT_STREQ(block->entries[2].id, "in:demo-in3");
    EXPECT_EQ(block->entries[2].left, 0.0f);
    EXPECT_EQ(block->entries[2].right, 0.0f);
    EXPECT_EQ(block->entries[2].flags, 3u);

    // Slot 3: Discord, an application; third draw.
    auto [l3, r3] = expectedLevels(3, -16, false, t, lcg.next());
    EXPECT_NEAR(block->entries[3].left, l3, l3 * 1e-4);
    EXPECT_NEAR(block->entries[3].right, r3, r3 * 1e-4);
    EXPECT_EQ(block->entries[3].flags, 9u);

    // Slot 7: the all-sounds source, base -11 dB; after the draws of slots 4 to 6.
    for (int k = 4; k <= 6; ++k)
        lcg.next();
    auto [l7, r7] = expectedLevels(7, -11, false, t, lcg.next());
    EXPECT_STREQ(block->entries[7].id, "system");
    EXPECT_NEAR(block->entries[7].left, l7, l7 * 1e-4);
    EXPECT_EQ(block->entries[7].flags, 1u);
}

TEST_F(DemoMetersTest, HeaderAndDevices) {
    DemoEngine engine(true, true);
    engine.fillMeters(*block, 0);
    EXPECT_EQ(block->magic, kMeterMagic);
    EXPECT_EQ(block->version, 1u);
    EXPECT_EQ(block->capacity, 128u);
    EXPECT_EQ(block->sequence, 0u);
    EXPECT_EQ(block->count, 12u);
    EXPECT_EQ(block->frame, 1u);
    EXPECT_FLOAT_EQ(block->figureA, 9.8f);
    EXPECT_FLOAT_EQ(block->figureB, 0.4f);

    const struct {
        int slot;
        const char* id;
        uint32_t flags;
    } devices[] = {{8, "out:demo-hp", 0},
                   {9, "out:demo-spk", 0},
                   {10, "out:demo-usb", 2},
                   {11, "virtual_mic", 0}};
    for (const auto& d : devices) {
        const MeterEntry& e = block->entries[d.slot];
        EXPECT_STREQ(e.id, d.id);
        EXPECT_EQ(e.flags, d.flags) << d.id;
        EXPECT_FLOAT_EQ(e.left, 0.1f);
        EXPECT_FLOAT_EQ(e.right, 0.1f);
    }
    EXPECT_EQ(block->entries[12].id[0], '\0');

    engine.fillMeters(*block, 16);
    EXPECT_EQ(block->frame, 2u);
}

TEST_F(DemoMetersTest, MutedStripsCarryTheirFlags) {
    DemoEngine engine(true, true);
    for (const char* id : {"in:demo-mic", "in:demo-in3", "app:discord.exe", "system"}) {
        const auto r =
            engine.handle(nlohmann::json{{"cmd", "setSource"}, {"id", id}, {"mute", true}}, 0);
        ASSERT_EQ(r.back()["ok"], true) << id;
    }
    engine.fillMeters(*block, 100);
    EXPECT_EQ(block->entries[0].flags, 5u);
    EXPECT_EQ(block->entries[2].flags, 7u);
    EXPECT_EQ(block->entries[3].flags, 13u);
    EXPECT_EQ(block->entries[4].flags, 9u);
    EXPECT_EQ(block->entries[7].flags, 5u);
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
