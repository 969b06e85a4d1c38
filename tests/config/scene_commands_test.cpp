// Scenes through applyCommand: ids, names, what applying keeps and drops, and "modified".
#include "config/commands.h"

#include "model_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace qv;
using namespace qv::test;

json scenesOf(const MixerConfig& c) {
    return json::parse(c.scenes, nullptr, false);
}

// Source ids, then "|", then device ids.
std::string strips(const MixerConfig& c) {
    std::string out;
    for (const Source& s : c.sources)
        out += s.id + " ";
    out += "|";
    for (const Device& d : c.devices)
        out += " " + d.id;
    return out;
}

TEST(SceneIds, OneMoreThanTheLargestNumber) {
    const std::string nines(30, '9'), tenToThe30 = "1" + std::string(30, '0');
    const std::pair<json, std::string> cases[] = {
        {json::array(), "scene1"},
        {{"scene2", "scene10"}, "scene11"},
        {{"sceneA", "my-scene", "Scene7", 5, "scene", "scene0"}, "scene1"},
        {{"scene007", "scene3x", "scene9b"}, "scene10"},
        {{"scene" + nines}, "scene" + tenToThe30},
        {{"scene" + tenToThe30, "scene" + nines}, "scene" + tenToThe30.substr(0, 30) + "1"},
        {{"scene18446744073709551615"}, "scene18446744073709551616"},
    };
    for (const auto& [ids, next] : cases) {
        MixerConfig c;
        json scenes = json::array({42}); // not a scene at all
        for (const json& id : ids)
            scenes.push_back({{"id", id}, {"name", "n" + std::to_string(scenes.size())}});
        c.scenes = scenes.dump();
        for (int i = 0; i < 2; ++i) { // the second save must not repeat the first id either
            const std::string id = accept(c, command("saveScene", {{"name", std::to_string(i)}}))
                                       .reply.value("id", "");
            EXPECT_EQ(id, i == 0 ? next : next.substr(0, next.size() - 1) + char(next.back() + 1))
                << ids.dump();
        }
    }
}

TEST(Scenes, SaveRenameDelete) {
    MixerConfig c;
    refuse(c, command("saveScene"), "введите название сцены");
    const CommandResult r = accept(c, command("saveScene", {{"name", "Игра"}}));
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.reply, json({{"id", "scene1"}}));
    refuse(c, command("saveScene", {{"name", "Игра"}}),
           "сцена «Игра» уже есть — выберите другое название");
    accept(c, command("saveScene", {{"name", "игра"}})); // names compare exactly
    accept(c, command("saveScene", {{"name", "Стрим"}}));
    EXPECT_EQ(c.settings.currentScene, "scene3");
    EXPECT_EQ(scenesOf(c)[0]["config"], sceneSnapshot(c));

    refuse(c, command("renameScene", {{"id", "scene9"}, {"name", "x"}}), "нет такой сцены");
    refuse(c, command("renameScene", {{"id", "scene1"}}), "введите название сцены");
    refuse(c, command("renameScene", {{"id", "scene1"}, {"name", "Стрим"}}),
           "сцена «Стрим» уже есть");
    accept(c, command("renameScene", {{"id", "scene1"}, {"name", "Игра"}})); // its own name
    accept(c, command("renameScene", {{"id", "scene1"}, {"name", "Игры"}}));
    EXPECT_EQ(scenesOf(c)[0]["name"], "Игры");
    EXPECT_EQ(c.settings.currentScene, "scene3");

    refuse(c, command("deleteScene", {{"id", "Игры"}}), "нет такой сцены");
    accept(c, command("deleteScene", {{"id", "scene1"}}));
    EXPECT_EQ(c.settings.currentScene, "scene3");
    accept(c, command("deleteScene", {{"id", "scene3"}}));
    EXPECT_EQ(c.settings.currentScene, "");
    EXPECT_EQ(scenesOf(c), json::parse(R"([{"id": "scene2", "name": "игра", "config": )" +
                                       sceneSnapshot(c).dump() + "}]"));
}

TEST(Scenes, UnreadableSceneListCountsAsEmpty) {
    for (const char* text : {"{broken", R"({"id": "scene4"})", ""}) {
        MixerConfig c;
        c.scenes = text;
        refuse(c, command("applyScene", {{"id", "scene4"}}), "нет такой сцены");
        EXPECT_EQ(accept(c, command("saveScene", {{"name", "A"}})).reply, json({{"id", "scene1"}}));
        EXPECT_EQ(scenesOf(c).size(), 1u) << text;
    }
}

// A mixer saved as a scene, then changed: a microphone, an output and the virtual microphone
// added, a gain and settings moved.
class ApplyScene : public testing::Test {
protected:
    MixerConfig c;

    void SetUp() override {
        Source system;
        system.id = "system";
        system.kind = SourceKind::System;
        c.sources = {system, application("game.exe"), microphone("m1")};
        c.sources[2].monitor = true;
        c.devices = {output("spk")};
        accept(c, command("saveScene", {{"name", "База"}}));

        c.sources.insert(c.sources.begin(), microphone("m2"));
        c.sources[0].monitor = true;
        c.sources[1].gainDb = -20; // system
        c.devices.push_back(output("hp"));
        c.devices.emplace_back().id = "virtual_mic";
        c.devices.back().kind = DeviceKind::VirtualMic;
        c.settings.bufferMs = 40;
        c.settings.volumeKnob = "off";
        c.settings.currentScene = "";
    }
};

