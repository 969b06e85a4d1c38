// The configuration document: lookups, the routing relation, and the JSON conversions.
//
// parseConfig is lenient by design: the engine's file may come from an older or a newer
// version, or be edited by hand, so a missing or mistyped value reads as its default instead of
// failing the whole document. Only unreadable JSON is an error.

#include "config/command_fields.h"
#include "config/mixer_config.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace qv {

using nlohmann::json;

Source* MixerConfig::findSource(std::string_view id) {
    for (Source& s : sources)
        if (s.id == id)
            return &s;
    return nullptr;
}

const Source* MixerConfig::findSource(std::string_view id) const {
    for (const Source& s : sources)
        if (s.id == id)
            return &s;
    return nullptr;
}

Device* MixerConfig::findDevice(std::string_view id) {
    for (Device& d : devices)
        if (d.id == id)
            return &d;
    return nullptr;
}

const Device* MixerConfig::findDevice(std::string_view id) const {
    for (const Device& d : devices)
        if (d.id == id)
            return &d;
    return nullptr;
}

bool playsOn(const Source& s, const Device& d) {
    if (d.kind == DeviceKind::Physical &&
        (s.kind == SourceKind::App || s.kind == SourceKind::System))
        return d.mode == DeviceMode::All || d.sources.count(s.id) > 0;
    if (d.kind == DeviceKind::VirtualMic && s.kind == SourceKind::PhysicalInput)
        return s.targets.allApps || !s.targets.apps.empty();
    // A microphone never plays directly on an output; it is heard there only through monitor.
    return false;
}

std::string_view toString(SourceKind k) {
    switch (k) {
    case SourceKind::PhysicalInput:
        return "physical_input";
    case SourceKind::System:
        return "system";
    case SourceKind::App:
        break;
    }
    return "app";
}

std::string_view toString(DeviceKind k) {
    return k == DeviceKind::VirtualMic ? "virtual_mic" : "physical";
}

std::string_view toString(DeviceState s) {
    switch (s) {
    case DeviceState::Unavailable:
        return "unavailable";
    case DeviceState::Disabled:
        return "disabled";
    case DeviceState::Available:
        break;
    }
    return "available";
}

std::string_view toString(DeviceMode m) {
    return m == DeviceMode::All ? "all" : "apps";
}

namespace {

// ---- Reading with defaults -------------------------------------------------------------------

const json* member(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    return it == obj.end() ? nullptr : &*it;
}

// Numbers may also be given as JSON booleans (1/0); anything else is not a number.
std::optional<double> numberOf(const json* v) {
    if (!v)
        return std::nullopt;
    if (v->is_boolean())
        return v->get<bool>() ? 1.0 : 0.0;
    if (v->is_number())
        return v->get<double>();
    return std::nullopt;
}

// Values are stored as read (no range clamp), but a double beyond the float range cannot be
// held in a float at all: it is limited to the largest float rather than becoming infinity,
// which the writer could not represent in JSON.
float toFloat(double d) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(d))
        return 0;
    return static_cast<float>(std::clamp(d, -kMax, kMax));
}

template <typename Int> Int toInteger(double d, Int def) {
    if (std::isnan(d))
        return def;
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    return static_cast<Int>(std::clamp(std::trunc(d), lo, hi));
}

float readFloat(const json& obj, std::string_view key, float def) {
    auto n = numberOf(member(obj, key));
    return n ? toFloat(*n) : def;
}

bool readBool(const json& obj, std::string_view key, bool def) {
    const json* v = member(obj, key);
    return v && v->is_boolean() ? v->get<bool>() : def;
}

std::string readText(const json& obj, std::string_view key, std::string_view def = {}) {
    const json* v = member(obj, key);
    if (v && v->is_string())
        return v->get_ref<const std::string&>();
    return std::string(def);
}

const json* readObject(const json& obj, std::string_view key) {
    const json* v = member(obj, key);
    return v && v->is_object() ? v : nullptr;
}

