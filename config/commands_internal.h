#pragma once
// The individual commands behind applyCommand. Internal to the config library.

#include "config/commands.h"

namespace qv::cmd {

using nlohmann::json;
using Endpoints = std::vector<EndpointInfo>;

// Strip and routing commands.
CommandResult setSource(MixerConfig& c, const json& cmd);
CommandResult setDevice(MixerConfig& c, const json& cmd);
CommandResult toggleRoute(MixerConfig& c, const json& cmd);
CommandResult setDeviceAll(MixerConfig& c, const json& cmd);
CommandResult toggleMicTarget(MixerConfig& c, const json& cmd);
CommandResult setMicAll(MixerConfig& c, const json& cmd);
CommandResult removeDevice(MixerConfig& c, const json& cmd);
CommandResult removeSource(MixerConfig& c, const json& cmd);

// Settings and the whole document.
CommandResult setSettings(MixerConfig& c, const json& cmd);
CommandResult setConfig(MixerConfig& c, const json& cmd);

// Scenes.
CommandResult saveScene(MixerConfig& c, const json& cmd);
CommandResult updateScene(MixerConfig& c, const json& cmd);
CommandResult applyScene(MixerConfig& c, const json& cmd);
CommandResult renameScene(MixerConfig& c, const json& cmd);
CommandResult deleteScene(MixerConfig& c, const json& cmd);

// Endpoints.
CommandResult setVirtualMic(MixerConfig& c, const json& cmd, const Endpoints& eps);
CommandResult replaceDevice(MixerConfig& c, const json& cmd, const Endpoints& eps);
CommandResult replaceInput(MixerConfig& c, const json& cmd, const Endpoints& eps);
CommandResult addDevice(MixerConfig& c, const json& cmd, const Endpoints& eps);
CommandResult addInput(MixerConfig& c, const json& cmd, const Endpoints& eps);

// The volume knob follows one output strip by id; when that strip is gone it falls back to the
// first output strip ("") instead of following nothing. "" and "off" are kept.
void keepVolumeKnobOnDevice(MixerConfig& c);

// Makes a virtual cable the outside virtual microphone (shared by setVirtualMic and
// autoSetupVirtualMic); leaves virtualMicAuto to the caller.
void attachCableAsVirtualMic(MixerConfig& c, const EndpointInfo& playback,
                             const EndpointInfo& recording);

} // namespace qv::cmd
