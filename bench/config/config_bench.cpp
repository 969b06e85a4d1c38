// A large mixer: 128 input strips (the all-sounds source, 15 microphones, 112 applications),
// 16 outputs (15 headphones/speakers and the virtual microphone) and by default 10 saved scenes,
// each a snapshot of the whole mixer.

#include "config/commands.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <string>

namespace {

using nlohmann::json;
using namespace qv;

MixerConfig largeMixer(int sceneCount = 10) {
    MixerConfig c;
    c.settings.hotkeys = {{"micMute", "ctrl+alt+vk77"}, {"pushToTalk", "mouse5"}};
    Source system;
    system.id = "system";
    system.kind = SourceKind::System;
    system.name = "Все звуки";
    c.sources.push_back(system);
    for (int i = 0; i < 15; ++i) {
        Source mic;
        mic.kind = SourceKind::PhysicalInput;
        mic.endpointId = "{0.0.1.00000000}.{mic-" + std::to_string(i) + "}";
        mic.id = "in:" + mic.endpointId;
        mic.name = mic.endpointName = "Микрофон (USB Audio " + std::to_string(i) + ")";
        mic.hardwareId = "USB\\VID_0D8C&PID_0014";
        mic.gainDb = -0.1f * static_cast<float>(i);
        mic.fx.voice.preset = "robot";
        mic.targets.allApps = i % 2 == 0;
        c.sources.push_back(mic);
    }
    for (int i = 0; c.sources.size() < 128; ++i) {
        Source app;
        app.exeName = "application" + std::to_string(i) + ".exe";
        app.id = "app:" + app.exeName;
        app.name = "Приложение " + std::to_string(i);
        app.exePath = "C:\\Program Files\\App" + std::to_string(i) + "\\" + app.exeName;
        app.gainDb = 0.3f * static_cast<float>(i % 20) - 3;
        c.sources.push_back(app);
    }
    for (int i = 0; i < 15; ++i) {
        Device d;
        d.endpointId = "{0.0.0.00000000}.{out-" + std::to_string(i) + "}";
        d.id = "out:" + d.endpointId;
        d.name = d.endpointName = "Динамики (Realtek " + std::to_string(i) + ")";
        d.eq.bands = {6, 6, 5, 3, 1, 0, 0, 0, 0, 0};
        d.eq.preset = "bass";
        d.mode = i == 0 ? DeviceMode::All : DeviceMode::Apps;
        for (size_t s = 16 + i; s < c.sources.size(); s += 7)
            d.sources.insert(c.sources[s].id);
        c.devices.push_back(d);
    }
    Device vmic;
    vmic.id = std::string(kVirtualMicId);
    vmic.kind = DeviceKind::VirtualMic;
    vmic.name = "Виртуальный микрофон";
    c.devices.push_back(vmic);

    const json doc = json::parse(serializeConfig(c));
    json snapshot = {{"sources", doc["sources"]}, {"devices", doc["devices"]}, {"settings", {}}};
    for (json& s : snapshot["sources"])
        s.erase("monitor");
    for (const char* key : {"bufferMs", "safetyMs", "systemEndpointId", "density", "autoSizeWindow",
                            "autoHideDisconnected"})
        snapshot["settings"][key] = doc["settings"][key];
    json scenes = json::array();
    for (int i = 1; i <= sceneCount; ++i)
        scenes.push_back({{"id", "scene" + std::to_string(i)},
                          {"name", "Сцена " + std::to_string(i)},
                          {"config", snapshot}});
    c.scenes = scenes.dump();
    return c;
}

// The argument is the number of saved scenes; with 10 the scenes are most of the text.
void ParseAndSerialize(benchmark::State& state) {
    const std::string text = serializeConfig(largeMixer(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        MixerConfig c;
        std::string error;
        benchmark::DoNotOptimize(parseConfig(text, c, error));
        std::string out = serializeConfig(c);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["docKiB"] = static_cast<double>(text.size()) / 1024;
}
BENCHMARK(ParseAndSerialize)->Arg(10)->Arg(0)->Unit(benchmark::kMicrosecond);

// The live fader edit: a drag sends one of these per frame. The gain alternates so every call
// stores a new value.
void SetSourceGain(benchmark::State& state) {
    MixerConfig c = largeMixer();
    const std::string id = c.sources[static_cast<size_t>(state.range(0))].id;
    const json commands[2] = {{{"cmd", "setSource"}, {"id", id}, {"gainDb", -6.5}},
                              {{"cmd", "setSource"}, {"id", id}, {"gainDb", -7}}};
    size_t n = 0;
    for (auto _ : state) {
        CommandResult r = applyCommand(c, commands[n++ & 1], {});
        benchmark::DoNotOptimize(r.changed);
    }
}
// A strip in the middle of the list and the last one (the longest id search).
BENCHMARK(SetSourceGain)->Arg(64)->Arg(127)->Unit(benchmark::kNanosecond);

} // namespace
