// CableSetup: the states, install(), the signature check, the elevated start, the wait for the
// cable's endpoints and the finish.
#include "cable/cable_setup.h"
#include "backend/backend.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QNetworkReply>
#include <QProcess>
#include <QTimer>

namespace qv::ui {

namespace {

const QString kDownload = QStringLiteral("download");
const QString kUnpack = QStringLiteral("unpack");
const QString kCheck = QStringLiteral("check");
const QString kInstall = QStringLiteral("install");
const QString kWait = QStringLiteral("wait");

const char kInstallerName[] = "VBCABLE_Setup_x64.exe";
const char kInstallerParameters[] = "-i -h";

const char kCheckText[] = "Проверяю подпись установщика VB-CABLE…";
const char kRejectedText[] = "Подпись установщика VB-CABLE не прошла проверку Windows (0x%1) — "
                             "установка остановлена. Файл: %2";
const char kUnreadableText[] =
    "Не удалось открыть установщик VB-CABLE: %1 — установка остановлена.";
const char kInstallText[] = "Установка: подтвердите запрос Windows («Да»). Если откроется окно "
                            "VB-CABLE — нажмите в нём «Install Driver».";
const char kDeclinedText[] =
    "Установка отменена: Windows спрашивал разрешение — нужно нажать «Да».";
const char kLaunchFailedText[] = "Не удалось запустить установщик VB-CABLE (ошибка %1).";
const char kWaitText[] = "Ждём, когда Windows подключит VB-CABLE…";
const char kRebootText[] =
    "Windows пока не показал VB-CABLE. Если установка прошла — перезагрузите компьютер, QUORVEL "
    "подключит его сам. Если окно VB-CABLE закрыли без «Install Driver» — нажмите «Установить» "
    "ещё раз.";
const char kDoneText[] =
    "Готово: VB-CABLE установлен. Голос с обработкой идёт в приложения через «%1». Приложения с "
    "микрофоном «По умолчанию» подхватят его при следующем включении микрофона (перезайдите в "
    "голосовой канал).";

class QtWaitTimer final : public CableWaitTimer {
public:
    explicit QtWaitTimer(QObject* parent) : CableWaitTimer(parent) {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &CableWaitTimer::timeout);
    }
    void start(int ms) override { m_timer.start(ms); }
    void stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

} // namespace

CableSetup::CableSetup(Backend* backend, QObject* parent)
    : CableSetup(backend, CableEnvironment::fromSystem(), parent) {}

CableSetup::CableSetup(Backend* backend, CableEnvironment environment, QObject* parent)
    : QObject(parent), m_backend(backend), m_env(std::move(environment)) {
    m_bundled = QFileInfo::exists(localInstaller());
    m_waitTimer = m_env.waitTimer ? m_env.waitTimer : new QtWaitTimer(this);
    m_waitTimer->setParent(this);
    m_env.waitTimer = nullptr;
    connect(m_waitTimer, &CableWaitTimer::timeout, this, &CableSetup::onWaitTimeout);
    if (m_backend)
        connect(m_backend, &Backend::changed, this, &CableSetup::testCable);
}

// A launched installer's handle is closed with m_installer; the installer itself goes on.
CableSetup::~CableSetup() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
    if (m_unpack) {
        m_unpack->disconnect(this);
        m_unpack->kill();
        m_unpack->waitForFinished(2000);
    }
}

bool CableSetup::busy() const {
    return m_state == kDownload || m_state == kUnpack || m_state == kCheck || m_state == kInstall ||
           m_state == kWait;
}

QString CableSetup::packagePath() const {
    return m_env.workFolder + QStringLiteral("/VBCABLE_Driver_Pack.zip");
}

QString CableSetup::localInstaller() const {
    return m_env.programFolder + QStringLiteral("/vbcable/") + QLatin1String(kInstallerName);
}

QUrl CableSetup::downloadUrl(int attempt) const {
    QUrl url = m_env.downloadServer;
    url.setPath(attempt == 0 ? QStringLiteral("/Download_CABLE/VBCABLE_Driver_Pack45.zip")
                             : QStringLiteral("/Download_CABLE/VBCABLE_Driver_Pack43.zip"));
    return url;
}

QUrl CableSetup::vendorPage() const {
    QUrl url = m_env.site;
    url.setPath(QStringLiteral("/Cable/"));
    return url;
}

void CableSetup::install() {
    if (busy())
        return;
    if (backendMap("vbCable").value(QStringLiteral("present")).toBool()) {
        finish();
        return;
    }
    if (m_backend)
        m_backend->setSettings({{QStringLiteral("virtualMicAuto"), true}});
    if (m_simulatedMs > 0) {
        simulateDownload();
        return;
    }

    // Only the bundled installer or a fresh download: anything an earlier run left in the work
    // folder may have been swapped since.
    const QString installer = localInstaller();
    if (QFileInfo(installer).isFile())
        check(installer);
    else
        download(0);
}

void CableSetup::cancel() {
    m_waitTimer->stop();
    if (m_simulation)
        m_simulation->stop();
    // Taken out first: aborting a reply emits its finished() on the spot, and a killed process
    // reports later; neither may be mistaken for a failure of the run.
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (QProcess* process = m_unpack) {
        m_unpack = nullptr;
        process->disconnect(this);
        process->kill();
        process->waitForFinished(2000);
        process->deleteLater();
    }
    // A launched installer goes on running; its watch stays until it ends.
    setState(QString(), QString());
}

