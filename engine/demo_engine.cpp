// The demo engine's answers to requests: the engine's own commands here, the configuration
// commands through the shared model.

#include "engine/demo_engine.h"

#include "config/endpoints.h"
#include "config/json_text.h"

namespace qv {

using nlohmann::json;

namespace {

std::string textField(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    return it != obj.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool boolField(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    return it != obj.end() && it->is_boolean() && it->get<bool>();
}

json failure(std::string error) {
    return json{{"ok", false}, {"error", std::move(error)}};
}

// Commands whose effect shows in the endpoint list (its inConfig members).
bool touchesEndpointList(std::string_view cmd) {
    return cmd == "addDevice" || cmd == "addInput" || cmd.starts_with("remove");
}

} // namespace

// The messages one request produces: events first, in the order they happened, then the reply.
struct DemoEngine::Output {
    std::vector<json> events;
    json reply = json{{"ok", true}};
};

std::string dumpMessage(const json& message) {
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

DemoEngine::DemoEngine(bool windowsDefault, bool driverPresent)
    : driverPresent_(driverPresent),
      configPath_("C:\\Users\\Demo\\AppData\\Roaming\\QUORVEL\\config.json") {
    DemoWorld world = makeDemoWorld(windowsDefault, driverPresent);
    config_ = std::move(world.config);
    endpoints_ = std::move(world.endpoints);
    for (size_t k = 0; k < phases_.size(); ++k)
        phases_[k] = static_cast<float>(k) * 1.37f;
}

void DemoEngine::replaceConfig(MixerConfig config) {
    config_ = std::move(config);
    ++revision_;
}

std::vector<EndpointInfo> DemoEngine::endpointInfos() const {
    std::vector<EndpointInfo> infos;
    infos.reserve(endpoints_.size());
    for (const DemoEndpoint& e : endpoints_)
        infos.push_back(e.info);
    return infos;
}

json tooDeepReply(const json& pruned) {
    json reply = failure("запрос слишком глубоко вложен — не выполнен");
    if (pruned.is_object())
        if (auto id = pruned.find("reqId"); id != pruned.end() && id->is_number())
            reply["reqId"] = *id;
    return reply;
}

std::vector<std::string> DemoEngine::handle(std::string_view request, int64_t clockMs) {
    const ParsedJson parsed = parseJsonText(request);
    if (parsed.tooDeep)
        return {dumpMessage(tooDeepReply(parsed.value))};
    std::vector<std::string> messages;
    for (const json& m : handle(parsed.value, clockMs))
        messages.push_back(dumpMessage(m));
    return messages;
}

std::vector<json> DemoEngine::handle(const json& request, int64_t clockMs) {
    if (!request.is_object())
        return {};
    const std::string cmd = textField(request, "cmd");
    Output out;

    if (cmd == "ping") {
        out.reply["version"] = "demo";
        out.reply["pid"] = 0;
    } else if (cmd == "getState") {
        out.reply["state"] = state(clockMs);
    } else if (cmd == "getConfig") {
        out.reply["config"] = configPayload();
    } else if (cmd == "listEndpoints") {
        out.reply["endpoints"] = endpointsPayload();
    } else if (cmd == "getEvents") {
        out.reply["events"] = json::array();
    } else if (cmd == "subscribe") {
        subscribed_ = boolField(request, "on");
    } else if (cmd == "assignWindowsDefaults") {
        assignWindowsDefaults(out);
    } else if (cmd == "setWindowsDefault") {
        setWindowsDefault(request, out);
    } else if (cmd == "demoIssues") {
        issues_ = boolField(request, "on");
    } else if (cmd == "demoCable") {
        demoCable(request, out);
    } else if (cmd == "shutdown") {
        // Nothing to stop in the demo; the host decides whether to end.
    } else {
        handleModelCommand(request, cmd, out);
    }

    if (auto id = request.find("reqId"); id != request.end())
        out.reply["reqId"] = *id;

    std::vector<json> messages;
    if (subscribed_)
        messages = std::move(out.events);
    messages.push_back(std::move(out.reply));
    return messages;
}

std::vector<std::string> DemoEngine::tick(int64_t clockMs) const {
    if (!subscribed_)
        return {};
    return {dumpMessage(json{{"event", "state"}, {"state", state(clockMs)}})};
}

void DemoEngine::handleModelCommand(const json& request, const std::string& cmd, Output& out) {
    // A refused command may already have applied its earlier fields; the engine's document
    // must not keep such half edits, so the command runs on a copy that is kept only when
    // the command is accepted.
    MixerConfig edited = config_;
    const json endpointsBefore = endpointsPayload();
    CommandResult result = applyCommand(edited, request, endpointInfos());
    if (!result.handled) {
        out.reply = failure("неизвестная команда «" + cmd + "»");
        return;
    }
    if (!result.ok) {
        out.reply = failure(result.error);
        return;
    }
    if (result.reply.is_object())
        out.reply.update(result.reply);
    out.reply["ok"] = true;
    out.reply["changed"] = result.changed;
    if (!result.changed)
        return;

    config_ = std::move(edited);
    ++revision_;
    out.events.push_back(json{{"event", "config"}, {"config", configPayload()}});
    // Moving a strip to another endpoint or choosing the outside cable also changes which
    // endpoints the document uses, so those are pushed too, not only additions and removals.
    json endpointsAfter = endpointsPayload();
    if (touchesEndpointList(cmd) || endpointsAfter != endpointsBefore)
        out.events.push_back(
            json{{"event", "endpoints"}, {"endpoints", std::move(endpointsAfter)}});
}

void DemoEngine::assignWindowsDefaults(Output& out) {
    if (!driverPresent_) {
        out.reply = failure("драйвер QUORVEL не установлен");
        return;
    }
    for (DemoEndpoint& e : endpoints_) {
        e.info.isDefault = e.tag == (e.info.render ? "sink" : "mic");
        e.info.isDefaultComm = e.info.isDefault;
    }
    out.events.push_back(json{{"event", "endpoints"}, {"endpoints", endpointsPayload()}});
}

void DemoEngine::setWindowsDefault(const json& request, Output& out) {
    const std::string id = textField(request, "endpointId");
    // Windows only makes a present playback endpoint the default; answering ok for anything
    // else would leave no default output at all and report that as success.
    const DemoEndpoint* target = findEndpoint(id);
    if (!target || !target->info.render || !target->info.active) {
        out.reply = failure("нет устройства вывода с ID «" + id + "»");
        return;
    }
    for (DemoEndpoint& e : endpoints_) {
        if (!e.info.render)
            continue;
        e.info.isDefault = e.info.id == id;
        e.info.isDefaultComm = e.info.isDefault;
    }
    out.events.push_back(json{{"event", "endpoints"}, {"endpoints", endpointsPayload()}});
}

void DemoEngine::demoCable(const json& request, Output& out) {
    const bool on = boolField(request, "on");
    for (DemoEndpoint& e : endpoints_) {
        if (e.info.id == "demo-cable-in" || e.info.id == "demo-cable-out")
            e.info.active = on;
    }
    if (on && autoSetupVirtualMic(config_, endpointInfos())) {
        ++revision_;
        out.events.push_back(json{{"event", "config"}, {"config", configPayload()}});
    }
    out.events.push_back(json{{"event", "endpoints"}, {"endpoints", endpointsPayload()}});
}

const DemoEndpoint* DemoEngine::findEndpoint(std::string_view id) const {
    for (const DemoEndpoint& e : endpoints_) {
        if (e.info.id == id)
            return &e;
    }
    return nullptr;
}

bool DemoEngine::endpointActive(std::string_view id) const {
    const DemoEndpoint* e = findEndpoint(id);
    return e && e->info.active;
}

} // namespace qv
