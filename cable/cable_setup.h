#pragma once
// CableSetup: brings the VB-CABLE virtual audio driver onto the machine with one click (the
// context property `qvCable`, the cable card of the add dialog).
//
// The steps, each one a state: download the vendor's driver package (the second address when
// the first answers 404) unless an installer is at hand, unpack it, check the installer's
// Authenticode signature, run it elevated, wait up to 30 s for Windows to show the cable's
// endpoints, then point the virtual microphone at the cable. Every failure ends the run with a
// Russian message; nothing is retried on its own.
//
// An installer without any signature is run only when it is the one shipped in the program's
// own folder. A downloaded one must carry a valid signature: the work folder is writable by every
// program the user runs, and whatever is started from it gets administrator rights. So only the
// installer of the package unpacked in this very run is used, from a new folder that only this
// user can write, and the file is held from its check to its start (cable_elevation.h); whatever
// earlier runs left behind is never run.
//
// Files: cable_setup.cpp (states, install, check, launch, wait, finish), cable_download.cpp
// (download, body check, save, unpack), cable_environment.cpp (addresses, folders, system
// calls), cable_simulation.cpp (the download shown by the screenshot run). The system calls sit
// behind cable_unpack.h, cable_signature.h and cable_elevation.h.

#include "cable/cable_elevation.h"
#include "cable/cable_unpack.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QProcess;
class QTimer;

namespace qv::ui {

class Backend;

// The single-shot wait for the cable's endpoints. The real one is a QTimer; tests put in one
// whose time they advance themselves.
class CableWaitTimer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void start(int ms) = 0;
    virtual void stop() = 0;

signals:
    void timeout();
};

// What the setup needs from the system; tests replace any of it.
struct CableSystem {
    std::function<UnpackCommand(const QString& package, const QString& dir)> unpackCommand;
    std::function<quint32(const QString& installer)> verifySignature;
    std::function<InstallerLaunch(const QString& installer, const QString& parameters,
                                  const QString& folder)>
        launchElevated;
    std::function<void(const QUrl& page)> openUrl;
    // Held from the check through the start (cable_elevation.h); unset: nothing is held.
    std::function<std::shared_ptr<void>(const QString& installer)> holdInstaller;

    static CableSystem real();
};

struct CableEnvironment {
    QUrl downloadServer;   // the vendor's download server; the package paths are fixed
    QUrl site;             // the vendor's web site
    QString workFolder;    // downloads and unpacked files, private to the user
    QString programFolder; // where a bundled installer is looked for ("vbcable/" below it)
    CableSystem system;
    CableWaitTimer* waitTimer = nullptr; // taken over by the setup; null: a real timer
    int stallTimeoutMs = 30000;          // a download that brings no byte for this long ends
    qint64 maxUnpackedBytes = 200LL * 1024 * 1024; // what the unpacked package may take

    // The vendor's HTTPS addresses, the user's data folder, the program's folder and the real
    // system calls. Tests hand the setup an environment of their own; nothing from outside the
    // program can point the download elsewhere.
    static CableEnvironment fromSystem();
};

class CableSetup : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString state READ state NOTIFY changed)
    Q_PROPERTY(QString message READ message NOTIFY changed)
    Q_PROPERTY(int progress READ progress NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(bool bundled READ bundled CONSTANT)

public:
    static constexpr qint64 kMaxPackageBytes = 31457280; // 30 MiB
    static constexpr qint64 kMinPackageBytes = 1000;
    static constexpr int kWaitMs = 30000;
    static constexpr int kDownloadAddresses = 2;
    static constexpr int kSimulatedDownloadMs = 1200;

    explicit CableSetup(Backend* backend, QObject* parent = nullptr);
    CableSetup(Backend* backend, CableEnvironment environment, QObject* parent = nullptr);
    ~CableSetup() override;

    QString state() const { return m_state; }
    QString message() const { return m_message; }
    int progress() const { return m_progress; }
    bool busy() const;
    bool bundled() const { return m_bundled; }

    Q_INVOKABLE void install();
    Q_INVOKABLE void cancel();
    Q_INVOKABLE void dismiss();
    Q_INVOKABLE void openSite();

    // For the screenshot run: from now on install() shows a download advancing over `ms` and
    // then waits for the cable as usual, without the network, files or any process (the demo
    // engine is asked to show its cable once the download is through).
    void simulateInstall(int ms = kSimulatedDownloadMs);

    // The fixed names and places, for the tests and the diagnostics.
    QString packagePath() const;
    QString localInstaller() const;
    QUrl downloadUrl(int attempt) const;
    QUrl vendorPage() const;
    QString siteDomain() const { return m_env.site.host(); }

signals:
    void changed();

private:
    // cable_download.cpp
    void download(int attempt);
    void onDownloadProgress(QNetworkReply* reply, qint64 received, qint64 total);
    void onDownloadFinished(QNetworkReply* reply, int attempt);
    void cutOff(QNetworkReply* reply);
    void saveBody(const QByteArray& body);
    void unpack();
    void onUnpackEnded(QProcess* process, int exitCode);
    qint64 unpackedBytes() const;
    void checkUnpackedSize();
    void refuseUnpacked();
    QString downloadText(int percent) const;

    // cable_simulation.cpp
    void simulateDownload();
    void advanceSimulation();

    // cable_setup.cpp
    void check(const QString& installer);
    void launch(const QString& installer);
    void onInstallerEnded();
    void waitForCable();
    void testCable();
    void onWaitTimeout();
    void finish();
    void setState(const QString& state, const QString& message, int progress = -1);
    QString findInstaller(const QString& folder) const;
    QString newUnpackFolder() const;
    bool isBundled(const QString& installer) const;
    QVariantMap backendMap(const char* name) const;

    QPointer<Backend> m_backend;
    CableEnvironment m_env;
    bool m_bundled = false;
    QString m_state;
    QString m_message;
    int m_progress = -1;
    bool m_finishing = false; // finish() changes the Backend, which re-enters testCable()

    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QPointer<QProcess> m_unpack;
    QString m_unpackFolder; // this run's own folder for the unpacked package
    QTimer* m_unpackWatch = nullptr;
    std::unique_ptr<InstallerProcess> m_installer;
    CableWaitTimer* m_waitTimer = nullptr;

    int m_simulatedMs = 0; // 0: install() is real
    QTimer* m_simulation = nullptr;
    QElapsedTimer m_simulationClock;
};

} // namespace qv::ui
