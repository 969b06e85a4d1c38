#pragma once
// Endpoint records and small documents shared by the endpoint and scene tests.

#include "config/commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::testing_support {

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

inline nlohmann::json command(const char* name, nlohmann::json fields = nlohmann::json::object()) {
    fields["cmd"] = name;
    return fields;
}

// Runs a command that must be accepted.
inline CommandResult accept(MixerConfig& c, const nlohmann::json& cmd,
                            const std::vector<EndpointInfo>& eps = {}) {
    CommandResult r = applyCommand(c, cmd, eps);
    EXPECT_TRUE(r.handled) << cmd.dump();
    EXPECT_TRUE(r.ok) << cmd.dump() << ": " << r.error;
    return r;
}

// Runs a command that must be refused with `error`.
inline void refuse(MixerConfig& c, const nlohmann::json& cmd, const std::string& error,
                   const std::vector<EndpointInfo>& eps = {}) {
    CommandResult r = applyCommand(c, cmd, eps);
    EXPECT_TRUE(r.handled) << cmd.dump();
    EXPECT_FALSE(r.ok) << cmd.dump();
    EXPECT_EQ(r.error, error) << cmd.dump();
}

} // namespace qv::testing_support
