#include "app/remote_control.h"

#include "app/remote_requests.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace qv::ui {

Q_LOGGING_CATEGORY(lcControl, "quorvel.control", QtWarningMsg)

namespace {

// The reading side of one connection: collects bytes into lines, answers each, and skips the
// rest of a line that grew too long. Owned by its socket.
class Connection : public QObject {
public:
    Connection(QLocalSocket* socket, Backend& backend)
        : QObject(socket), m_socket(socket), m_backend(backend) {
        m_timeout.setSingleShot(true);
        m_timeout.setInterval(RemoteControl::kLineTimeoutMs);
        connect(&m_timeout, &QTimer::timeout, socket, [socket] {
            qCInfo(lcControl, "connection closed: no complete request in time");
            socket->disconnectFromServer();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this] { read(); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        m_timeout.start();
    }

    void read() {
        const QByteArray data = m_socket->readAll();
        qsizetype from = 0;
        while (from < data.size() && m_socket->state() == QLocalSocket::ConnectedState) {
            const qsizetype end = data.indexOf('\n', from);
            const qsizetype stop = end < 0 ? data.size() : end;
            if (!m_skipping) {
                m_line.append(data.constData() + from, stop - from);
                if (m_line.size() > RemoteControl::kMaxLine) {
                    m_line.clear();
                    m_skipping = true;
                    reply(oversizedRequestAnswer());
                }
            }
            if (end < 0)
                break;
            if (!m_skipping)
                reply(answerControlRequest(m_backend, m_line.trimmed()));
            m_line.clear();
            m_skipping = false;
            m_timeout.start();
            from = end + 1;
        }
    }

private:
    void reply(const nlohmann::json& answer) {
        std::string text = answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        text += '\n';
        m_socket->write(text.data(), qint64(text.size()));
        // A client that sends requests without reading the answers would make them pile up here.
        if (m_socket->bytesToWrite() > kMaxBacklog) {
            qCWarning(lcControl, "connection closed: the client does not read its answers");
            m_socket->abort();
        }
    }

    static constexpr qint64 kMaxBacklog = 4 * 1024 * 1024;

    QLocalSocket* m_socket;
    Backend& m_backend;
    QByteArray m_line;
    bool m_skipping = false; // the current line is over the limit and has been answered
    QTimer m_timeout;
};

} // namespace

RemoteControl::RemoteControl(Backend& backend, QObject* parent)
    : QObject(parent), m_backend(backend) {}

RemoteControl::~RemoteControl() = default;

bool RemoteControl::listening() const {
    return m_server && m_server->isListening();
}

void RemoteControl::start(const QString& name, bool owner) {
    m_name = name;
    if (owner) {
        // This process holds the single instance: a socket file there is left from a crash.
        QLocalServer::removeServer(name);
        listenNow();
        return;
    }
    auto* probe = new QLocalSocket(this);
    connect(probe, &QLocalSocket::connected, this, [this, probe, name] {
        qCInfo(lcControl, "%s is served by another process", qPrintable(name));
        QObject::disconnect(probe, nullptr, this, nullptr);
        probe->abort();
        probe->deleteLater();
    });
    connect(probe, &QLocalSocket::errorOccurred, this, [this, probe] {
        probe->deleteLater();
        // Nobody answers: whatever is there is left over.
        QLocalServer::removeServer(m_name);
        listenNow();
    });
    probe->connectToServer(name);
}

void RemoteControl::listenNow() {
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name)) {
        qCWarning(lcControl, "cannot listen on %s: %s", qPrintable(m_name),
                  qPrintable(server->errorString()));
        return;
    }
    connect(server.get(), &QLocalServer::newConnection, this, [this] { accept(); });
    m_server = std::move(server);
    qCInfo(lcControl, "listening on %s", qPrintable(m_name));
}

void RemoteControl::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection())
        serve(socket);
}

void RemoteControl::serve(QLocalSocket* socket) {
    auto* connection = new Connection(socket, m_backend);
    connection->read(); // the request may have come with the connection
}

} // namespace qv::ui