// An empty object stands in for a missing one, so nested readers yield their defaults.
const json& objectOrEmpty(const json& obj, std::string_view key) {
    static const json empty = json::object();
    const json* v = readObject(obj, key);
    return v ? *v : empty;
}

void readStringSet(const json& obj, std::string_view key, std::set<std::string>& out) {
    const json* v = member(obj, key);
    if (!v || !v->is_array())
        return;
    for (const json& e : *v)
        if (e.is_string())
            out.insert(e.get_ref<const std::string&>());
}

std::string asciiLower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// ---- Document parts --------------------------------------------------------------------------

void readRecent(const json& obj, std::string_view key, std::vector<std::string>& out) {
    const json* v = member(obj, key);
    if (!v || !v->is_array())
        return;
    for (const json& e : *v) {
        if (out.size() >= 16)
            break;
        if (e.is_string() && !e.get_ref<const std::string&>().empty())
            out.push_back(e.get_ref<const std::string&>());
    }
}

Settings readSettings(const json& o) {
    Settings s;
    // Inside a settings object the sign-in start is opt-in; only a brand-new document (no
    // settings object at all) starts with Windows.
    s.startWithWindows = false;
    if (const json* v = member(o, "sampleRate"); auto n = numberOf(v))
        s.sampleRate = toInteger<uint32_t>(*n, s.sampleRate);
    s.bufferMs = readFloat(o, "bufferMs", s.bufferMs);
    s.autoSizeWindow = readBool(o, "autoSizeWindow", s.autoSizeWindow);
    s.density = readText(o, "density", s.density);
    s.autoHideDisconnected = readBool(o, "autoHideDisconnected", s.autoHideDisconnected);
    s.startWithWindows = readBool(o, "startWithWindows", s.startWithWindows);
    s.systemEndpointId = readText(o, "systemEndpointId");
    s.safetyMs = readFloat(o, "safetyMs", s.safetyMs);
    if (const json* w = readObject(o, "windowsDefaultsBefore")) {
        s.windowsDefaultsBefore.render = readText(*w, "render");
        s.windowsDefaultsBefore.capture = readText(*w, "capture");
    }
    if (const json* h = readObject(o, "hotkeys"))
        for (auto it = h->begin(); it != h->end(); ++it)
            if (it->is_string() && !it->get_ref<const std::string&>().empty())
                s.hotkeys[it.key()] = it->get_ref<const std::string&>();
    s.virtualMicAuto = readBool(o, "virtualMicAuto", s.virtualMicAuto);
    s.currentScene = readText(o, "currentScene");
    s.videoFolder = readText(o, "videoFolder");
    s.audioFolder = readText(o, "audioFolder");
    readRecent(o, "recentOutputs", s.recentOutputs);
    readRecent(o, "recentInputs", s.recentInputs);
    s.volumeKnob = readText(o, "volumeKnob");
    return s;
}

