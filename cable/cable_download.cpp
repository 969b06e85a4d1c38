// CableSetup: the download of the driver package, its check and save, and the unpack.
#include "cable/cable_setup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace qv::ui {

namespace {

const QString kDownload = QStringLiteral("download");
const QString kUnpack = QStringLiteral("unpack");
const QString kError = QStringLiteral("error");

const char kDownloadText[] = "Скачиваю VB-CABLE с %1…";
const char kDownloadFailedText[] = "Не удалось скачать VB-CABLE (%1). Проверьте интернет или "
                                   "скачайте его сами с %2/Cable — после установки QUORVEL "
                                   "подключит его.";
const char kDamagedText[] = "Скачанный файл VB-CABLE повреждён — попробуйте ещё раз.";
const char kSaveFailedText[] = "Не удалось сохранить VB-CABLE в %1";
const char kUnpackText[] = "Распаковываю VB-CABLE…";
const char kUnpackFailedText[] = "Не удалось распаковать VB-CABLE (%1).";
const char kStalledText[] = "сервер не присылает данных %1 с";
const char kTooLargeText[] = "файл больше %1 МиБ";
const char kUnpackedTooLargeText[] =
    "Распакованный VB-CABLE занимает больше %1 МиБ — установка остановлена.";
const char* const kCutOff = "qvCutOff"; // the setup aborted the reply for its size

constexpr int kUnpackWatchMs = 100;

} // namespace

QString CableSetup::downloadText(int percent) const {
    const QString text = QString::fromUtf8(kDownloadText).arg(siteDomain());
    return percent < 0 ? text : text + QStringLiteral(" %1 %").arg(percent);
}

void CableSetup::download(int attempt) {
    setState(kDownload, downloadText(-1), 0);
    if (!m_network)
        m_network = new QNetworkAccessManager(this);

    QNetworkRequest request(downloadUrl(attempt));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("QUORVEL"));
    // Restarted by every byte that arrives: a server that stops sending ends the download.
    request.setTransferTimeout(m_env.stallTimeoutMs);
    QNetworkReply* reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply](qint64 received, qint64 total) {
                onDownloadProgress(reply, received, total);
            });
    // The cap is enforced as data arrives: downloadProgress is throttled by Qt and may come
    // only after the whole body is in memory. An announced size over the cap stops at once.
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (reply == m_reply && announced > kMaxPackageBytes)
            cutOff(reply);
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply == m_reply && reply->bytesAvailable() > kMaxPackageBytes)
            cutOff(reply);
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, attempt] { onDownloadFinished(reply, attempt); });
}

void CableSetup::onDownloadProgress(QNetworkReply* reply, qint64 received, qint64 total) {
    if (reply != m_reply)
        return;
    // Aborting reports through finished().
    if (received > kMaxPackageBytes || total > kMaxPackageBytes) {
        cutOff(reply);
        return;
    }
    const int percent = total >= 1 ? int(std::clamp<qint64>(received * 100 / total, 0, 100)) : -1;
    if (percent == m_progress)
        return;
    setState(kDownload, downloadText(percent), percent);
}

void CableSetup::onDownloadFinished(QNetworkReply* reply, int attempt) {
    reply->deleteLater();
    if (reply != m_reply || m_state != kDownload)
        return;
    m_reply = nullptr;

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && status == 200) {
        saveBody(reply->readAll());
        return;
    }
    if (status == 404 && attempt + 1 < kDownloadAddresses) {
        download(attempt + 1);
        return;
    }
    // The limits' own words rather than Qt's "Operation canceled".
    QString reason = reply->errorString();
    if (reply->property(kCutOff).toBool())
        reason = QString::fromUtf8(kTooLargeText).arg(kMaxPackageBytes / (1024 * 1024));
    else if (reply->error() == QNetworkReply::OperationCanceledError ||
             reply->error() == QNetworkReply::TimeoutError)
        reason = QString::fromUtf8(kStalledText).arg(m_env.stallTimeoutMs / 1000.0);
    setState(kError, QString::fromUtf8(kDownloadFailedText).arg(reason, siteDomain()));
}

void CableSetup::cutOff(QNetworkReply* reply) {
    reply->setProperty(kCutOff, true);
    reply->abort();
}

