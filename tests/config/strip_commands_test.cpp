// The dispatcher, setConfig, the strip and routing commands, and setSettings.

#include "model_fixture.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace qv::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

json onMic(json fields) {
    fields.update({{"cmd", "setSource"}, {"id", "in:mic"}});
    return fields;
}

json onHeadphones(json fields) {
    fields.update({{"cmd", "setDevice"}, {"id", "out:hp"}});
    return fields;
}

TEST(ApplyCommand, Dispatch) {
    MixerConfig c = smallMixer();
    for (const json& command : {json::array({"cmd", "setSource"}), json("setSource"), json()})
        refuse(c, command, "команда должна быть объектом JSON");
    for (const json& command : {json{{"cmd", "ping"}}, json{{"cmd", 5}}, json{{"id", "x"}}}) {
        const CommandResult r = run(c, command);
        EXPECT_TRUE(!r.handled && r.ok && !r.changed && r.reply.is_null()) << command;
    }
}

TEST(ApplyCommand, RefusalsLeaveTheDocument) {
    const std::vector<std::pair<json, std::string>> cases = {
        {{{"cmd", "setSource"}, {"id", "app:nope.exe"}}, "нет источника «app:nope.exe»"},
        {{{"cmd", "setSource"}, {"id", 5}}, "нет источника «»"},
        {{{"cmd", "setDevice"}, {"id", "out:x"}}, "нет устройства «out:x»"},
        {onHeadphones({{"mode", "compact"}}), "режим устройства: \"all\" или \"apps\""},
        {{{"cmd", "toggleRoute"}, {"source", "app:x"}, {"device", "out:x"}},
         "нет источника «app:x»"},
        {{{"cmd", "toggleRoute"}, {"source", "system"}, {"device", "out:x"}},
         "нет устройства «out:x»"},
        {{{"cmd", "setDeviceAll"}, {"device", "out:x"}}, "нет устройства «out:x»"},
        {{{"cmd", "setDeviceAll"}, {"device", "virtual_mic"}, {"on", true}},
         "«Name of virtual_mic» настраивается через микрофоны"},
        {{{"cmd", "toggleMicTarget"}, {"mic", "app:game.exe"}, {"app", "app:obs.exe"}},
         "нет микрофона «app:game.exe»"},
        {{{"cmd", "toggleMicTarget"}, {"mic", "in:mic"}, {"app", "system"}},
         "нет приложения «system»"},
        {{{"cmd", "setMicAll"}, {"mic", "system"}, {"on", true}}, "нет микрофона «system»"},
        {{{"cmd", "removeDevice"}, {"id", "out:x"}}, "нет устройства «out:x»"},
        {{{"cmd", "removeSource"}, {"id", "in:x"}}, "нет источника «in:x»"},
        {{{"cmd", "removeSource"}, {"id", "system"}},
         "«Все звуки» не удаляется — его можно скрыть"},
        {{{"cmd", "setConfig"}}, "нет поля \"config\""},
        {{{"cmd", "setConfig"}, {"config", "{}"}}, "нет поля \"config\""},
    };
    for (const auto& [command, error] : cases) {
        MixerConfig c = smallMixer();
        const std::string before = serializeConfig(c);
        const CommandResult r = refuse(c, command, error);
        EXPECT_FALSE(r.changed) << command;
        EXPECT_EQ(serializeConfig(c), before) << command;
    }
}

