#pragma once
// Shared pieces of the cable setup tests: a loopback HTTP server, a ZIP writer, a wait timer the
// test advances by hand, scripted system calls, and a CableSetup on a Backend that talks to a
// scripted engine.

#include "cable/cable_setup.h"
#include "tests/backend/backend_fixture.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace qv::test {

// Answers HTTP GETs on 127.0.0.1 only, one response per path, each connection closed after it.
class LoopbackServer : public QObject {
    Q_OBJECT
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray location;        // a redirect target
        bool noLength = false;      // the body ends when the connection closes
        qint64 declaredLength = -1; // a Content-Length other than the body's size
        bool hold = false;          // never answer
    };

    LoopbackServer();
    QUrl base() const;
    void route(const QString& path, const Response& response) { m_routes[path] = response; }
    QStringList paths() const { return m_paths; } // requested paths, in order
    QList<QByteArray> userAgents() const { return m_userAgents; }
    int openConnections() const;

private:
    void serve(class QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QString, Response> m_routes;
    QStringList m_paths;
    QList<QByteArray> m_userAgents;
};

// Writes `content` to `path`, making the folders on the way.
bool writeFile(const QString& path, const QByteArray& content);

// A ZIP archive with the entries stored uncompressed.
QByteArray storedZip(const QList<QPair<QByteArray, QByteArray>>& entries);

// Where the setup asks for the driver package first, and such a package: the installer one
// folder down, and enough padding to pass the size check.
inline const QString kPackagePath = QStringLiteral("/Download_CABLE/VBCABLE_Driver_Pack45.zip");
inline QByteArray
driverPackage(const QByteArray& installer = "VBCABLE Pack/VBCABLE_Setup_x64.exe") {
    return storedZip({{installer, "installer bytes"}, {"readme.txt", QByteArray(2000, 'r')}});
}

class ManualWaitTimer : public qv::ui::CableWaitTimer {
public:
    void start(int ms) override { left = ms, running = true; }
    void stop() override { running = false; }
    bool active() const { return running; }
    void advance(int ms) {
        left -= ms;
        if (running && left <= 0) {
            running = false;
            emit timeout();
        }
    }

private:
    qint64 left = 0;
    bool running = false;
};

// A started installer the test ends by hand.
class FakeInstaller : public qv::ui::InstallerProcess {
public:
    void end() { emit finished(); }
};

struct LaunchCall {
    QString installer, parameters, folder;
};

// A CableSetup with temporary folders, scripted system calls and a Backend on a scripted engine.
struct CableRig : BackendRig {
    QTemporaryDir temp;
    QString programFolder, workFolder;
    std::unique_ptr<qv::ui::CableSetup> setup;
    ManualWaitTimer* timer = nullptr;

    // What the scripted system calls answer, and what they were asked.
    quint32 verdict = 0;
    quint32 launchError = 0;
    bool launchWithHandle = false;
    QStringList verified;
    std::vector<LaunchCall> launches;
    QList<QUrl> opened;
    QPointer<FakeInstaller> installer;
    QList<QStringList> history; // {state, message, progress} after every changed()

    // `workName` may hold characters that need quoting; the engine's document is `config`.
    explicit CableRig(const QString& workName = QStringLiteral("work"),
                      const nlohmann::json& config = documentWithoutVirtualMic());
    // Builds the setup; `change` adjusts its environment first (the real system calls, say).
    void create(const std::function<void(qv::ui::CableEnvironment&)>& change = {});

    void bundle(const QByteArray& content = "bundled installer");
    QString leaveInstaller(const QByteArray& content = "left-over installer");
    // The engine reports the VB-CABLE endpoints (or none).
    void showCable(bool present);
    std::vector<nlohmann::json> sentCommands(const std::string& cmd) const {
        return transport->sentWithCmd(cmd);
    }
    QString state() const { return setup->state(); }

    static nlohmann::json documentWithoutVirtualMic();
    static nlohmann::json cableEndpoints();
};

} // namespace qv::test
