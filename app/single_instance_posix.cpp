#include "app/single_instance.h"

#include "engine/runtime_dir.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qv::ui {

Q_LOGGING_CATEGORY(lcInstance, "quorvel.instance", QtWarningMsg)

namespace {

constexpr const char* kLockName = "QUORVEL.UI.Instance";
constexpr const char* kShowName = "QUORVEL.UI.Show";
// A request is one short line; anything longer is not from this program.
constexpr qint64 kMaxRequest = 64;
// The running process takes the lock a moment before it listens; a second start that comes in
// between keeps trying this long.
constexpr int kConnectWindowMs = 2000;

void askToShow(const QString& path) {
    const QDeadlineTimer deadline(kConnectWindowMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(path);
        const qint64 left = std::clamp<qint64>(deadline.remainingTime(), 1, 500);
        if (socket.waitForConnected(int(left))) {
            socket.write("show\n");
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
            return;
        }
        if (deadline.hasExpired())
            return;
        QThread::msleep(20);
    }
}

} // namespace

struct SingleInstance::Impl {
    int lockFd = -1;
    QString showPath;
};

SingleInstance::SingleInstance() : d(std::make_unique<Impl>()) {}

SingleInstance::~SingleInstance() {
    if (d->lockFd >= 0)
        ::close(d->lockFd); // releases the lock; the file stays for the next start
}

bool SingleInstance::held() const {
    return d->lockFd >= 0;
}

SingleInstance::Claim SingleInstance::claim() {
    if (d->lockFd >= 0)
        return Claim::First;
    const link::RuntimeDir dir = link::runtimeDir();
    if (!dir.ok()) {
        qCWarning(lcInstance, "%s", dir.error.c_str());
        return Claim::Unprotected;
    }
    const std::string lockPath = dir.path + "/" + kLockName;
    const QString showPath = QString::fromStdString(dir.path + "/" + kShowName);

    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Claim::Unprotected;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        d->lockFd = fd;
        d->showPath = showPath;
        return Claim::First;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK)
        return Claim::Unprotected;
    askToShow(showPath);
    return Claim::Another;
}

struct ShowRequestFilter::Impl {
    QPointer<QObject> target;
    QString path; // empty unless this process holds the instance
    std::unique_ptr<QLocalServer> server;

    void accept() {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [this, socket] { read(socket); });
            read(socket); // the request may have arrived with the connection
        }
    }

    void read(QLocalSocket* socket) {
        while (socket->canReadLine()) {
            const QByteArray line = socket->readLine(kMaxRequest + 1).trimmed();
            if (line == "show") {
                qCInfo(lcInstance, "show request");
                if (target)
                    QMetaObject::invokeMethod(target, "showWindow", Qt::QueuedConnection);
            }
        }
        if (socket->bytesAvailable() > kMaxRequest)
            socket->abort();
    }
};

ShowRequestFilter::ShowRequestFilter(QObject* target, const SingleInstance& instance)
    : d(std::make_unique<Impl>()) {
    d->target = target;
    if (instance.held())
        d->path = instance.d->showPath;
}

ShowRequestFilter::~ShowRequestFilter() = default;

bool ShowRequestFilter::install() {
    if (d->path.isEmpty() || d->server)
        return bool(d->server);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Whoever listened here before is gone: this process holds the lock, so the socket file
    // can only be left over from a crash.
    QLocalServer::removeServer(d->path);
    if (!server->listen(d->path)) {
        qCWarning(lcInstance, "cannot listen for show requests: %s",
                  qPrintable(server->errorString()));
        return false;
    }
    QObject::connect(server.get(), &QLocalServer::newConnection, server.get(),
                     [impl = d.get()] { impl->accept(); });
    d->server = std::move(server);
    return true;
}

} // namespace qv::ui
