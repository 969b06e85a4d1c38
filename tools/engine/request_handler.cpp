#include "tools/engine/request_handler.h"

#include "config/json_text.h"
#include "engine/framing.h"

namespace qv::standin {

using nlohmann::json;

std::string framedPayload(const json& message, std::string& warning) {
    std::string payload = dumpMessage(message);
    if (payload.size() <= link::kMaxMessageBytes)
        return payload;
    if (message.contains("event")) {
        warning = "an event too large to send was dropped";
        return {};
    }
    warning = "a reply too large to send was replaced by an error";
    json failure = {{"ok", false},
                    {"error", "ответ движка слишком велик для передачи (" +
                                  std::to_string(payload.size()) + " байт)"}};
    if (auto id = message.find("reqId"); id != message.end())
        failure["reqId"] = *id;
    payload = dumpMessage(failure);
    if (payload.size() > link::kMaxMessageBytes) {
        failure.erase("reqId");
        payload = dumpMessage(failure);
    }
    return payload;
}

Answer answerRequest(DemoEngine& engine, std::string_view text, int64_t clockMs) {
    Answer answer;
    const auto add = [&answer](const json& message) {
        std::string warning;
        std::string payload = framedPayload(message, warning);
        if (!warning.empty())
            answer.warnings.push_back(std::move(warning));
        if (!payload.empty())
            answer.payloads.push_back(std::move(payload));
    };

    const ParsedJson parsed = parseJsonText(text);
    if (parsed.tooDeep) {
        answer.warnings.push_back("a request nested too deeply was refused");
        add(tooDeepReply(parsed.value));
        return answer;
    }
    const json& request = parsed.value;
    if (!request.is_object())
        return answer; // like the demo engine: not a request, no reply
    const auto cmd = request.find("cmd");
    const bool isText = cmd != request.end() && cmd->is_string();

    // Inside the interface nothing ends with "quit", so the demo engine answers it as an
    // unknown command; a real engine answers it and then ends, and the interface waits for
    // that answer before it exits.
    if (isText && *cmd == "quit") {
        json reply = {{"ok", true}};
        if (auto id = request.find("reqId"); id != request.end())
            reply["reqId"] = *id;
        add(reply);
        answer.stop = true;
        return answer;
    }

    for (const json& m : engine.handle(request, clockMs))
        add(m);
    answer.stop = isText && *cmd == "shutdown";
    return answer;
}

} // namespace qv::standin
