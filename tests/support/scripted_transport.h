#pragma once
// ScriptedTransport: a Transport a test drives by hand.
//
//   sent()/sentJson()        every message handed to send(), as bytes and parsed; takeSent()
//                            returns the parsed ones and forgets them
//   connect()/disconnect()   emit connectionChanged(true/false, status)
//   deliver(json|bytes)      emit message() at once, as the engine's reply or event
//   reply(request, extra)    a reply to a recorded request: its reqId, "ok": true, plus extra
//   setResponder(fn)         answers every later send() with what fn returns, each message
//                            delivered on a later event-loop turn, in order (like the demo engine)
//   pushMeters(block)        queues a snapshot for readMeters(); readMeters() copies the oldest
//                            queued one and reports false when none is queued
//   setDemo(on)              what isDemo() reports; startEngineCalls() counts startEngine()

#include "engine/transport.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <nlohmann/json.hpp>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qv::test {

class ScriptedTransport : public qv::ui::Transport {
    Q_OBJECT
public:
    using Json = nlohmann::json;
    // The messages the scripted engine sends back for one request, in order.
    using Responder = std::function<std::vector<Json>(const Json& request)>;

    explicit ScriptedTransport(QObject* parent = nullptr);

    void start() override { ++m_starts; }
    void send(QByteArray json) override;
    bool readMeters(qv::MeterBlock* out) override;
    bool isDemo() const override { return m_demo; }
    void startEngine() override { ++m_engineStarts; }

    void setDemo(bool on) { m_demo = on; }
    int starts() const { return m_starts; }
    int startEngineCalls() const { return m_engineStarts; }

    void connectEngine(const QString& status = QString());
    void disconnectEngine(const QString& status = QStringLiteral("Движок недоступен"));

    void deliver(const QByteArray& bytes);
    void deliver(const Json& message);
    // {"reqId": request's reqId, "ok": true} merged with `extra` (extra wins).
    void reply(const Json& request, const Json& extra = Json::object());

    const QList<QByteArray>& sent() const { return m_sent; }
    std::vector<Json> sentJson() const;
    std::vector<Json> takeSent();
    // The recorded requests whose "cmd" is `cmd`, oldest first.
    std::vector<Json> sentWithCmd(const std::string& cmd) const;
    void clearSent() { m_sent.clear(); }

    void setResponder(Responder responder) { m_responder = std::move(responder); }
    void pushMeters(const qv::MeterBlock& block) { m_meters.push_back(block); }

private:
    QList<QByteArray> m_sent;
    Responder m_responder;
    std::deque<qv::MeterBlock> m_meters;
    bool m_demo = false;
    int m_starts = 0;
    int m_engineStarts = 0;
};

// Parses one sent message; a discarded value when it is not JSON.
nlohmann::json parseMessage(const QByteArray& bytes);

} // namespace qv::test
