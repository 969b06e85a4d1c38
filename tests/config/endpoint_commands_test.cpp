// addDevice, addInput, replaceDevice, replaceInput and setVirtualMic through applyCommand.
#include "config/commands.h"

#include "model_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace qv;
using namespace qv::test;
using Strings = std::vector<std::string>;

// A machine with ordinary devices, a VB-CABLE and the product's own driver endpoints.
class EndpointCommands : public testing::Test {
protected:
    std::vector<EndpointInfo> eps = {
        playback("spk", "Speakers (Realtek)"),
        playback("hp", "Headphones (USB)", "usb#hp"),
        recording("mic", "Microphone (USB)", "usb#mic"),
        recording("mic2", "Line In (Realtek)"),
        playback("cab", "CABLE Input (VB-Audio Virtual Cable)", "root#cable"),
        recording("cab-out", "CABLE Output (VB-Audio Virtual Cable)", "root#cable"),
        playback("mix", "QUORVEL Mixer", "root#quorvel", "topologyquorvel"),
        playback("feed", "QUORVEL Mic Feed", "root#quorvel", "topologymicfeed"),
        playback("app2", "QUORVEL App 2", "root#quorvel", "topologyapp2"),
        recording("qmic", "QUORVEL Mic", "root#quorvel", "topologymic"),
        recording("fake-qmic", "Fake Mic", "usb#x", "topologymic"),
    };
    MixerConfig c;

    void makeDefault(std::string_view id) {
        for (EndpointInfo& e : eps)
            e.isDefault = e.render && e.id == id;
    }
    void addVirtualMic(bool external) {
        c.devices.emplace_back();
        Device& d = c.devices.back();
        d.id = "virtual_mic";
        d.kind = DeviceKind::VirtualMic;
        d.external = external;
        d.endpointId = "cab";
        d.recordEndpointId = "cab-out";
    }
    json cmd(const char* name, const char* id, const char* endpoint) {
        return command(name, {{"id", id}, {"endpointId", endpoint}});
    }
};

TEST_F(EndpointCommands, AddDeviceFirstPlaysAllThenAppsAndRepeatsAreNoOps) {
    addVirtualMic(false); // not an output: the first headphones still play everything
    EXPECT_EQ(accept(c, command("addDevice", {{"endpointId", "hp"}}), eps).reply,
              json({{"id", "out:hp"}}));
    accept(c, command("addDevice", {{"endpointId", "spk"}}), eps);
    EXPECT_EQ(c.findDevice("out:hp")->mode, DeviceMode::All);
    const Device& spk = *c.findDevice("out:spk");
    EXPECT_EQ(spk.mode, DeviceMode::Apps);
    EXPECT_EQ(spk.name + "|" + spk.endpointName + "|" + spk.hardwareId,
              "Speakers (Realtek)|Speakers (Realtek)|hdaudio#1");
    EXPECT_EQ(c.settings.recentOutputs, (Strings{"spk", "hp"}));

    const CommandResult again = accept(c, command("addDevice", {{"endpointId", "hp"}}), eps);
    EXPECT_FALSE(again.changed);
    EXPECT_EQ(again.reply, json({{"id", "out:hp"}}));
    EXPECT_EQ(c.devices.size(), 3u);
    EXPECT_EQ(c.settings.recentOutputs, (Strings{"spk", "hp"}));
}

TEST_F(EndpointCommands, AddInput) {
    accept(c, command("addInput", {{"endpointId", "fake-qmic"}}), eps); // a tag alone is harmless
    const CommandResult r = accept(c, command("addInput", {{"endpointId", "mic"}}), eps);
    EXPECT_EQ(r.reply, json({{"id", "in:mic"}}));
    const Source& s = *c.findSource("in:mic");
    EXPECT_EQ(s.kind, SourceKind::PhysicalInput);
    EXPECT_EQ(s.name + "|" + s.endpointName + "|" + s.endpointId + "|" + s.hardwareId,
              "Microphone (USB)|Microphone (USB)|mic|usb#mic");
    EXPECT_EQ(c.settings.recentInputs, (Strings{"mic", "fake-qmic"}));
    EXPECT_FALSE(accept(c, command("addInput", {{"endpointId", "mic"}}), eps).changed);
}