void CableSetup::saveBody(const QByteArray& body) {
    if (body.size() < kMinPackageBytes || body.size() > kMaxPackageBytes ||
        !body.startsWith("PK")) {
        setState(kError, QString::fromUtf8(kDamagedText));
        return;
    }
    const QString folder = m_env.workFolder;
    bool saved = false;
    // Only this user may change what is later started with administrator rights.
    if (!folder.isEmpty() && QDir().mkpath(folder) &&
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        // Written under a temporary name and renamed, so a half-written package never stays.
        QSaveFile file(packagePath());
        saved = file.open(QIODevice::WriteOnly) && file.write(body) == body.size() && file.commit();
    }
    if (!saved) {
        setState(kError, QString::fromUtf8(kSaveFailedText).arg(QDir::toNativeSeparators(folder)));
        return;
    }
    unpack();
}

// A folder of this run's own below the work folder, readable and writable by this user only;
// the folders of earlier runs go first. Empty when it cannot be made.
QString CableSetup::newUnpackFolder() const {
    const QDir work(m_env.workFolder);
    for (const QString& old :
         work.entryList({QStringLiteral("unpack-*")}, QDir::Dirs | QDir::Hidden))
        QDir(work.filePath(old)).removeRecursively();
    // Created with owner-only rights on POSIX; on Windows the user's own data folder has them.
    QTemporaryDir dir(work.filePath(QStringLiteral("unpack-XXXXXX")));
    if (!dir.isValid())
        return {};
    dir.setAutoRemove(false);
    return dir.path();
}

void CableSetup::unpack() {
    setState(kUnpack, QString::fromUtf8(kUnpackText));
    const QString package = packagePath();
    m_unpackFolder = newUnpackFolder();
    const UnpackCommand command = m_env.system.unpackCommand && !m_unpackFolder.isEmpty()
                                      ? m_env.system.unpackCommand(package, m_unpackFolder)
                                      : UnpackCommand();

    auto* process = new QProcess(this);
    m_unpack = process;
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                onUnpackEnded(process, status == QProcess::NormalExit ? exitCode : -1);
            });
    // A tool that cannot start never reports finished(); without this the run would hang.
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onUnpackEnded(process, -1);
    });
    // An archive may unpack to far more than it weighs: the folder is watched while it fills.
    if (!m_unpackWatch) {
        m_unpackWatch = new QTimer(this);
        connect(m_unpackWatch, &QTimer::timeout, this, &CableSetup::checkUnpackedSize);
    }
    m_unpackWatch->start(kUnpackWatchMs);
    process->start(command.program, command.arguments);
}

qint64 CableSetup::unpackedBytes() const {
    qint64 total = 0;
    QDirIterator it(m_unpackFolder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

void CableSetup::checkUnpackedSize() {
    QProcess* process = m_unpack;
    if (!process || m_state != kUnpack) {
        m_unpackWatch->stop();
        return;
    }
    if (unpackedBytes() <= m_env.maxUnpackedBytes)
        return;
    m_unpackWatch->stop();
    m_unpack = nullptr;
    process->disconnect(this);
    process->kill();
    process->waitForFinished(2000);
    process->deleteLater();
    refuseUnpacked();
}

void CableSetup::refuseUnpacked() {
    QDir(m_unpackFolder).removeRecursively();
    QFile::remove(packagePath());
    setState(kError,
             QString::fromUtf8(kUnpackedTooLargeText).arg(m_env.maxUnpackedBytes / (1024 * 1024)));
}

void CableSetup::onUnpackEnded(QProcess* process, int exitCode) {
    if (process != m_unpack)
        return;
    m_unpack = nullptr;
    process->deleteLater();
    if (m_state != kUnpack)
        return;

    m_unpackWatch->stop();
    // The tool may have finished between two looks at the folder.
    if (unpackedBytes() > m_env.maxUnpackedBytes) {
        refuseUnpacked();
        return;
    }
    const QString package = packagePath();
    const QString installer = findInstaller(m_unpackFolder);
    if (exitCode == 0 && !installer.isEmpty()) {
        QFile::remove(package);
        check(installer);
        return;
    }
    if (!m_unpackFolder.isEmpty())
        QDir(m_unpackFolder).removeRecursively();
    setState(kError, QString::fromUtf8(kUnpackFailedText).arg(QDir::toNativeSeparators(package)));
}

} // namespace qv::ui
