// applyCommand: the one entry point through which every edit reaches a document, shared by the
// Backend's mirror and the demo engine so both refuse the same commands with the same texts.

#include "config/command_fields.h"
#include "config/commands_internal.h"

#include <string_view>

namespace qv {

namespace {

using Handler = CommandResult (*)(MixerConfig&, const nlohmann::json&, const cmd::Endpoints&);

// Most commands do not look at the endpoint list; this adapts them to the common signature.
template <CommandResult (*Command)(MixerConfig&, const nlohmann::json&)>
CommandResult withoutEndpoints(MixerConfig& c, const nlohmann::json& command,
                               const cmd::Endpoints&) {
    return Command(c, command);
}

struct Entry {
    std::string_view name;
    Handler run;
};

// Compared in this order; the live fader and switch edits come first because they are by far
// the most frequent.
constexpr Entry kCommands[] = {
    {"setSource", withoutEndpoints<cmd::setSource>},
    {"setDevice", withoutEndpoints<cmd::setDevice>},
    {"toggleRoute", withoutEndpoints<cmd::toggleRoute>},
    {"setDeviceAll", withoutEndpoints<cmd::setDeviceAll>},
    {"toggleMicTarget", withoutEndpoints<cmd::toggleMicTarget>},
    {"setMicAll", withoutEndpoints<cmd::setMicAll>},
    {"setVirtualMic", cmd::setVirtualMic},
    {"replaceDevice", cmd::replaceDevice},
    {"replaceInput", cmd::replaceInput},
    {"saveScene", withoutEndpoints<cmd::saveScene>},
    {"updateScene", withoutEndpoints<cmd::updateScene>},
    {"applyScene", withoutEndpoints<cmd::applyScene>},
    {"renameScene", withoutEndpoints<cmd::renameScene>},
    {"deleteScene", withoutEndpoints<cmd::deleteScene>},
    {"addDevice", cmd::addDevice},
    {"addInput", cmd::addInput},
    {"removeDevice", withoutEndpoints<cmd::removeDevice>},
    {"removeSource", withoutEndpoints<cmd::removeSource>},
    {"setSettings", withoutEndpoints<cmd::setSettings>},
    {"setConfig", withoutEndpoints<cmd::setConfig>},
};

// A command outside the model: the caller decides (the Backend forwards it to the engine).
CommandResult notHandled() {
    CommandResult r;
    r.handled = false;
    return r;
}

} // namespace

CommandResult applyCommand(MixerConfig& config, const nlohmann::json& command,
                           const std::vector<EndpointInfo>& endpoints) {
    if (!command.is_object())
        return fields::refused("команда должна быть объектом JSON");
    auto it = command.find("cmd");
    if (it == command.end() || !it->is_string())
        return notHandled();
    const std::string& name = it->get_ref<const std::string&>();
    for (const Entry& e : kCommands)
        if (e.name == name)
            return e.run(config, command, endpoints);
    return notHandled();
}

namespace cmd {

CommandResult setConfig(MixerConfig& c, const json& command) {
    const json* value = fields::object(command, "config");
    if (!value)
        return fields::refused("нет поля \"config\"");
    // The same limit as for a document read from text: writing deeper values would overflow
    // the stack.
    if (fields::nestedDeeperThan(*value, fields::kMaxNesting + 1))
        return fields::refused("config.json: ошибка синтаксиса JSON");
    // The value may hold strings that are not valid UTF-8 (it was built by code, not parsed);
    // they are replaced rather than thrown on, as in serializeConfig.
    const std::string text = value->dump(-1, ' ', false, json::error_handler_t::replace);
    MixerConfig fresh;
    std::string error;
    if (!parseConfig(text, fresh, error))
        return fields::refused(std::move(error));
    const bool changed = serializeConfig(c) != serializeConfig(fresh);
    c = std::move(fresh);
    return fields::accepted(changed);
}

} // namespace cmd

} // namespace qv
