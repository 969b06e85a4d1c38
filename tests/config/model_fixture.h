#pragma once
// A small mixer shared by the document and command tests. Sources: 0 "system", 1 "in:mic",
// 2 "app:discord.exe", 3 "app:game.exe", 4 "app:obs.exe". Devices: 0 "out:hp" (apps, nothing
// routed), 1 "out:spk" (all), 2 "virtual_mic".

#include "config/commands.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace qv::test {

using nlohmann::json;

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

inline void expectRefused(const CommandResult& r, const std::string& text) {
    EXPECT_TRUE(r.handled);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, text);
}

} // namespace qv::test