TEST_F(EndpointCommands, ReplaceInputMovesTheStripAndItsRoutes) {
    c.sources = {microphone("mic", "Microphone (USB)"), microphone("old", "Old Mic")};
    c.sources[1].name = "Мой микрофон"; // renamed by the user
    c.devices = {output("spk")};
    c.devices[0].sources = {"in:old", "app:x.exe"};
    c.settings.recentInputs = {"mic2", "x"};

    const CommandResult r = accept(c, cmd("replaceInput", "in:old", "mic2"), eps);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.reply, json({{"id", "in:mic2"}}));
    const Source& moved = c.sources[1];
    EXPECT_EQ(moved.id + "|" + moved.name + "|" + moved.endpointId + "|" + moved.endpointName,
              "in:mic2|Мой микрофон|mic2|Line In (Realtek)");
    EXPECT_EQ(c.devices[0].sources, (std::set<std::string>{"in:mic2", "app:x.exe"}));
    EXPECT_EQ(c.settings.recentInputs, (Strings{"mic2", "old", "x"}));

    accept(c, cmd("replaceInput", "in:mic", "fake-qmic"), eps);
    EXPECT_EQ(c.sources[0].name, "Fake Mic"); // a stock name follows the endpoint
}

// Adding and replacing refuse what is missing, the product's own endpoints, the virtual
// microphone's cable and what is already a strip; the earliest check speaks.
TEST_F(EndpointCommands, AddAndReplaceRefusalsInOrder) {
    addVirtualMic(true);
    c.sources = {microphone("mic"), microphone("mic2"), application("game.exe")};
    c.devices.push_back(output("spk"));
    c.devices.push_back(output("hp"));
    const auto add = [](const char* name, const char* endpoint) {
        return command(name, {{"endpointId", endpoint}});
    };
    const std::pair<json, std::string> cases[] = {
        {add("addDevice", "nope"), "нет устройства вывода с ID «nope»"},
        {add("addDevice", "mic"), "нет устройства вывода с ID «mic»"},
        {add("addDevice", "cab"), "«CABLE Input (VB-Audio Virtual Cable)» — вход виртуального "
                                  "микрофона QUORVEL (Настройки → Голос)"},
        {add("addDevice", "mix"), "«QUORVEL Mixer» — вход микшера QUORVEL (через него идёт весь "
                                  "звук Windows); вывод в него создал бы петлю"},
        {add("addDevice", "feed"), "«QUORVEL Mic Feed» — вход виртуального микрофона, он "
                                   "настраивается как «QUORVEL Mic»"},
        {add("addDevice", "app2"),
         "«QUORVEL App 2» — служебный вход QUORVEL для отдельного приложения"},
        {add("addInput", "spk"), "нет микрофона/входа с ID «spk»"},
        {add("addInput", "qmic"),
         "«QUORVEL Mic» — выход самого QUORVEL; как вход он создал бы петлю"},
        {add("addInput", "cab-out"), "«CABLE Output (VB-Audio Virtual Cable)» — выход "
                                     "виртуального микрофона QUORVEL; как вход он создал бы петлю"},
        {cmd("replaceInput", "in:mic", "spk"), "нет микрофона с этим ID"},
        {cmd("replaceDevice", "out:spk", "mic"), "нет устройства вывода с этим ID"},
        {cmd("replaceInput", "in:mic", "qmic"), "«QUORVEL Mic» — служебное устройство QUORVEL"},
        {cmd("replaceDevice", "out:nope", "mix"), "«QUORVEL Mixer» — служебное устройство QUORVEL"},
        {cmd("replaceDevice", "out:spk", "cab"),
         "«CABLE Input (VB-Audio Virtual Cable)» — виртуальный микрофон QUORVEL"},
        {cmd("replaceInput", "in:mic", "cab-out"),
         "«CABLE Output (VB-Audio Virtual Cable)» — виртуальный микрофон QUORVEL"},
        {cmd("replaceInput", "in:mic", "mic2"),
         "«Line In (Realtek)» уже есть в QUORVEL — выберите другое"},
        {cmd("replaceInput", "app:game.exe", "mic2"), "нет микрофона «app:game.exe»"},
        {cmd("replaceInput", "in:gone", "mic"), "нет микрофона «in:gone»"},
        {cmd("replaceDevice", "out:gone", "spk"), "нет устройства «out:gone»"},
        {cmd("replaceDevice", "virtual_mic", "hp"), "нет устройства «virtual_mic»"},
        {cmd("replaceDevice", "out:spk", "hp"),
         "«Headphones (USB)» уже есть в QUORVEL — выберите другое"},
    };
    const std::string before = serializeConfig(c);
    for (const auto& [command, error] : cases)
        refuse(c, command, error, eps);
    EXPECT_EQ(serializeConfig(c), before);
}

