#pragma once
// Documents, endpoint records and command runners shared by the configuration tests.

#include "config/commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace qv::test {

using nlohmann::json;

// A small mixer. Sources: 0 "system", 1 "in:mic", 2 "app:discord.exe", 3 "app:game.exe",
// 4 "app:obs.exe". Devices: 0 "out:hp" (apps, nothing routed), 1 "out:spk" (all),
// 2 "virtual_mic".
inline MixerConfig smallMixer() {
    MixerConfig c;
    for (const char* id : {"system", "in:mic", "app:discord.exe", "app:game.exe", "app:obs.exe"}) {
        Source s;
        s.id = s.name = id;
        // Already in the form a parse normalises to, so the fixture survives a round trip.
        s.kind = s.id == "system"          ? SourceKind::System
                 : s.id.starts_with("in:") ? SourceKind::PhysicalInput
                                           : SourceKind::App;
        if (s.kind != SourceKind::System)
            (s.kind == SourceKind::App ? s.exeName : s.endpointId) =
                s.id.substr(s.id.find(':') + 1);
        c.sources.push_back(s);
    }
    for (const char* id : {"out:hp", "out:spk", "virtual_mic"}) {
        Device d;
        d.id = id;
        d.name = "Name of " + d.id;
        d.kind = d.id == kVirtualMicId ? DeviceKind::VirtualMic : DeviceKind::Physical;
        d.mode = d.id == "out:spk" ? DeviceMode::All : DeviceMode::Apps;
        c.devices.push_back(d);
    }
    return c;
}

inline CommandResult run(MixerConfig& c, const json& command) {
    return applyCommand(c, command, {});
}

// One value of the document as written, or "<missing>".
inline json written(const MixerConfig& c, const std::string& pointer) {
    const json doc = json::parse(serializeConfig(c));
    const json::json_pointer p(pointer);
    return doc.contains(p) ? doc[p] : json("<missing>");
}

inline EndpointInfo playback(std::string id, std::string name, std::string hardwareId = "hdaudio#1",
                             std::string tag = {}) {
    EndpointInfo e;
    e.id = std::move(id);
    e.name = std::move(name);
    e.hardwareId = std::move(hardwareId);
    e.render = true;
    e.active = true;
    e.topologyName = std::move(tag);
    return e;
}

inline EndpointInfo recording(std::string id, std::string name,
                              std::string hardwareId = "hdaudio#1", std::string tag = {}) {
    EndpointInfo e =
        playback(std::move(id), std::move(name), std::move(hardwareId), std::move(tag));
    e.render = false;
    return e;
}

inline EndpointInfo inactive(EndpointInfo e) {
    e.active = false;
    return e;
}

inline Source microphone(std::string endpointId, std::string name = "Микрофон") {
    Source s;
    s.id = "in:" + endpointId;
    s.kind = SourceKind::PhysicalInput;
    s.endpointId = std::move(endpointId);
    s.name = s.endpointName = std::move(name);
    return s;
}

inline Source application(const std::string& exe) {
    Source s;
    s.id = "app:" + exe;
    s.kind = SourceKind::App;
    s.exeName = exe;
    s.name = exe;
    return s;
}

inline Device output(std::string endpointId, std::string name = "Наушники") {
    Device d;
    d.id = "out:" + endpointId;
    d.endpointId = std::move(endpointId);
    d.name = d.endpointName = std::move(name);
    return d;
}

inline json command(const char* name, json fields = json::object()) {
    fields["cmd"] = name;
    return fields;
}

// Runs a command that must be accepted.
inline CommandResult accept(MixerConfig& c, const json& cmd,
                            const std::vector<EndpointInfo>& eps = {}) {
    CommandResult r = applyCommand(c, cmd, eps);
    EXPECT_TRUE(r.handled) << cmd.dump();
    EXPECT_TRUE(r.ok) << cmd.dump() << ": " << r.error;
    return r;
}

// Runs a command that must be refused with `error`.
inline CommandResult refuse(MixerConfig& c, const json& cmd, const std::string& error,
                            const std::vector<EndpointInfo>& eps = {}) {
    CommandResult r = applyCommand(c, cmd, eps);
    EXPECT_TRUE(r.handled) << cmd.dump();
    EXPECT_FALSE(r.ok) << cmd.dump();
    EXPECT_EQ(r.error, error) << cmd.dump();
    return r;
}

} // namespace qv::test
