// The demo engine's meters block: levels, flags, and ids cut to their slot.

#include "engine/demo_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace qv {
namespace {

using nlohmann::json;

class DemoMetersTest : public ::testing::Test {
protected:
    void SetUp() override { resetDemoNoise(); }
    std::unique_ptr<MeterBlock> block = std::make_unique<MeterBlock>();
};

// The levels are animation, so only what the meters rely on is checked: every source level is a
// linear amplitude in (0, 1], a mono source has equal sides, an inactive endpoint is silent, and
// the same noise seed gives the same block while time moves the levels.
TEST_F(DemoMetersTest, LevelsAreAmplitudesDrivenByTimeAndSeed) {
    DemoEngine engine(true, true);
    engine.fillMeters(*block, 1500);
    for (int i : {0, 1, 3, 7})
        for (float level : {block->entries[i].left, block->entries[i].right})
            EXPECT_TRUE(level > 0.0f && level <= 1.0f) << i << " " << level;
    EXPECT_EQ(block->entries[0].right, block->entries[0].left); // the USB microphone is mono
    EXPECT_NE(block->entries[1].right, block->entries[1].left);
    EXPECT_EQ(block->entries[2].left, 0.0f); // the webcam microphone's endpoint is inactive
    EXPECT_EQ(block->entries[2].right, 0.0f);

    auto again = std::make_unique<MeterBlock>();
    resetDemoNoise();
    DemoEngine(true, true).fillMeters(*again, 1500);
    EXPECT_EQ(std::memcmp(again->entries, block->entries, sizeof block->entries), 0);
    DemoEngine(true, true).fillMeters(*again, 4000);
    EXPECT_NE(again->entries[0].left, block->entries[0].left);
}

// Flags: 1 mono, 2 unavailable, 4 muted, 8 application. Devices sit after the sources.
TEST_F(DemoMetersTest, HeaderAndFlags) {
    DemoEngine engine(true, true);
    engine.fillMeters(*block, 0);
    EXPECT_EQ(block->magic, kMeterMagic);
    EXPECT_EQ(block->version, kMeterVersion);
    EXPECT_EQ(block->capacity, uint32_t(kMeterSlots));
    EXPECT_EQ(block->count, 12u);
    EXPECT_EQ(block->frame, 1u);
    EXPECT_EQ(block->entries[12].id[0], '\0');

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
