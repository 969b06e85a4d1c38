// The fixed demo world: the document and the simulated Windows endpoint list.

#include "engine/demo_engine.h"

namespace qv {

namespace {

Source microphone(std::string endpointId, std::string name, std::string endpointName) {
    Source s;
    s.id = "in:" + endpointId;
    s.kind = SourceKind::PhysicalInput;
    s.name = std::move(name);
    s.endpointId = std::move(endpointId);
    s.endpointName = std::move(endpointName);
    return s;
}

Source app(std::string exeName, std::string name, float gainDb) {
    Source s;
    s.id = "app:" + exeName;
    s.kind = SourceKind::App;
    s.name = std::move(name);
    s.exeName = std::move(exeName);
    s.gainDb = gainDb;
    return s;
}

Device output(std::string endpointId, std::string name, std::string endpointName) {
    Device d;
    d.id = "out:" + endpointId;
    d.kind = DeviceKind::Physical;
    d.name = std::move(name);
    d.endpointId = std::move(endpointId);
    d.endpointName = std::move(endpointName);
    return d;
}

std::vector<Source> demoSources() {
    std::vector<Source> sources;

    Source mic = microphone("demo-mic", "Микрофон", "Микрофон (USB-микрофон)");
    mic.gainDb = -2;
    mic.mono = true;
    mic.fx.gate = 2.5f;
    mic.fx.comp = 3;
    mic.fx.noiseSuppression = true;
    mic.targets.apps = {"app:discord.exe"};
    sources.push_back(mic);

    Source inst = microphone("demo-inst", "Инструмент", "Line In (аудиоинтерфейс)");
    inst.fx.comp = 1.5f;
    inst.fx.pan = -0.2f;
    inst.ui.collapsed = true;
    sources.push_back(inst);

    sources.push_back(microphone("demo-in3", "Вход 3", "Микрофон (веб-камера)"));

    Source discord = app("discord.exe", "Discord", -4);
    discord.fx.comp = 2;
    sources.push_back(discord);
    sources.push_back(app("chrome.exe", "Браузер", -6));
    Source spotify = app("spotify.exe", "Spotify", -10);
    spotify.ui.collapsed = true;
    sources.push_back(spotify);
    sources.push_back(app("cs2.exe", "Игра", -3));

    Source all;
    all.id = std::string(kSystemSourceId);
    all.kind = SourceKind::System;
    all.name = "Все звуки";
    sources.push_back(all);
    return sources;
}

std::vector<Device> demoDevices(bool driverPresent) {
    std::vector<Device> devices;

    Device hp = output("demo-hp", "Наушники", "Наушники (HyperX Cloud II)");
    hp.mode = DeviceMode::Apps;
    hp.sources = {"app:discord.exe", "app:cs2.exe", "app:spotify.exe"};
    hp.autoAddNewApps = true;
    devices.push_back(hp);

    Device spk = output("demo-spk", "Колонки", "Динамики (Realtek(R) Audio)");
    spk.mode = DeviceMode::All;
    spk.gainDb = -8;
    devices.push_back(spk);

    Device usb = output("demo-usb", "USB-гарнитура", "Гарнитура (USB Audio)");
    usb.mode = DeviceMode::Apps;
    usb.sources = {"app:discord.exe"};
    devices.push_back(usb);

    // Without the driver there is no product microphone to feed.
    if (driverPresent) {
        Device vmic;
        vmic.id = std::string(kVirtualMicId);
        vmic.kind = DeviceKind::VirtualMic;
        vmic.name = "QUORVEL Mic";
        vmic.endpointId = "demo-micfeed";
        vmic.exclusiveMode = true;
        devices.push_back(vmic);
    }
    return devices;
}

// The driver topology each product endpoint belongs to. The engine knows it, so the endpoint
// commands run by the demo engine refuse the product's own endpoints (adding the mixer's input
// as an output would feed everything back into itself) as a real engine does.
std::string topologyOf(std::string_view tag, std::string_view id) {
    if (tag == "sink")
        return "topologyquorvel";
    if (tag == "micFeed")
        return "topologymicfeed";
    if (tag == "mic")
        return "topologymic";
    if (tag == "app")
        return "topologyapp" + std::string(id.substr(id.size() - 1));
    return {};
}

DemoEndpoint endpoint(std::string id, std::string name, bool render, bool active,
                      std::string tag = {}) {
    DemoEndpoint e;
    e.info.hardwareId = tag.empty() ? "usb#" + id : "root#quorvel";
    e.info.topologyName = topologyOf(tag, id);
    e.info.id = std::move(id);
    e.info.name = std::move(name);
    e.info.render = render;
    e.info.active = active;
    e.tag = std::move(tag);
    return e;
}

std::vector<DemoEndpoint> demoEndpoints(bool windowsDefault, bool driverPresent) {
    constexpr bool kPlayback = true, kRecording = false;
    std::vector<DemoEndpoint> list = {
        endpoint("demo-hp", "Наушники (HyperX Cloud II)", kPlayback, true),
        endpoint("demo-spk", "Динамики (Realtek(R) Audio)", kPlayback, true),
        endpoint("demo-usb", "Гарнитура (USB Audio)", kPlayback, false),
        endpoint("demo-bt", "Наушники (WH-1000XM5)", kPlayback, true),
        endpoint("demo-hdmi", "Монитор (NVIDIA High Definition Audio)", kPlayback, true),
        endpoint("demo-iface34", "Выход 3–4 (Аудиоинтерфейс)", kPlayback, true),
        endpoint("demo-mic", "Микрофон (USB-микрофон)", kRecording, true),
        endpoint("demo-inst", "Line In (аудиоинтерфейс)", kRecording, true),
        endpoint("demo-in3", "Микрофон (веб-камера)", kRecording, false),
        endpoint("demo-headset-mic", "Микрофон (WH-1000XM5)", kRecording, true),
        endpoint("demo-cable-in", "CABLE Input (VB-Audio Virtual Cable)", kPlayback, true),
        endpoint("demo-cable-out", "CABLE Output (VB-Audio Virtual Cable)", kRecording, true),
    };
    if (driverPresent) {
        list.push_back(
            endpoint("demo-sink", "QUORVEL (QUORVEL Virtual Audio)", kPlayback, true, "sink"));
        list.push_back(endpoint("demo-micfeed", "QUORVEL Mic Feed (QUORVEL Virtual Audio)",
                                kPlayback, true, "micFeed"));
        for (int n = 1; n <= 4; ++n) {
            const std::string num = std::to_string(n);
            list.push_back(endpoint("demo-app" + num,
                                    "QUORVEL App " + num + " (QUORVEL Virtual Audio)", kPlayback,
                                    true, "app"));
        }
        list.push_back(
            endpoint("demo-vmic", "QUORVEL Mic (QUORVEL Virtual Audio)", kRecording, true, "mic"));
    }

    const bool ownDefaults = windowsDefault && driverPresent;
    for (DemoEndpoint& e : list) {
        e.info.isDefault = ownDefaults ? (e.tag == "sink" || e.tag == "mic")
                                       : (e.info.id == "demo-spk" || e.info.id == "demo-mic");
        // The demo keeps no separate communication default; the interface reads isDefault.
        e.info.isDefaultComm = e.info.isDefault;
    }
    return list;
}

} // namespace

DemoWorld makeDemoWorld(bool windowsDefault, bool driverPresent) {
    DemoWorld world;
    world.config.sources = demoSources();
    world.config.devices = demoDevices(driverPresent);
    world.endpoints = demoEndpoints(windowsDefault, driverPresent);
    return world;
}

} // namespace qv