std::optional<Source> readSource(const json& e) {
    Source s;
    s.id = readText(e, "id");
    if (s.id.empty())
        return std::nullopt;
    const std::string kind = readText(e, "kind", "app");
    s.kind = kind == "physical_input" ? SourceKind::PhysicalInput
             : kind == "system"       ? SourceKind::System
                                      : SourceKind::App;
    s.name = readText(e, "name");
    s.endpointId = readText(e, "endpointId");
    s.hardwareId = readText(e, "hardwareId");
    s.endpointName = readText(e, "endpointName");
    s.exeName = asciiLower(readText(e, "exeName"));
    s.exePath = readText(e, "exePath");
    s.gainDb = readFloat(e, "gainDb", 0);
    s.mute = readBool(e, "mute", false);
    s.solo = readBool(e, "solo", false);
    s.mono = readBool(e, "mono", false);

    const json& fx = objectOrEmpty(e, "fx");
    s.fx.gate = readFloat(fx, "gate", 0);
    s.fx.comp = readFloat(fx, "comp", 0);
    const json& eq = objectOrEmpty(fx, "eq");
    s.fx.eq.low = readFloat(eq, "low", 0);
    s.fx.eq.mid = readFloat(eq, "mid", 0);
    s.fx.eq.high = readFloat(eq, "high", 0);
    s.fx.pan = readFloat(fx, "pan", 0);
    s.fx.noiseSuppression = readBool(fx, "noiseSuppression", false);
    const json& voice = objectOrEmpty(fx, "voice");
    s.fx.voice.on = readBool(voice, "on", false);
    s.fx.voice.preset = readText(voice, "preset", "low");
    s.fx.voice.pitch = readFloat(voice, "pitch", -5);

    const json& ui = objectOrEmpty(e, "ui");
    s.ui.collapsed = readBool(ui, "collapsed", false);
    s.ui.hidden = readBool(ui, "hidden", false);
    s.ui.alwaysShow = readBool(ui, "alwaysShow", false);
    const json& targets = objectOrEmpty(e, "targets");
    s.targets.allApps = readBool(targets, "allApps", false);
    readStringSet(targets, "apps", s.targets.apps);
    s.monitor = readBool(e, "monitor", false);

    // An application's id is always derived from its executable name, whichever of the two an
    // older or hand-edited document carries.
    if (s.kind == SourceKind::App) {
        if (s.exeName.empty() && startsWith(s.id, "app:"))
            s.exeName = asciiLower(s.id.substr(4));
        if (!s.exeName.empty())
            s.id = "app:" + s.exeName;
    }
    if (s.kind == SourceKind::PhysicalInput && s.endpointId.empty() && startsWith(s.id, "in:"))
        s.endpointId = s.id.substr(3);
    return s;
}

// The current ten-band form, or the older three-band form spread over ten bands.
DeviceEq readDeviceEq(const json* eq) {
    DeviceEq out;
    if (!eq || !eq->is_object())
        return out;
    const json* bands = member(*eq, "bands");
    if (bands && bands->is_array() && bands->size() == kEqBands) {
        for (int i = 0; i < kEqBands; ++i) {
            auto n = numberOf(&(*bands)[static_cast<size_t>(i)]);
            out.bands[static_cast<size_t>(i)] = n ? fields::clamp(*n, -12, 12) : 0.f;
        }
        out.preset = readText(*eq, "preset");
        return out;
    }
    const float low = readFloat(*eq, "low", 0);
    const float mid = readFloat(*eq, "mid", 0);
    const float high = readFloat(*eq, "high", 0);
    out.bands = {low, low, low, low * 0.5f, mid * 0.5f, mid, mid * 0.5f, high * 0.5f, high, high};
    return out;
}

std::optional<Device> readDevice(const json& e) {
    Device d;
    d.id = readText(e, "id");
    d.endpointId = readText(e, "endpointId");
    if (d.id.empty()) {
        if (d.endpointId.empty())
            return std::nullopt;
        d.id = "out:" + d.endpointId;
    }
    d.kind = readText(e, "kind") == "virtual_mic" ? DeviceKind::VirtualMic : DeviceKind::Physical;
    d.name = readText(e, "name");
    d.hardwareId = readText(e, "hardwareId");
    d.endpointName = readText(e, "endpointName");
    const std::string state = readText(e, "state");
    d.state = state == "unavailable" ? DeviceState::Unavailable
              : state == "disabled"  ? DeviceState::Disabled
                                     : DeviceState::Available;
    d.gainDb = readFloat(e, "gainDb", 0);
    d.mute = readBool(e, "mute", false);
    d.eq = readDeviceEq(member(e, "eq"));
    d.mode = readText(e, "mode") == "all" ? DeviceMode::All : DeviceMode::Apps;
    readStringSet(e, "sources", d.sources);
    d.autoAddNewApps = readBool(e, "autoAddNewApps", false);
    d.ui.collapsed = readBool(objectOrEmpty(e, "ui"), "collapsed", false);
    d.latencyCompMs = readFloat(e, "latencyCompMs", 0);
    d.exclusiveMode = readBool(e, "exclusiveMode", false);
    d.align = readBool(e, "align", true);
    d.external = readBool(e, "external", false);
    d.recordEndpointId = readText(e, "recordEndpointId");
    d.recordEndpointName = readText(e, "recordEndpointName");
    d.recordHardwareId = readText(e, "recordHardwareId");
    return d;
}

