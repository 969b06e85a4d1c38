#pragma once
// ScriptedTransport: a Transport a test drives by hand. It records what is sent, emits what the
// test delivers at once, and never has meters.

#include "engine/transport.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace qv::test {

class ScriptedTransport : public qv::ui::Transport {
    Q_OBJECT
public:
    using Json = nlohmann::json;

    explicit ScriptedTransport(QObject* parent = nullptr);

    void start() override { ++m_starts; }
    void send(QByteArray json) override { m_sent.append(json); }
    bool readMeters(qv::MeterBlock*) override { return false; }
    bool isDemo() const override { return m_demo; }
    void startEngine() override { ++m_engineStarts; }

    void setDemo(bool on) { m_demo = on; }
    int starts() const { return m_starts; }
    int startEngineCalls() const { return m_engineStarts; }

    void connectEngine(const QString& status = QString()) { emit connectionChanged(true, status); }
    void disconnectEngine(const QString& status = QStringLiteral("Движок недоступен")) {
        emit connectionChanged(false, status);
    }

    void deliver(const QByteArray& bytes) { emit message(bytes); }
    void deliver(const Json& message);
    // {"reqId": request's reqId, "ok": true} merged with `extra` (extra wins).
    void reply(const Json& request, const Json& extra = Json::object());

    const QList<QByteArray>& sent() const { return m_sent; }
    std::vector<Json> sentJson() const; // each parsed; a discarded value where it is not JSON
    std::vector<Json> takeSent();
    // The recorded requests whose "cmd" is `cmd`, oldest first.
    std::vector<Json> sentWithCmd(const std::string& cmd) const;
    void clearSent() { m_sent.clear(); }

private:
    QList<QByteArray> m_sent;
    bool m_demo = false;
    int m_starts = 0;
    int m_engineStarts = 0;
};

} // namespace qv::test