// Each command runs on a fresh mixer; one value of the written document is checked.
TEST(ApplyCommand, StoresClampedValues) {
    const std::vector<std::tuple<json, const char*, json>> cases = {
        {onMic({{"gainDb", 30}}), "/sources/1/gainDb", 12},
        {onMic({{"gainDb", -100}}), "/sources/1/gainDb", -60},
        {onMic({{"gainDb", kNaN}}), "/sources/1/gainDb", -60},
        {onMic({{"gainDb", kInf}}), "/sources/1/gainDb", -60},
        {onMic({{"fx", {{"gate", -1}}}}), "/sources/1/fx/gate", 0},
        {onMic({{"fx", {{"comp", true}}}}), "/sources/1/fx/comp", 1},
        {onMic({{"fx", {{"pan", 2}}}}), "/sources/1/fx/pan", 1},
        {onMic({{"fx", {{"voice", {{"pitch", 20}}}}}}), "/sources/1/fx/voice/pitch", 12},
        {onMic({{"fx", {{"voice", {{"preset", "robot"}}}}}}), "/sources/1/fx/voice/preset",
         "robot"},
        {onMic({{"fx", {{"eq", {{"low", -50}}}}}}), "/sources/1/fx/eq/low", -12},
        {onMic({{"solo", "yes"}}), "/sources/1/solo", false},
        {onMic({{"name", ""}}), "/sources/1/name", "in:mic"},
        {onMic({{"monitor", true}, {"ui", {{"alwaysShow", true}}}}), "/sources/1/ui/alwaysShow",
         true},
        {onHeadphones({{"gainDb", 99}}), "/devices/0/gainDb", 12},
        {onHeadphones({{"latencyCompMs", 900}}), "/devices/0/latencyCompMs", 500},
        {onHeadphones({{"latencyCompMs", -kInf}}), "/devices/0/latencyCompMs", 0},
        {onHeadphones({{"sources", {"app:obs.exe", "app:gone.exe", "system", 3}}}),
         "/devices/0/sources",
         {"app:obs.exe", "system"}},
        {onHeadphones({{"ui", {{"collapsed", true}}}, {"align", false}}), "/devices/0/align",
         false},
    };
    for (const auto& [command, pointer, expected] : cases) {
        MixerConfig c = smallMixer();
        const CommandResult r = run(c, command);
        EXPECT_TRUE(r.ok) << r.error;
        EXPECT_EQ(written(c, pointer), expected) << command;
    }
}

// Fields are applied in order: a refused field leaves the earlier ones applied.
TEST(ApplyCommand, RefusalKeepsEarlierFields) {
    const json appMonitor = {{"cmd", "setSource"},
                             {"id", "app:game.exe"},
                             {"gainDb", -6},
                             {"monitor", true},
                             {"ui", {{"collapsed", true}}}};
    const json badPreset =
        onMic({{"fx", {{"voice", {{"on", true}, {"preset", "Robot"}, {"pitch", 7}}}}}});
    const std::vector<std::tuple<json, std::string, const char*, json>> cases = {
        {appMonitor, "«Слышать себя» — только для микрофона", "/sources/3/gainDb", -6},
        {appMonitor, "«Слышать себя» — только для микрофона", "/sources/3/ui/collapsed", false},
        {badPreset, "голос: неизвестный вариант «Robot»", "/sources/1/fx/voice/on", true},
        {badPreset, "голос: неизвестный вариант «Robot»", "/sources/1/fx/voice/pitch", -5},
        {onMic({{"fx", {{"voice", {{"preset", 4}}}}}}), "голос: неизвестный вариант «»",
         "/sources/1/fx/voice/preset", "low"},
        {onHeadphones({{"mute", true}, {"mode", "All"}}), "режим устройства: \"all\" или \"apps\"",
         "/devices/0/mute", true},
        {onHeadphones({{"gainDb", -4}, {"eq", {{"band", 10}}}}), "эквалайзер: полоса 0…9",
         "/devices/0/gainDb", -4},
    };
    for (const auto& [command, error, pointer, expected] : cases) {
        MixerConfig c = smallMixer();
        refuse(c, command, error);
        EXPECT_EQ(written(c, pointer), expected) << command;
    }
}

TEST(SetDevice, EnabledOnlyLiftsDisabled) {
    using S = DeviceState;
    for (const auto& [from, enabled, to] :
         std::vector<std::tuple<S, bool, S>>{{S::Disabled, true, S::Available},
                                             {S::Unavailable, true, S::Unavailable},
                                             {S::Available, false, S::Disabled},
                                             {S::Unavailable, false, S::Disabled}}) {
        MixerConfig c = smallMixer();
        c.devices[0].state = from;
        EXPECT_EQ(run(c, onHeadphones({{"enabled", enabled}})).changed, from != to);
        EXPECT_EQ(c.devices[0].state, to) << toString(from) << enabled;
    }
}

TEST(ToggleRoute, SwitchesModes) {
    MixerConfig c = smallMixer();
    c.devices[0].sources = {"system"};
    const json none = json::array();
    // source, device, reply "on", then the headphones' mode and set afterwards
    const std::vector<std::tuple<const char*, const char*, bool, const char*, json>> steps = {
        {"app:game.exe", "out:hp", true, "apps", {"app:game.exe"}}, // "system" dropped
        {"system", "out:hp", true, "all", none},
        {"app:game.exe", "out:hp", false, "apps", {"app:discord.exe", "app:obs.exe"}},
        {"app:game.exe", "out:hp", true, "all", none}, // every application ticked
        {"system", "out:hp", false, "apps", none},
        {"in:mic", "out:hp", false, "apps", none},
        {"app:game.exe", "virtual_mic", false, "apps", none},
    };
    for (const auto& [source, device, on, mode, set] : steps) {
        const CommandResult r =
            run(c, {{"cmd", "toggleRoute"}, {"source", source}, {"device", device}});
        EXPECT_TRUE(r.ok && r.changed);
        EXPECT_EQ(r.reply, json({{"on", on}})) << source << device;
        EXPECT_EQ(written(c, "/devices/0/mode"), mode) << source << device;
        EXPECT_EQ(written(c, "/devices/0/sources"), set) << source << device;
    }
}