void CableSetup::dismiss() {
    if (busy())
        return;
    setState(QString(), QString());
}

void CableSetup::openSite() {
    if (m_env.system.openUrl)
        m_env.system.openUrl(vendorPage());
}

void CableSetup::check(const QString& installer) {
    setState(kCheck, QString::fromUtf8(kCheckText));
    // Held until the start has returned: the file started is the file checked.
    std::shared_ptr<void> hold;
    if (m_env.system.holdInstaller) {
        hold = m_env.system.holdInstaller(installer);
        if (!hold) {
            setState(QStringLiteral("error"),
                     QString::fromUtf8(kUnreadableText).arg(QDir::toNativeSeparators(installer)));
            return;
        }
    }
    const quint32 verdict = m_env.system.verifySignature ? m_env.system.verifySignature(installer)
                                                         : qv::cable::kTrustProviderUnknown;
    const bool bundled = isBundled(installer);
    // Windows accepts a file with no signature at all, but then nothing vouches for it: only
    // the copy shipped with the program (in a folder that needs administrator rights to change)
    // may be run that way.
    if (verdict == qv::cable::kTrustOk || (verdict == qv::cable::kTrustNoSignature && bundled)) {
        launch(installer);
        return;
    }
    hold.reset(); // a held file cannot be deleted on Windows
    if (!bundled && !m_env.workFolder.isEmpty())
        QDir(m_env.workFolder).removeRecursively();
    setState(QStringLiteral("error"), QString::fromUtf8(kRejectedText)
                                          .arg(verdict, 8, 16, QLatin1Char('0'))
                                          .arg(QDir::toNativeSeparators(installer)));
}

void CableSetup::launch(const QString& installer) {
    setState(kInstall, QString::fromUtf8(kInstallText));
    const QFileInfo file(installer);
    InstallerLaunch launched;
    if (m_env.system.launchElevated) {
        launched = m_env.system.launchElevated(QDir::toNativeSeparators(file.absoluteFilePath()),
                                               QString::fromLatin1(kInstallerParameters),
                                               QDir::toNativeSeparators(file.absolutePath()));
    } else {
        launched.error = qv::cable::kErrorNotSupported;
    }

    if (launched.error == 0) {
        if (launched.process) {
            // The installer's exit code says nothing reliable; its endpoints do.
            m_installer = std::move(launched.process);
            connect(m_installer.get(), &InstallerProcess::finished, this,
                    &CableSetup::onInstallerEnded);
        } else {
            waitForCable();
        }
    } else if (launched.error == qv::cable::kErrorCancelled) {
        setState(QStringLiteral("cancelled"), QString::fromUtf8(kDeclinedText));
    } else {
        setState(QStringLiteral("error"), QString::fromUtf8(kLaunchFailedText).arg(launched.error));
    }
}

void CableSetup::onInstallerEnded() {
    if (!m_installer || sender() != m_installer.get())
        return;
    // Released later: this runs inside the watch's own signal.
    m_installer.release()->deleteLater();
    if (m_state == kInstall)
        waitForCable();
}

void CableSetup::waitForCable() {
    setState(kWait, QString::fromUtf8(kWaitText));
    m_waitTimer->start(kWaitMs);
    testCable();
}

void CableSetup::testCable() {
    if (m_state != kWait || m_finishing)
        return;
    if (backendMap("vbCable").value(QStringLiteral("present")).toBool())
        finish();
}

void CableSetup::onWaitTimeout() {
    if (m_state == kWait)
        setState(QStringLiteral("reboot"), QString::fromUtf8(kRebootText));
}

void CableSetup::finish() {
    m_waitTimer->stop();
    const QVariantMap cable = backendMap("vbCable");
    const QVariantMap mic = backendMap("virtualMic");
    const QString renderId = cable.value(QStringLiteral("renderId")).toString();
    // The product's own driver carries the voice only while its device is usable; a driver
    // device that is not (no driver installed) gives way to the cable.
    const bool viaDriver =
        mic.value(QStringLiteral("mode")).toString() == QLatin1String("driver") && m_backend &&
        m_backend->property("voiceViaDriver").toBool();
    const bool alreadyCable = mic.value(QStringLiteral("renderId")).toString() == renderId;
    if (!viaDriver && !alreadyCable && m_backend) {
        m_finishing = true; // the edit rebuilds the Backend, which calls testCable() again
        m_backend->setVirtualMic(renderId, cable.value(QStringLiteral("recordId")).toString());
        m_finishing = false;
    }
    setState(QStringLiteral("done"), QString::fromUtf8(kDoneText).arg(
                                         cable.value(QStringLiteral("recordName")).toString()));
}

void CableSetup::setState(const QString& state, const QString& message, int progress) {
    m_state = state;
    m_message = message;
    m_progress = progress;
    emit changed();
}

QString CableSetup::findInstaller(const QString& folder) const {
    if (folder.isEmpty())
        return {};
    QDirIterator it(folder, {QString::fromLatin1(kInstallerName)}, QDir::Files,
                    QDirIterator::Subdirectories);
    return it.hasNext() ? it.next() : QString();
}

bool CableSetup::isBundled(const QString& installer) const {
    const QFileInfo local(localInstaller());
    const QFileInfo candidate(installer);
    if (!local.exists() || !candidate.exists())
        return false;
    return local.canonicalFilePath() == candidate.canonicalFilePath();
}

QVariantMap CableSetup::backendMap(const char* name) const {
    return m_backend ? m_backend->property(name).toMap() : QVariantMap();
}

} // namespace qv::ui