// ---- Writing ---------------------------------------------------------------------------------

// Floats are written as the exact double of the stored float; the JSON writer's shortest
// round-trip form then parses back to the same float, so a save/load cycle is stable.
json num(float f) {
    return static_cast<double>(f);
}

json stringArray(const std::set<std::string>& set) {
    json a = json::array();
    for (const std::string& s : set)
        a.push_back(s);
    return a;
}

json stringArray(const std::vector<std::string>& list) {
    json a = json::array();
    for (const std::string& s : list)
        a.push_back(s);
    return a;
}

json writeSettings(const Settings& s) {
    json hotkeys = json::object();
    for (const auto& [action, spec] : s.hotkeys)
        hotkeys[action] = spec;
    return json{
        {"sampleRate", s.sampleRate},
        {"bufferMs", num(s.bufferMs)},
        {"autoSizeWindow", s.autoSizeWindow},
        {"density", s.density},
        {"autoHideDisconnected", s.autoHideDisconnected},
        {"startWithWindows", s.startWithWindows},
        {"systemEndpointId", s.systemEndpointId},
        {"safetyMs", num(s.safetyMs)},
        {"windowsDefaultsBefore",
         {{"render", s.windowsDefaultsBefore.render},
          {"capture", s.windowsDefaultsBefore.capture}}},
        {"hotkeys", std::move(hotkeys)},
        {"virtualMicAuto", s.virtualMicAuto},
        {"currentScene", s.currentScene},
        {"videoFolder", s.videoFolder},
        {"audioFolder", s.audioFolder},
        {"recentOutputs", stringArray(s.recentOutputs)},
        {"recentInputs", stringArray(s.recentInputs)},
        {"volumeKnob", s.volumeKnob},
    };
}

json writeSource(const Source& s) {
    json o = {
        {"id", s.id},
        {"kind", toString(s.kind)},
        {"name", s.name},
        {"gainDb", num(s.gainDb)},
        {"mute", s.mute},
        {"solo", s.solo},
        {"mono", s.mono},
        {"fx",
         {{"gate", num(s.fx.gate)},
          {"comp", num(s.fx.comp)},
          {"eq",
           {{"low", num(s.fx.eq.low)}, {"mid", num(s.fx.eq.mid)}, {"high", num(s.fx.eq.high)}}},
          {"pan", num(s.fx.pan)},
          {"noiseSuppression", s.fx.noiseSuppression},
          {"voice",
           {{"on", s.fx.voice.on},
            {"preset", s.fx.voice.preset},
            {"pitch", num(s.fx.voice.pitch)}}}}},
        {"ui",
         {{"collapsed", s.ui.collapsed}, {"hidden", s.ui.hidden}, {"alwaysShow", s.ui.alwaysShow}}},
    };
    auto putIfSet = [&o](const char* key, const std::string& v) {
        if (!v.empty())
            o[key] = v;
    };
    putIfSet("endpointId", s.endpointId);
    putIfSet("hardwareId", s.hardwareId);
    putIfSet("endpointName", s.endpointName);
    putIfSet("exeName", s.exeName);
    putIfSet("exePath", s.exePath);
    if (s.kind == SourceKind::PhysicalInput) {
        o["targets"] = {{"allApps", s.targets.allApps}, {"apps", stringArray(s.targets.apps)}};
        o["monitor"] = s.monitor;
    }
    return o;
}

