#include "tests/support/scripted_transport.h"

namespace qv::test {

using Json = nlohmann::json;

ScriptedTransport::ScriptedTransport(QObject* parent) : Transport(parent) {}

void ScriptedTransport::deliver(const Json& message) {
    const std::string text = message.dump(-1, ' ', false, Json::error_handler_t::replace);
    deliver(QByteArray(text.data(), qsizetype(text.size())));
}

void ScriptedTransport::reply(const Json& request, const Json& extra) {
    Json answer = {{"ok", true}};
    if (request.is_object() && request.contains("reqId"))
        answer["reqId"] = request["reqId"];
    if (extra.is_object())
        answer.update(extra);
    deliver(answer);
}

std::vector<Json> ScriptedTransport::sentJson() const {
    std::vector<Json> out;
    for (const QByteArray& bytes : m_sent)
        out.push_back(
            Json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr, false));
    return out;
}

std::vector<Json> ScriptedTransport::takeSent() {
    std::vector<Json> out = sentJson();
    m_sent.clear();
    return out;
}

std::vector<Json> ScriptedTransport::sentWithCmd(const std::string& cmd) const {
    std::vector<Json> out;
    for (const Json& j : sentJson())
        if (j.is_object() && j.value("cmd", Json()) == cmd)
            out.push_back(j);
    return out;
}

} // namespace qv::test
