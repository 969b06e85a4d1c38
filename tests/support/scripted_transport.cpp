#include "tests/support/scripted_transport.h"

#include <QMetaObject>

namespace qv::test {

using Json = nlohmann::json;

Json parseMessage(const QByteArray& bytes) {
    return Json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr, false);
}

ScriptedTransport::ScriptedTransport(QObject* parent) : Transport(parent) {}

void ScriptedTransport::send(QByteArray json) {
    m_sent.append(json);
    if (!m_responder)
        return;
    const Json request = parseMessage(json);
    if (request.is_discarded())
        return;
    for (const Json& answer : m_responder(request)) {
        const std::string text = answer.dump(-1, ' ', false, Json::error_handler_t::replace);
        QByteArray bytes(text.data(), qsizetype(text.size()));
        QMetaObject::invokeMethod(
            this, [this, bytes] { emit message(bytes); }, Qt::QueuedConnection);
    }
}

bool ScriptedTransport::readMeters(qv::MeterBlock* out) {
    if (m_meters.empty() || !out)
        return false;
    *out = m_meters.front();
    m_meters.pop_front();
    return true;
}

void ScriptedTransport::connectEngine(const QString& status) {
    emit connectionChanged(true, status);
}

void ScriptedTransport::disconnectEngine(const QString& status) {
    emit connectionChanged(false, status);
}

void ScriptedTransport::deliver(const QByteArray& bytes) {
    emit message(bytes);
}

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
    out.reserve(size_t(m_sent.size()));
    for (const QByteArray& bytes : m_sent)
        out.push_back(parseMessage(bytes));
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
        if (j.is_object() && j.contains("cmd") && j["cmd"].is_string() && j["cmd"] == cmd)
            out.push_back(j);
    return out;
}

} // namespace qv::test