json writeDevice(const Device& d) {
    json bands = json::array();
    for (float b : d.eq.bands)
        bands.push_back(num(b));
    json eq = {{"bands", std::move(bands)}};
    if (!d.eq.preset.empty())
        eq["preset"] = d.eq.preset;
    json o = {
        {"id", d.id},
        {"kind", toString(d.kind)},
        {"name", d.name},
        {"endpointId", d.endpointId},
        {"hardwareId", d.hardwareId},
        {"endpointName", d.endpointName},
        {"state", toString(d.state)},
        {"gainDb", num(d.gainDb)},
        {"mute", d.mute},
        {"eq", std::move(eq)},
        {"mode", toString(d.mode)},
        {"sources", stringArray(d.sources)},
        {"autoAddNewApps", d.autoAddNewApps},
        {"ui", {{"collapsed", d.ui.collapsed}}},
        {"latencyCompMs", num(d.latencyCompMs)},
        {"exclusiveMode", d.exclusiveMode},
        {"align", d.align},
    };
    if (d.external) {
        o["external"] = true;
        o["recordEndpointId"] = d.recordEndpointId;
        o["recordEndpointName"] = d.recordEndpointName;
        o["recordHardwareId"] = d.recordHardwareId;
    }
    return o;
}

// Strings in the document come from commands built by other code and are not guaranteed to be
// valid UTF-8. The strict error handler would throw on such bytes; "replace" writes U+FFFD
// instead, so the output is still valid UTF-8, nothing throws, and a second save of the re-read
// document is byte-identical.
constexpr auto kUtf8Errors = json::error_handler_t::replace;

std::string dumpCompact(const json& value) {
    return value.dump(-1, ' ', false, kUtf8Errors);
}

} // namespace

bool parseConfig(std::string_view text, MixerConfig& out, std::string& errorText) {
    const json root = json::parse(text, nullptr, /*allow_exceptions=*/false,
                                  /*ignore_comments=*/true);
    if (root.is_discarded() || !root.is_object()) {
        errorText = "config.json: ошибка синтаксиса JSON";
        return false;
    }

    MixerConfig doc;
    if (auto n = numberOf(member(root, "version")))
        doc.version = toInteger<int32_t>(*n, doc.version);
    if (const json* s = readObject(root, "settings"))
        doc.settings = readSettings(*s);

    if (const json* list = member(root, "sources"); list && list->is_array()) {
        doc.sources.reserve(list->size());
        for (const json& e : *list)
            if (e.is_object())
                if (auto s = readSource(e))
                    doc.sources.push_back(std::move(*s));
    }
    if (const json* list = member(root, "devices"); list && list->is_array()) {
        doc.devices.reserve(list->size());
        for (const json& e : *list)
            if (e.is_object())
                if (auto d = readDevice(e))
                    doc.devices.push_back(std::move(*d));
    }
    // Scenes too deeply nested to write back are treated like scenes that do not parse.
    if (const json* scenes = member(root, "scenes"))
        doc.scenes =
            fields::nestedDeeperThan(*scenes, fields::kMaxNesting) ? "[]" : dumpCompact(*scenes);

    out = std::move(doc);
    return true;
}

std::string serializeConfig(const MixerConfig& config) {
    json sources = json::array();
    for (const Source& s : config.sources)
        sources.push_back(writeSource(s));
    json devices = json::array();
    for (const Device& d : config.devices)
        devices.push_back(writeDevice(d));
    json scenes = json::parse(config.scenes, nullptr, /*allow_exceptions=*/false);
    if (scenes.is_discarded() || fields::nestedDeeperThan(scenes, fields::kMaxNesting))
        scenes = json::array();

    json root = json::object();
    root["version"] = config.version;
    root["settings"] = writeSettings(config.settings);
    root["sources"] = std::move(sources);
    root["devices"] = std::move(devices);
    root["scenes"] = std::move(scenes);
    return root.dump(2, ' ', false, kUtf8Errors);
}

} // namespace qv
