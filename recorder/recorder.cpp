#include "recorder/recorder.h"

#include "backend/backend.h"
#include "recorder/preview_block.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

#include <algorithm>

namespace qv::ui {
namespace {

const QString kVideoKind = QStringLiteral("video");

bool isVideo(const QString& kind) {
    return kind == kVideoKind;
}

QString settingsKey(const QString& kind) {
    return isVideo(kind) ? QStringLiteral("videoFolder") : QStringLiteral("audioFolder");
}

QVariantMap entry(std::initializer_list<std::pair<QString, QVariant>> members) {
    QVariantMap map;
    for (const auto& [key, value] : members)
        map.insert(key, value);
    return map;
}

} // namespace

Recorder::Recorder(Backend* backend, QObject* parent)
    : Recorder(backend, QCoreApplication::applicationDirPath(), parent) {}

Recorder::Recorder(Backend* backend, const QString& toolFolder, QObject* parent)
    : QObject(parent), m_backend(backend), m_block(std::make_unique<rec::PreviewBlock>()),
      m_desktop(systemRecorderDesktop()) {
    m_tool = toolFolder + QLatin1Char('/') + QStringLiteral(QV_CAPTURE_TOOL);
    m_available = QFileInfo::exists(m_tool);

    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_monotonicMs = [clock] { return clock->elapsed(); };
    m_localNow = [] { return QDateTime::currentDateTime(); };

    m_tickTimer.setInterval(m_timings.tickMs);
    connect(&m_tickTimer, &QTimer::timeout, this, &Recorder::tick);
    m_previewTimer.setInterval(m_timings.previewPollMs);
    connect(&m_previewTimer, &QTimer::timeout, this, &Recorder::pollPreview);
    if (m_backend)
        connect(m_backend, &Backend::changed, this, &Recorder::foldersChanged);
    if (!m_available) {
        setDemoLists();
        emit listsChanged();
    }
}

Recorder::~Recorder() {
    stopProcessesForExit();
    m_block->release();
}

void Recorder::stopProcessesForExit() {
    m_tickTimer.stop();
    m_previewTimer.stop();
    // Every running tool gets "stop" at once, so they finish their files side by side; each
    // then has until the common deadline before it is killed. Tools already told to stop (a
    // preview replaced by a recording, a list still running) are waited for the same way.
    const QList<QProcess*> tracked = {m_video.data(), m_audio.data(), m_preview.data()};
    QList<QProcess*> running;
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this); // no handler may run on a Recorder being destroyed
        if (process->state() == QProcess::NotRunning)
            continue;
        if (tracked.contains(process)) {
            process->write("stop\n");
            process->closeWriteChannel();
        }
        running.append(process);
    }
    const QDeadlineTimer deadline(std::max(0, m_timings.stopWaitMs));
    for (QProcess* process : running) {
        if (process->waitForFinished(int(deadline.remainingTime())))
            continue;
        process->kill();
        process->waitForFinished(1000);
    }
}

void Recorder::setTimings(const Timings& timings) {
    m_timings = timings;
    m_tickTimer.setInterval(timings.tickMs);
    m_previewTimer.setInterval(timings.previewPollMs);
}

void Recorder::setClocks(std::function<qint64()> monotonicMs, std::function<QDateTime()> localNow) {
    if (monotonicMs)
        m_monotonicMs = std::move(monotonicMs);
    if (localNow)
        m_localNow = std::move(localNow);
}

int Recorder::videoSeconds() const {
    return m_video ? int((m_monotonicMs() - m_videoStart) / 1000) : 0;
}

int Recorder::audioSeconds() const {
    return m_audio ? int((m_monotonicMs() - m_audioStart) / 1000) : 0;
}

// ---- Lists ----

void Recorder::setDemoLists() {
    const QString id = QStringLiteral("id"), name = QStringLiteral("name");
    m_monitors = {
        entry({{id, "m0"}, {name, "Экран 1 (2560×1440, основной)"}, {"primary", true}}),
        entry({{id, "m1"}, {name, "Экран 2 (1920×1080)"}, {"primary", false}}),
    };
    m_windows = {
        entry({{id, "w1"}, {name, "Counter-Strike 2"}, {"exe", "cs2.exe"}}),
        entry({{id, "w2"}, {name, "Discord"}, {"exe", "Discord.exe"}}),
        entry({{id, "w3"}, {name, "YouTube — Браузер"}, {"exe", "browser.exe"}}),
    };
    m_inputs = {entry({{id, "demo-mic"}, {name, "Микрофон (USB-микрофон)"}, {"default", true}})};
    m_outputs.clear();
}

QString Recorder::demoCaption(const QString& target) const {
    for (const QVariantList* list : {&m_monitors, &m_windows})
        for (const QVariant& item : *list) {
            const QVariantMap map = item.toMap();
            if (map.value(QStringLiteral("id")).toString() == target)
                return map.value(QStringLiteral("name")).toString();
        }
    return QStringLiteral("Рабочий стол");
}

// ---- Folders and files ----

QString Recorder::videoFolder() const {
    const QString folder =
        m_backend ? QString::fromStdString(m_backend->config().settings.videoFolder) : QString();
    if (!folder.isEmpty())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + "/QUORVEL";
}

QString Recorder::audioFolder() const {
    const QString folder =
        m_backend ? QString::fromStdString(m_backend->config().settings.audioFolder) : QString();
    if (!folder.isEmpty())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + "/QUORVEL";
}

void Recorder::chooseFolder(const QString& kind) {
    if (!m_desktop.pickFolder || !m_backend)
        return;
    const QString title = isVideo(kind) ? QStringLiteral("Папка для видео")
                                        : QStringLiteral("Папка для записей звука");
    const QString picked =
        m_desktop.pickFolder(title, isVideo(kind) ? videoFolder() : audioFolder());
    if (!picked.isEmpty())
        m_backend->setSettings({{settingsKey(kind), QDir::toNativeSeparators(picked)}});
}

void Recorder::resetFolder(const QString& kind) {
    if (m_backend)
        m_backend->setSettings({{settingsKey(kind), QString()}});
}

void Recorder::openFolder(const QString& kind) {
    const QString folder = isVideo(kind) ? videoFolder() : audioFolder();
    QDir().mkpath(folder);
    if (m_desktop.openFolder)
        m_desktop.openFolder(folder);
}

void Recorder::showFile(const QString& file) {
    if (!file.isEmpty() && m_desktop.showFile)
        m_desktop.showFile(file);
}

QString Recorder::newFileName(const QString& folder, const QString& extension,
                              const QDateTime& now) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    QString name = QStringLiteral("QUORVEL %1.%2").arg(stamp, extension);
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = QStringLiteral("QUORVEL %1 (%2).%3").arg(stamp, QString::number(n), extension);
    return QDir::toNativeSeparators(dir.filePath(name));
}

QString Recorder::timeText(int seconds) const {
    const int total = std::max(seconds, 0);
    const int hours = total / 3600;
    const int minutes = total / 60 - hours * 60;
    const int rest = total - (total / 60) * 60;
    const QChar zero(u'0');
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, zero)
        .arg(minutes, 2, 10, zero)
        .arg(rest, 2, 10, zero);
}

} // namespace qv::ui
