// Reading and writing the configuration document.

#include "model_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace qv::test {
namespace {

MixerConfig parsed(const std::string& text) {
    MixerConfig c;
    std::string error;
    EXPECT_TRUE(parseConfig(text, c, error)) << text;
    return c;
}

TEST(ParseConfig, UnreadableTextFailsAndKeepsTheDocument) {
    for (const char* text :
         {"", "not json", "{", "[1, 2]", "42", "null", "{\"a\": 1,}", "{\"name\": \"\xff\xfe\"}"}) {
        MixerConfig c = smallMixer();
        const std::string before = serializeConfig(c);
        std::string error;
        EXPECT_FALSE(parseConfig(text, c, error)) << text;
        EXPECT_EQ(error, "config.json: ошибка синтаксиса JSON");
        EXPECT_EQ(serializeConfig(c), before);
    }
}

// Each document is read and written back; one value of the written form is checked.
TEST(ParseConfig, NormalisesOnRead) {
    auto settings = [](json s) { return json{{"settings", s}}.dump(); };
    auto source = [](json s) { return json{{"sources", json::array({s})}}.dump(); };
    auto device = [](json d) { return json{{"devices", json::array({d})}}.dump(); };
    auto eq = [&](json e) { return device({{"id", "out:a"}, {"eq", e}}); };
    json recent = json::array({"", 7});
    for (int i = 0; i < 20; ++i)
        recent.push_back(i == 3 ? "" : "ep" + std::to_string(i));
    const json zeros = json::array({0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::vector<std::tuple<std::string, const char*, json>> cases = {
        {"// engine file\n{ /* block */ \"version\": 3 }", "/version", 3},
        {R"({"version": "seven"})", "/version", 1},
        {"{}", "/settings/startWithWindows", true},
        {settings(json::object()), "/settings/startWithWindows", false},
        {settings(json::object()), "/settings/autoHideDisconnected", true},
        {settings(json::object()), "/settings/virtualMicAuto", true},
        {settings({{"bufferMs", "fast"}}), "/settings/bufferMs", 10},
        {settings({{"safetyMs", true}}), "/settings/safetyMs", 1},
        {settings({{"density", 3}}), "/settings/density", "full"},
        {settings({{"hotkeys", {{"micMute", "vk77"}, {"voice", ""}, {"ptt", 5}}}}),
         "/settings/hotkeys",
         {{"micMute", "vk77"}}},
        {settings({{"recentOutputs", recent}}), "/settings/recentOutputs/15", "ep16"},
        {settings({{"recentOutputs", recent}}), "/settings/recentOutputs/16", "<missing>"},
        {source({{"id", "app:Discord.EXE"}}), "/sources/0/id", "app:discord.exe"},
        {source({{"id", "app:Discord.EXE"}}), "/sources/0/exeName", "discord.exe"},
        {source({{"id", "x"}, {"exeName", "Game.Exe"}}), "/sources/0/id", "app:game.exe"},
        {source({{"id", "app:ÄRGER.exe"}}), "/sources/0/id", "app:Ärger.exe"}, // ASCII only
        {source({{"id", "in:{1}"}, {"kind", "physical_input"}}), "/sources/0/endpointId", "{1}"},
        {source({{"id", "x"}, {"kind", "speaker"}, {"gainDb", 99}}), "/sources/0/gainDb", 99},
        {source({{"id", ""}, {"kind", "system"}}), "/sources/0", "<missing>"},
        {source({{"id", "in:a"}, {"kind", "physical_input"}, {"targets", {{"apps", {"b", 1}}}}}),
         "/sources/0/targets/apps",
         {"b"}},
        {device({{"endpointId", "E"}}), "/devices/0/id", "out:E"},
        {device({{"name", "no id"}}), "/devices/0", "<missing>"},
        {device({{"id", "d"}, {"sources", {"b", "a", "b"}}}), "/devices/0/sources", {"a", "b"}},
        {device({{"id", "d"}, {"mode", "All"}, {"kind", "VIRTUAL_MIC"}}), "/devices/0/mode",
         "apps"},
        {eq({{"bands", {20, -20, 0, 0, 0, 0, 0, 0, true, "x"}}, {"preset", "bass"}}),
         "/devices/0/eq",
         {{"bands", {12, -12, 0, 0, 0, 0, 0, 0, 1, 0}}, {"preset", "bass"}}},
        {eq({{"bands", {3, 4}}, {"preset", "bass"}}), "/devices/0/eq", {{"bands", zeros}}},
        {eq({{"low", 6}}), "/devices/0/eq/bands", {6, 6, 6, 3, 0, 0, 0, 0, 0, 0}},
        {eq("flat"), "/devices/0/eq/bands", zeros},
        {R"({"scenes": "Сцена"})", "/scenes", "Сцена"},
        {"{}", "/scenes", json::array()},
    };
    for (const auto& [text, pointer, expected] : cases)
        EXPECT_EQ(written(parsed(text), pointer), expected) << text << " " << pointer;
}

TEST(ParseConfig, ScenesNestedTooDeepToWriteAreDropped) {
    auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_EQ(parsed("{\"scenes\": " + nested(40) + "}").scenes, nested(40));
    // Deep enough to overflow the stack of a recursive writer.
    const MixerConfig deep = parsed("{\"version\": 2, \"scenes\": " + nested(100000) + "}");
    EXPECT_EQ(deep.version, 2);
    EXPECT_EQ(deep.scenes, "[]");
    MixerConfig assigned;
    assigned.scenes = nested(100000);
    EXPECT_EQ(written(assigned, "/scenes"), json::array());
    assigned.scenes = "[{";
    EXPECT_EQ(written(assigned, "/scenes"), json::array());
}

TEST(SerializeConfig, RoundTripIsStable) {
    MixerConfig c = smallMixer();
    c.version = 7;
    c.settings.bufferMs = 0.1f;
    c.settings.safetyMs = 1e-7f;
    c.settings.hotkeys = {{"micMute", "ctrl+alt+vk77"}, {"voice", "mouse5"}};
    c.settings.recentOutputs = {"b", "a"};
    c.settings.audioFolder = "D:\\Аудио \"x\"";
    Source& mic = c.sources[1];
    mic.name = "Микрофон «Blue»";
    mic.fx = {0.1f, 9.99f, {-12, 0.3f, 11.7f}, -0.0f, true, {true, "robot", 2.2f}};
    mic.targets.apps = {"app:obs.exe", "app:game.exe"};
    mic.monitor = true;
    c.sources[4].name = "bad \xff utf-8";
    c.devices[0].eq = {{0.1f, -0.2f, 3.14159f, 0, 0, 0, 0, 0, 0, 12}, "custom"};
    c.devices[0].latencyCompMs = 123.456f;
    c.devices[0].state = DeviceState::Unavailable;
    c.devices[2].external = true;
    c.devices[2].recordEndpointName = "CABLE Output (VB-Audio Virtual Cable)";
    c.scenes = R"([{"config":{},"id":"scene2","name":"Игра"}])";

    const std::string text = serializeConfig(c);
    const MixerConfig back = parsed(text);
    EXPECT_EQ(serializeConfig(back), text);
    EXPECT_EQ(back.settings.bufferMs, 0.1f); // bit for bit, not merely close
    EXPECT_EQ(back.settings.safetyMs, 1e-7f);
    EXPECT_EQ(back.devices[0].eq.bands, c.devices[0].eq.bands);
    EXPECT_TRUE(std::signbit(back.sources[1].fx.pan));
    EXPECT_EQ(back.sources[4].name, "bad \xEF\xBF\xBD utf-8"); // written as U+FFFD

    // Indent of 2, sorted keys, UTF-8 written as is; optional members only where they apply.
    EXPECT_EQ(text.substr(0, 17), "{\n  \"devices\": [\n");
    EXPECT_NE(text.find("Микрофон «Blue»"), std::string::npos);
    EXPECT_EQ(text.find("\\u"), std::string::npos);
    const json doc = json::parse(text);
    for (const char* key : {"endpointId", "hardwareId", "exePath", "targets", "monitor"})
        EXPECT_FALSE(doc["sources"][2].contains(key)) << key;
    EXPECT_EQ(doc["sources"][1]["targets"]["apps"], json({"app:game.exe", "app:obs.exe"}));
    EXPECT_FALSE(doc["devices"][1]["eq"].contains("preset"));
    EXPECT_FALSE(doc["devices"][1].contains("external"));
    EXPECT_EQ(doc["devices"][2]["recordHardwareId"], "");
    EXPECT_EQ(written(parsed(serializeConfig(MixerConfig{})), "/settings/startWithWindows"), true);
}

} // namespace
} // namespace qv::test