TEST_F(EndpointCommands, ReplaceDeviceRevivesAnUnavailableStrip) {
    c.devices = {output("gone", "Old Speakers")};
    c.devices[0].state = DeviceState::Unavailable;
    EXPECT_EQ(accept(c, cmd("replaceDevice", "out:gone", "spk"), eps).reply,
              json({{"id", "out:spk"}}));
    EXPECT_EQ(c.devices[0].state, DeviceState::Available);
    EXPECT_EQ(c.devices[0].name, "Speakers (Realtek)");
    EXPECT_EQ(c.settings.recentOutputs, (Strings{"spk", "gone"}));
    c.devices[0].state = DeviceState::Disabled;
    accept(c, cmd("replaceDevice", "out:spk", "spk"), eps); // onto its own endpoint
    EXPECT_EQ(c.devices[0].state, DeviceState::Disabled);
}

// The volume knob names its output strip by id: it follows a replaced strip and falls back to
// the first output strip ("") when its strip is removed or a scene drops it.
TEST_F(EndpointCommands, VolumeKnobFollowsItsStrip) {
    c.devices = {output("spk"), output("hp")};
    accept(c, command("saveScene", {{"name", "Колонки"}}));
    c.devices.push_back(output("usb"));
    const struct {
        const char* knob;
        json edit;
        const char* after;
    } cases[] = {
        {"out:spk", cmd("replaceDevice", "out:spk", "cab-out"), "out:spk"}, // refused
        {"out:spk", cmd("replaceDevice", "out:spk", "cab"), "out:cab"},
        {"out:hp", cmd("replaceDevice", "out:spk", "cab"), "out:hp"},
        {"out:spk", command("removeDevice", {{"id", "out:spk"}}), ""},
        {"out:hp", command("removeDevice", {{"id", "out:spk"}}), "out:hp"},
        {"off", command("removeDevice", {{"id", "out:spk"}}), "off"},
        {"out:usb", command("applyScene", {{"id", "scene1"}}), ""},
        {"out:hp", command("applyScene", {{"id", "scene1"}}), "out:hp"},
    };
    for (const auto& [knob, edit, after] : cases) {
        MixerConfig copy = c;
        copy.settings.volumeKnob = knob;
        applyCommand(copy, edit, eps);
        EXPECT_EQ(copy.settings.volumeKnob, after) << knob << " " << edit.dump();
    }
}

TEST_F(EndpointCommands, SetVirtualMicOff) {
    struct Case {
        bool external, autoBefore, changed;
    };
    for (const Case& k :
         {Case{true, false, true}, Case{false, true, true}, Case{false, false, false}}) {
        c = MixerConfig{};
        c.devices = {output("spk")};
        addVirtualMic(k.external);
        c.devices.push_back(output("hp"));
        c.settings.virtualMicAuto = k.autoBefore;
        const CommandResult r = accept(c, command("setVirtualMic", {{"endpointId", ""}}), eps);
        EXPECT_EQ(r.changed, k.changed);
        EXPECT_FALSE(c.settings.virtualMicAuto);
        EXPECT_EQ(c.devices.size(), k.external ? 2u : 3u); // the product's own mic stays
        EXPECT_EQ(c.devices.back().id, "out:hp");
    }
}

