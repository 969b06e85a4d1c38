#pragma once
// The mixer configuration document in memory: inputs, outputs, routes, effects, equalisers,
// settings and the saved scenes. Shared by the Backend's mirror, the demo engine and the
// stand-in engine; depends only on the standard library.

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

enum class SourceKind { PhysicalInput, App, System };
enum class DeviceKind { Physical, VirtualMic };
enum class DeviceState { Available, Unavailable, Disabled };
enum class DeviceMode { All, Apps };

struct WindowsDefaultsBefore {
    std::string render;
    std::string capture;
};

struct Settings {
    uint32_t sampleRate = 48000;
    float bufferMs = 10;
    bool autoSizeWindow = true;
    std::string density = "full";
    bool autoHideDisconnected = true;
    bool startWithWindows = true;
    std::string systemEndpointId;
    float safetyMs = 2;
    WindowsDefaultsBefore windowsDefaultsBefore;
    std::map<std::string, std::string> hotkeys; // action -> spec, only non-empty specs
    bool virtualMicAuto = true;
    std::string currentScene;
    std::string videoFolder;
    std::string audioFolder;
    std::vector<std::string> recentOutputs; // newest first, unique, at most 16
    std::vector<std::string> recentInputs;
    std::string volumeKnob; // "" first output strip, a device id, or "off"
};

struct VoiceFx {
    bool on = false;
    std::string preset = "low";
    float pitch = -5;
};

struct InputEq {
    float low = 0;
    float mid = 0;
    float high = 0;
};

struct SourceFx {
    float gate = 0;
    float comp = 0;
    InputEq eq;
    float pan = 0;
    bool noiseSuppression = false;
    VoiceFx voice;
};

struct SourceUi {
    bool collapsed = false;
    bool hidden = false;
    bool alwaysShow = false;
};

struct SourceTargets {
    bool allApps = false;
    std::set<std::string> apps;
};

struct Source {
    std::string id;
    SourceKind kind = SourceKind::App;
    std::string name;
    std::string endpointId;
    std::string hardwareId;
    std::string endpointName;
    std::string exeName;
    std::string exePath;
    float gainDb = 0;
    bool mute = false;
    bool solo = false;
    bool mono = false;
    SourceFx fx;
    SourceUi ui;
    SourceTargets targets; // physical_input only
    bool monitor = false;  // physical_input only
};

inline constexpr int kEqBands = 10;

struct DeviceEq {
    std::array<float, kEqBands> bands{};
    std::string preset; // "" = custom / none
};

struct DeviceUi {
    bool collapsed = false;
};

struct Device {
    std::string id;
    DeviceKind kind = DeviceKind::Physical;
    std::string name;
    std::string endpointId;
    std::string hardwareId;
    std::string endpointName;
    DeviceState state = DeviceState::Available;
    float gainDb = 0;
    bool mute = false;
    DeviceEq eq;
    DeviceMode mode = DeviceMode::Apps;
    std::set<std::string> sources;
    bool autoAddNewApps = false;
    DeviceUi ui;
    float latencyCompMs = 0;
    bool exclusiveMode = false;
    bool align = true;
    bool external = false; // virtual_mic only
    std::string recordEndpointId;
    std::string recordEndpointName;
    std::string recordHardwareId;
};

struct MixerConfig {
    int32_t version = 1;
    Settings settings;
    std::vector<Source> sources;
    std::vector<Device> devices;
    std::string scenes = "[]"; // compact JSON text

    // Linear search in list order, exact match, first hit.
    Source* findSource(std::string_view id);
    const Source* findSource(std::string_view id) const;
    Device* findDevice(std::string_view id);
    const Device* findDevice(std::string_view id) const;
};

inline constexpr std::string_view kSystemSourceId = "system";
inline constexpr std::string_view kVirtualMicId = "virtual_mic";

// Whether source `s` plays on device `d` (the routing relation).
bool playsOn(const Source& s, const Device& d);

// Text forms used in the JSON document.
std::string_view toString(SourceKind k);
std::string_view toString(DeviceKind k);
std::string_view toString(DeviceState s);
std::string_view toString(DeviceMode m);

// Reads a whole document. On success replaces `out` and returns true; on failure leaves
// `out` untouched, sets `errorText` and returns false. Never throws.
bool parseConfig(std::string_view text, MixerConfig& out, std::string& errorText);

// The whole document as JSON text: keys sorted, indent 2, non-ASCII written as UTF-8.
std::string serializeConfig(const MixerConfig& config);

} // namespace qv
