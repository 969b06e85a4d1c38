// setSettings: the settings dialog, the sources panel, the recorder and the hotkey editor all
// change the settings block through this one command. Keys owned by other commands (the sample
// rate, the current scene, the recent endpoint lists, the saved Windows defaults) are ignored.

#include "config/command_fields.h"
#include "config/commands_internal.h"

#include <optional>

namespace qv::cmd {

namespace {

// Any string, including an empty one; a member of another type is skipped.
bool storeText(std::string& field, const json& command, std::string_view key) {
    auto it = command.find(key);
    if (it == command.end() || !it->is_string())
        return false;
    return fields::store(field, it->get_ref<const std::string&>());
}

// The command names only the actions it changes: a non-empty spec binds the action, anything
// else unbinds it, and unnamed actions keep their bindings.
bool mergeHotkeys(std::map<std::string, std::string>& stored, const json& edit) {
    std::map<std::string, std::string> merged = stored;
    for (auto it = edit.begin(); it != edit.end(); ++it) {
        if (it->is_string() && !it->get_ref<const std::string&>().empty())
            merged[it.key()] = it->get_ref<const std::string&>();
        else
            merged.erase(it.key());
    }
    return fields::store(stored, merged);
}

} // namespace

CommandResult setSettings(MixerConfig& c, const json& command) {
    Settings& s = c.settings;
    bool changed = fields::storeNumber(s.bufferMs, fields::number(command, "bufferMs"), 3, 100);
    changed |= fields::storeNumber(s.safetyMs, fields::number(command, "safetyMs"), 0, 50);
    changed |= fields::storeBool(s.autoSizeWindow, fields::boolean(command, "autoSizeWindow"));
    changed |=
        fields::storeBool(s.autoHideDisconnected, fields::boolean(command, "autoHideDisconnected"));
    changed |= fields::storeBool(s.startWithWindows, fields::boolean(command, "startWithWindows"));
    changed |= storeText(s.systemEndpointId, command, "systemEndpointId");
    changed |= storeText(s.videoFolder, command, "videoFolder");
    changed |= storeText(s.audioFolder, command, "audioFolder");
    changed |= storeText(s.volumeKnob, command, "volumeKnob");
    changed |= fields::storeBool(s.virtualMicAuto, fields::boolean(command, "virtualMicAuto"));
    if (const json* hotkeys = fields::object(command, "hotkeys"))
        changed |= mergeHotkeys(s.hotkeys, *hotkeys);

    if (auto it = command.find("density"); it != command.end() && it->is_string()) {
        const std::string& density = it->get_ref<const std::string&>();
        if (density != "full" && density != "compact") {
            CommandResult r = fields::refused("density: \"full\" или \"compact\"");
            r.changed = changed; // the keys before density are already applied
            return r;
        }
        changed |= fields::store(s.density, density);
    }
    return fields::accepted(changed);
}

} // namespace qv::cmd