TEST_F(EndpointCommands, SetVirtualMicChecksInOrder) {
    // Most endpoints below fail several checks; the earliest one speaks.
    c.devices = {output("mix"), output("hp")};
    c.sources = {microphone("cab-out")};
    c.settings.systemEndpointId = "hp";
    eps.push_back(inactive(playback("off", "Off Cable Input")));
    eps.push_back(playback("aux", "Voicemeeter AUX Input", "root#vm"));
    eps.push_back(recording("aux-b2", "Voicemeeter Out B2", "root#vm"));
    const auto set = [](const char* endpoint, const char* record = "") {
        return command("setVirtualMic", {{"endpointId", endpoint}, {"recordEndpointId", record}});
    };
    const std::pair<json, std::string> cases[] = {
        {set("nope"), "нет устройства вывода с ID «nope»"},
        {set("mic"), "нет устройства вывода с ID «mic»"},
        {set("off"), "нет устройства вывода с ID «off»"},
        {set("mix"), "«QUORVEL Mixer» — служебный вход QUORVEL"},
        {set("hp"), "«Headphones (USB)» уже добавлено как наушники/колонки — уберите его оттуда "
                    "или выберите другое"},
        {set("spk"), "«Speakers (Realtek)» — не виртуальный кабель: голос пошёл бы вам в наушники "
                     "или колонки. Выберите VB-CABLE или вход Voicemeeter"},
        {set("aux", "nope"), "нет микрофона с ID «nope»"},
        {set("aux", "spk"), "нет микрофона с ID «spk»"},
        {set("aux", "qmic"), "«QUORVEL Mic» — служебный выход QUORVEL"},
        {set("cab"), "«CABLE Output (VB-Audio Virtual Cable)» добавлен в QUORVEL как микрофон — "
                     "это создало бы петлю"},
    };
    for (const auto& [command, error] : cases)
        refuse(c, command, error, eps);
    c.settings.systemEndpointId = "spk";
    refuse(c, set("spk"),
           "«Speakers (Realtek)» — вывод Windows по умолчанию, из него берутся «Все звуки»: голос "
           "вернулся бы к вам в наушники. Выберите другой вход (например, «CABLE Input» или "
           "«Voicemeeter AUX Input»)",
           eps);
    EXPECT_EQ(c.findDevice("virtual_mic"), nullptr);
    EXPECT_TRUE(c.settings.virtualMicAuto);
}

TEST_F(EndpointCommands, SetVirtualMicRefusesWhereAllSoundsComeFrom) {
    const std::string allSounds =
        "«CABLE Input (VB-Audio Virtual Cable)» — вывод Windows по умолчанию, из него берутся «Все "
        "звуки»: голос вернулся бы к вам в наушники. Выберите другой вход (например, «CABLE "
        "Input» или «Voicemeeter AUX Input»)";
    const json set = command("setVirtualMic", {{"endpointId", "cab"}});
    makeDefault("cab");
    MixerConfig withMixerInput = c; // it carries «Все звуки», the default output is free
    accept(withMixerInput, set, eps);

    std::erase_if(eps, [](const EndpointInfo& e) { return e.id == "mix"; });
    refuse(c, set, allSounds, eps); // automatic: the Windows default feeds «Все звуки»
    c.settings.systemEndpointId = "spk";
    accept(c, set, eps);
    c.settings.systemEndpointId = "cab"; // chosen, default or not
    refuse(c, set, allSounds, eps);
    makeDefault("spk");
    refuse(c, set, allSounds, eps);
}

TEST_F(EndpointCommands, SetVirtualMicTakesTheCable) {
    c.sources = {microphone("m1"), microphone("m2"), application("game.exe")};
    CommandResult r = accept(c, command("setVirtualMic", {{"endpointId", "cab"}}), eps);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.reply, json({{"recordEndpointId", "cab-out"}}));
    ASSERT_EQ(c.devices.size(), 1u);
    Device& mic = c.devices[0];
    EXPECT_TRUE(mic.external && mic.kind == DeviceKind::VirtualMic && mic.id == "virtual_mic");
    EXPECT_EQ(mic.name + "|" + mic.endpointId + "|" + mic.recordEndpointId + "|" +
                  mic.recordHardwareId,
              "CABLE Output (VB-Audio Virtual Cable)|cab|cab-out|root#cable");
    EXPECT_FALSE(c.settings.virtualMicAuto);
    EXPECT_TRUE(c.sources[0].targets.allApps && c.sources[1].targets.allApps);

    // The same cable again changes nothing, not even the device's own options.
    mic.exclusiveMode = true;
    mic.state = DeviceState::Unavailable;
    c.sources[1].targets.allApps = false;
    r = accept(
        c, command("setVirtualMic", {{"endpointId", "cab"}, {"recordEndpointId", "cab-out"}}), eps);
    EXPECT_FALSE(r.changed);
    EXPECT_TRUE(mic.exclusiveMode);

    // Another recording side resets them; an unnamed one gets the generic name.
    eps.push_back(recording("anon", ""));
    r = accept(c, command("setVirtualMic", {{"endpointId", "cab"}, {"recordEndpointId", "anon"}}),
               eps);
    EXPECT_TRUE(r.changed);
    EXPECT_FALSE(mic.exclusiveMode);
    EXPECT_EQ(mic.state, DeviceState::Available);
    EXPECT_EQ(mic.name, "Виртуальный микрофон");
    EXPECT_EQ(c.devices.size(), 1u);
}

} // namespace
