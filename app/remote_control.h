#pragma once
// The control channel of a running interface: a local socket that only the same user can open,
// over which other programs (a button deck, a script, `quorvel --mute NAME`) send requests.
//
// One JSON request per line, one JSON answer per line (remote_requests.h). A line over 64 KiB
// is answered with an error and skipped up to its end; a connection that brings no complete
// line for a while is closed. Idle, the channel costs nothing: no timer runs until a client
// connects, and each connection's single-shot time-out dies with it.

#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace qv::ui {

class Backend;

Q_DECLARE_LOGGING_CATEGORY(lcControl)

class RemoteControl : public QObject {
public:
    static constexpr qsizetype kMaxLine = 64 * 1024;
    static constexpr int kLineTimeoutMs = 5000;

    explicit RemoteControl(Backend& backend, QObject* parent = nullptr);
    ~RemoteControl() override;

    // Starts serving `name`. The `owner` of the name (this process holds the single instance)
    // replaces a socket that a crashed process left behind; anybody else first checks, without
    // blocking, whether another process answers there and then stays silent.
    void start(const QString& name, bool owner);
    bool listening() const;

private:
    void listenNow();
    void accept();
    void serve(QLocalSocket* socket);

    Backend& m_backend;
    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace qv::ui
