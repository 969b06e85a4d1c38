#pragma once
// The edit commands of the configuration model and their shared dispatcher.

#include "config/mixer_config.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace qv {

// One Windows audio endpoint as listed by the engine.
struct EndpointInfo {
    std::string id;
    std::string name;
    std::string hardwareId;
    bool render = true;
    bool active = false;
    bool isDefault = false;
    std::string topologyName; // the endpoints message carries none; empty inside the interface
    bool isDefaultComm = false;
};

struct CommandResult {
    bool handled = true;
    bool ok = true;
    bool changed = false;
    std::string error;
    nlohmann::json reply; // null or an object
};

// Applies one edit command to `config` in place. Fields are applied in order, so a refused
// command may leave earlier fields applied; the result still carries the error.
CommandResult applyCommand(MixerConfig& config, const nlohmann::json& command,
                           const std::vector<EndpointInfo>& endpoints);

// What a scene stores of the document.
nlohmann::json sceneSnapshot(const MixerConfig& config);

// True when the current scene's stored snapshot differs from the document's snapshot.
bool sceneModified(const MixerConfig& config);

struct EqEditResult {
    bool changed = false;
    std::string error; // empty on success
};

// The device equaliser edit run by setDevice for its "eq" field.
EqEditResult applyDeviceEq(DeviceEq& eq, const nlohmann::json& edit);

} // namespace qv
