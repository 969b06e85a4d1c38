// setSettings: ranges, ignored keys, the hotkey merge and the density check.

#include "model_fixture.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace qv::test {
namespace {

json setSettings(json fields) {
    fields["cmd"] = "setSettings";
    return fields;
}

TEST(SetSettings, StoresClampedValuesAndIgnoresOtherKeys) {
    const std::vector<std::tuple<json, const char*, json>> cases = {
        {{{"bufferMs", 1}}, "/settings/bufferMs", 3},
        {{{"bufferMs", 500}}, "/settings/bufferMs", 100},
        {{{"bufferMs", std::numeric_limits<double>::quiet_NaN()}}, "/settings/bufferMs", 3},
        {{{"bufferMs", "20"}}, "/settings/bufferMs", 10},
        {{{"safetyMs", -5}}, "/settings/safetyMs", 0},
        {{{"safetyMs", true}}, "/settings/safetyMs", 1},
        {{{"autoSizeWindow", 0}}, "/settings/autoSizeWindow", true},
        {{{"videoFolder", "C:/Видео"}}, "/settings/videoFolder", "C:/Видео"},
        {{{"volumeKnob", "off"}}, "/settings/volumeKnob", "off"},
        {{{"density", 1}}, "/settings/density", "full"},
        {{{"density", "compact"}}, "/settings/density", "compact"},
        {{{"sampleRate", 44100}}, "/settings/sampleRate", 48000},
        {{{"currentScene", "scene1"}}, "/settings/currentScene", ""},
        {{{"recentOutputs", {"a"}}}, "/settings/recentOutputs", json::array()},
        {{{"windowsDefaultsBefore", {{"render", "x"}}}},
         "/settings/windowsDefaultsBefore/render",
         ""},
    };
    for (const auto& [fields, pointer, expected] : cases) {
        MixerConfig c;
        const CommandResult r = run(c, setSettings(fields));
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(written(c, pointer), expected) << fields;
        EXPECT_EQ(r.changed, written(MixerConfig{}, pointer) != expected) << fields;
    }
    MixerConfig c;
    c.settings.systemEndpointId = "{speakers}";
    EXPECT_TRUE(run(c, setSettings({{"systemEndpointId", ""}})).changed); // back to automatic
    EXPECT_EQ(c.settings.systemEndpointId, "");
}

TEST(SetSettings, HotkeysMerge) {
    using Map = std::map<std::string, std::string>;
    const Map stored = {{"micMute", "ctrl+vk77"}, {"voice", "vk119"}};
    const std::vector<std::tuple<json, Map>> cases = {
        {{{"micMute", ""}}, {{"voice", "vk119"}}},
        {{{"voice", "vk120"}}, {{"micMute", "ctrl+vk77"}, {"voice", "vk120"}}},
        {{{"showWindow", "mouse4"}, {"voice", nullptr}},
         {{"micMute", "ctrl+vk77"}, {"showWindow", "mouse4"}}},
        {json::object(), stored},
        {{{"voice", "vk119"}, {"absent", ""}}, stored},
        {"micMute", stored}, // not an object
    };
    for (const auto& [hotkeys, expected] : cases) {
        MixerConfig c;
        c.settings.hotkeys = stored;
        const CommandResult r = run(c, setSettings({{"hotkeys", hotkeys}}));
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(c.settings.hotkeys, expected) << hotkeys;
        EXPECT_EQ(r.changed, expected != stored) << hotkeys;
    }
}

TEST(SetSettings, DensityRefusalKeepsEarlierKeys) {
    for (const char* bad : {"Full", "", "dense"}) {
        MixerConfig c;
        const CommandResult r = refuse(
            c, setSettings({{"bufferMs", 20}, {"hotkeys", {{"voice", "vk1"}}}, {"density", bad}}),
            "density: \"full\" или \"compact\"");
        EXPECT_TRUE(r.changed);
        EXPECT_EQ(c.settings.density, "full");
        EXPECT_EQ(c.settings.bufferMs, 20.f);
        EXPECT_EQ(c.settings.hotkeys.at("voice"), "vk1");
    }
}

} // namespace
} // namespace qv::test