TEST(MicTargets, ToggleAndAll) {
    MixerConfig c = smallMixer();
    const SourceTargets& t = c.sources[1].targets;
    auto toggle = [&c](const char* app) {
        return run(c, {{"cmd", "toggleMicTarget"}, {"mic", "in:mic"}, {"app", app}}).changed;
    };
    auto setAll = [&c](json on) {
        return run(c, {{"cmd", "setMicAll"}, {"mic", "in:mic"}, {"on", on}}).changed;
    };
    EXPECT_TRUE(setAll(true));
    EXPECT_TRUE(toggle("app:game.exe"));
    EXPECT_FALSE(t.allApps);
    EXPECT_EQ(t.apps, (std::set<std::string>{"app:discord.exe", "app:obs.exe"}));
    EXPECT_TRUE(toggle("app:game.exe"));
    EXPECT_TRUE(t.allApps && t.apps.empty());
    EXPECT_FALSE(setAll(true));
    EXPECT_TRUE(setAll(nullptr)); // missing or unreadable "on" is off
    EXPECT_TRUE(toggle("app:obs.exe"));
    EXPECT_TRUE(setAll(false)); // only the set differs
    EXPECT_TRUE(t.apps.empty());

    const json all = {{"cmd", "setDeviceAll"}, {"device", "out:hp"}, {"on", true}};
    c.devices[0].sources = {"app:obs.exe"};
    EXPECT_TRUE(run(c, all).changed);
    EXPECT_FALSE(run(c, all).changed);
    EXPECT_EQ(c.devices[0].mode, DeviceMode::All);
    EXPECT_TRUE(c.devices[0].sources.empty());
}

TEST(Remove, SourceLeavesNoReferencesAndOrderIsKept) {
    MixerConfig c = smallMixer();
    c.devices[0].sources = {"app:game.exe", "app:obs.exe"};
    c.sources[1].targets.apps = {"app:game.exe"};
    EXPECT_TRUE(run(c, {{"cmd", "removeSource"}, {"id", "app:game.exe"}}).changed);
    EXPECT_EQ(written(c, "/sources/3/id"), "app:obs.exe");
    EXPECT_EQ(written(c, "/devices/0/sources"), json({"app:obs.exe"}));
    EXPECT_EQ(written(c, "/sources/1/targets/apps"), json::array());
    EXPECT_TRUE(run(c, {{"cmd", "removeDevice"}, {"id", "out:hp"}}).changed);
    EXPECT_EQ(written(c, "/devices/0/id"), "out:spk");
    EXPECT_EQ(written(c, "/devices/1/id"), "virtual_mic");
}

TEST(SetConfig, ReplacesTheDocument) {
    MixerConfig c = smallMixer();
    json doc = json::parse(serializeConfig(c));
    CommandResult r = run(c, {{"cmd", "setConfig"}, {"config", doc}});
    EXPECT_TRUE(r.ok && !r.changed && r.reply.is_null());
    doc["devices"].push_back({{"endpointId", "new"}});
    r = run(c, {{"cmd", "setConfig"}, {"config", doc}});
    EXPECT_TRUE(r.ok && r.changed);
    EXPECT_EQ(written(c, "/devices/3/id"), "out:new");

    // Moved in, not copied: copying a value this deep would itself recurse.
    json deep = {{"cmd", "setConfig"}, {"config", json::object()}};
    deep["config"]["scenes"] = json::parse(std::string(100000, '[') + std::string(100000, ']'));
    refuse(c, deep, "config.json: ошибка синтаксиса JSON");
    EXPECT_EQ(c.devices.size(), 4u);
}

json setSettings(json fields) {
    fields["cmd"] = "setSettings";
    return fields;
}

TEST(SetSettings, StoresClampedValuesAndIgnoresOtherKeys) {
    const std::vector<std::tuple<json, const char*, json>> cases = {
        {{{"bufferMs", 1}}, "/settings/bufferMs", 3},
        {{{"bufferMs", 500}}, "/settings/bufferMs", 100},
        {{{"bufferMs", kNaN}}, "/settings/bufferMs", 3},
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