TEST_F(ApplyScene, KeepsUnknownInputsDropsUnknownOutputsKeepsTheVirtualMic) {
    const std::string scenesBefore = c.scenes;
    refuse(c, command("applyScene", {{"id", "scene2"}}), "нет такой сцены");
    const CommandResult r = accept(c, command("applyScene", {{"id", "scene1"}}));
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(strips(c), "system app:game.exe in:m1 in:m2 | out:spk virtual_mic");
    EXPECT_EQ(c.findSource("system")->gainDb, 0.0f);
    EXPECT_FALSE(c.findSource("in:m1")->monitor); // hearing is never saved: off
    EXPECT_TRUE(c.findSource("in:m2")->monitor);  // unknown to the scene: as it was
    EXPECT_EQ(c.settings.bufferMs, 10.0f);
    EXPECT_EQ(c.settings.volumeKnob, "off"); // not a scene setting
    EXPECT_EQ(c.settings.currentScene, "scene1");
    EXPECT_EQ(json::parse(c.scenes), json::parse(scenesBefore));
}

TEST_F(ApplyScene, TheScenesOwnVirtualMicWins) {
    c.findDevice("virtual_mic")->gainDb = -3;
    accept(c, command("saveScene", {{"name", "С микрофоном"}}));
    c.findDevice("virtual_mic")->gainDb = -9;
    accept(c, command("applyScene", {{"id", "scene2"}}));
    EXPECT_EQ(strips(c), "in:m2 system app:game.exe in:m1 | out:spk out:hp virtual_mic");
    EXPECT_EQ(c.findDevice("virtual_mic")->gainDb, -3.0f);
}

// A damaged snapshot would otherwise read as "no outputs" and remove every output strip.
TEST_F(ApplyScene, DamagedSceneIsRefusedAndChangesNothing) {
    const json damaged[] = {"garbage",
                            json::object(),
                            {{"devices", "x"}},
                            {{"devices", json::array()}, {"sources", 5}}};
    const auto storeSnapshot = [this](const json& config) {
        json scenes = scenesOf(c);
        scenes[0]["config"] = config;
        c.scenes = scenes.dump();
    };
    for (const json& config : damaged) {
        storeSnapshot(config);
        const std::string before = serializeConfig(c);
        const CommandResult r = applyCommand(c, command("applyScene", {{"id", "scene1"}}), {});
        EXPECT_FALSE(r.ok) << config.dump();
        EXPECT_EQ(r.error.rfind("сцена повреждена: ", 0), 0u) << r.error;
        EXPECT_EQ(serializeConfig(c), before) << config.dump();
    }
    // A snapshot that really holds no outputs is still applied.
    storeSnapshot({{"devices", json::array()}});
    accept(c, command("applyScene", {{"id", "scene1"}}));
    EXPECT_EQ(strips(c), "in:m2 system app:game.exe in:m1 | virtual_mic");
}

TEST_F(ApplyScene, ModifiedFollowsWhatTheSceneHolds) {
    EXPECT_FALSE(sceneModified(c)); // no current scene
    accept(c, command("applyScene", {{"id", "scene1"}}));
    EXPECT_TRUE(sceneModified(c)); // the kept microphone and virtual microphone are extra
    accept(c, command("updateScene", {{"id", "scene1"}}));
    EXPECT_FALSE(sceneModified(c));
    accept(c, command("applyScene", {{"id", "scene1"}})); // a scene equal to the mixer
    EXPECT_FALSE(sceneModified(c));

    const std::pair<json, bool> edits[] = {
        {command("setSource", {{"id", "in:m1"}, {"monitor", true}}), false},
        {command("setSettings", {{"volumeKnob", "out:spk"}}), false},
        {command("setSettings", {{"hotkeys", {{"voice", "vk120"}}}}), false},
        {command("setSource", {{"id", "system"}, {"gainDb", -1}}), true},
        {command("toggleRoute", {{"source", "app:game.exe"}, {"device", "out:spk"}}), true},
        {command("setSettings", {{"bufferMs", 20}}), true},
        {command("setDevice", {{"id", "out:spk"}, {"eq", {{"preset", "bass"}}}}), true},
    };
    for (const auto& [edit, modified] : edits) {
        MixerConfig copy = c;
        accept(copy, edit);
        EXPECT_EQ(sceneModified(copy), modified) << edit.dump();
        accept(copy, command("updateScene", {{"id", "scene1"}}));
        EXPECT_FALSE(sceneModified(copy)) << edit.dump();
    }
    accept(c, command("setSource", {{"id", "system"}, {"gainDb", -1}}));
    accept(c, command("deleteScene", {{"id", "scene1"}}));
    EXPECT_FALSE(sceneModified(c)); // nothing left to compare with
}

} // namespace
