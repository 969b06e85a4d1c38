// The capture tool's processes: starting them, their standard input and output, their end, and
// the video and audio recordings built on them.

#include "recorder/recorder.h"

#include "backend/backend.h"
#include "backend/json_variant.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <nlohmann/json.hpp>

namespace qv::ui {
namespace {

using Json = nlohmann::json;

const char* const kVideoMissing =
    "Запись экрана работает в Windows (quorvel-capture.exe рядом с QUORVEL)";
const char* const kAudioMissing =
    "Рекордер работает в Windows (quorvel-capture.exe рядом с QUORVEL)";

QString textOf(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it != object.end() && it->is_string()
               ? QString::fromStdString(it->get_ref<const std::string&>())
               : QString();
}

const char* const kSkipping = "qvSkippingLine"; // inside an over-long line, dropped to its end
const char* const kErrors = "qvErrors";         // the tail of the error output

QString noteText(const QString& note) {
    if (note == QLatin1String("minimized"))
        return QStringLiteral("Окно свёрнуто — на видео застынет последний кадр. Разверните окно.");
    if (note == QLatin1String("closed"))
        return QStringLiteral("Окно закрыто — выберите другое");
    return QString();
}

QVariantList objectsOf(const Json& object, const char* key) {
    QVariantList list;
    const auto it = object.find(key);
    if (it == object.end() || !it->is_array())
        return list;
    for (const Json& item : *it)
        if (item.is_object())
            list.append(jsonToVariant(item));
    return list;
}

// The extension becomes part of a path: anything but a short plain word falls back to "wav".
QString safeExtension(const QString& format) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,8}$"));
    return plain.match(format).hasMatch() ? format : QStringLiteral("wav");
}

} // namespace

void Recorder::toast(const QString& text) {
    if (m_backend)
        m_backend->showToast(text);
}

QStringList Recorder::parentArguments() const {
    return {QStringLiteral("--parent"), QString::number(QCoreApplication::applicationPid())};
}

void Recorder::send(QProcess* process, const QString& line) {
    if (process && process->state() != QProcess::NotRunning)
        process->write(line.toUtf8());
}

QProcess* Recorder::startTool(Kind kind, const QStringList& arguments) {
    auto* process = new QProcess(this);
    process->setProgram(m_tool);
    process->setArguments(arguments);
    if (kind != Kind::List)
        connect(process, &QProcess::readyReadStandardOutput, this,
                [this, process, kind] { readEvents(process, kind); });
    else
        connect(process, &QProcess::readyReadStandardOutput, this,
                [this, process] { readList(process); });
    // Read as it comes, so a tool that writes to it for hours does not fill the memory.
    connect(process, &QProcess::readyReadStandardError, this,
            [this, process] { readErrors(process); });
    connect(process, &QProcess::finished, this,
            [this, process, kind](int code, QProcess::ExitStatus status) {
                toolFinished(process, kind, code, status != QProcess::NormalExit);
            });
    // A tool that cannot be started never sends "finished"; without this the recording would
    // look as if it ran forever.
    connect(process, &QProcess::errorOccurred, this,
            [this, process, kind](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                if (kind == Kind::Video || kind == Kind::Audio)
                    toast(QStringLiteral("Запись: не удалось запустить quorvel-capture"));
                toolFinished(process, kind, 0, false);
            });
    switch (kind) {
    case Kind::List: {
        m_list = process;
        // A list tool that hangs would block every later refresh.
        auto* limit = new QTimer(process);
        limit->setSingleShot(true);
        connect(limit, &QTimer::timeout, this, [this, process] {
            if (process->state() == QProcess::NotRunning)
                return;
            toast(QStringLiteral("Запись: quorvel-capture не выдал список за %1 с — список не "
                                 "обновлён")
                      .arg(m_timings.listTimeoutMs / 1000.0));
            process->kill();
        });
        limit->start(m_timings.listTimeoutMs);
        break;
    }
    case Kind::Video:
        m_video = process;
        m_videoStopped = false;
        break;
    case Kind::Audio:
        m_audio = process;
        m_audioStopped = false;
        break;
    case Kind::Preview:
        m_preview = process;
        break;
    }
    process->start(QIODevice::ReadWrite);
    return process;
}

void Recorder::readEvents(QProcess* process, Kind kind) {
    for (;;) {
        if (process->property(kSkipping).toBool()) {
            const QByteArray pending = process->peek(process->bytesAvailable());
            const qsizetype end = pending.indexOf('\n');
            process->skip(end < 0 ? pending.size() : end + 1);
            if (end < 0)
                return;
            process->setProperty(kSkipping, false);
        } else if (process->canReadLine()) {
            // Room for the line and its newline; a line that does not end within it is too long.
            const QByteArray line = process->readLine(kMaxLineBytes + 2);
            if (line.endsWith('\n')) {
                handleEvent(kind, line.trimmed());
                continue;
            }
            process->setProperty(kSkipping, true);
            lineTooLong(kind);
        } else if (process->bytesAvailable() > kMaxLineBytes) {
            process->setProperty(kSkipping, true);
            lineTooLong(kind);
        } else {
            return;
        }
    }
}

void Recorder::lineTooLong(Kind kind) {
    // The preview's troubles never become toasts.
    if (kind == Kind::Video || kind == Kind::Audio)
        toast(
            QStringLiteral("Запись: quorvel-capture прислал строку длиннее %1 КиБ — она пропущена")
                .arg(kMaxLineBytes / 1024));
    else
        qWarning("QUORVEL: a capture preview line over %lld bytes was dropped", kMaxLineBytes);
}

void Recorder::readErrors(QProcess* process) {
    QByteArray errors = process->property(kErrors).toByteArray() + process->readAllStandardError();
    if (errors.size() > kKeptErrorBytes)
        errors = errors.right(kKeptErrorBytes);
    process->setProperty(kErrors, errors);
}

void Recorder::readList(QProcess* process) {
    const bool cut = process->property(kSkipping).toBool();
    if (!cut && process->bytesAvailable() <= kMaxListBytes)
        return;
    process->readAllStandardOutput(); // dropped as it comes until the tool has ended
    if (cut)
        return;
    toast(QStringLiteral("Запись: список от quorvel-capture больше %1 МиБ — список не обновлён")
              .arg(kMaxListBytes / (1024 * 1024)));
    process->setProperty(kSkipping, true);
    process->kill();
}

void Recorder::handleEvent(Kind kind, const QByteArray& line) {
    if (line.isEmpty())
        return;
    const Json message = Json::parse(line.begin(), line.end(), nullptr, false);
    if (message.is_discarded() || !message.is_object())
        return;
    const QString event = textOf(message, "event");
    if (event == QLatin1String("started")) {
        if (kind == Kind::Preview)
            setPreviewNote(QString());
    } else if (event == QLatin1String("target")) {
        if (kind == Kind::Video) {
            m_videoTarget = textOf(message, "id");
            emit videoChanged();
        } else if (kind == Kind::Preview) {
            setPreviewNote(QString());
        }
    } else if (event == QLatin1String("stopped")) {
        const QString file = textOf(message, "file");
        if (kind == Kind::Audio) {
            m_lastAudio = file;
            m_audioStopped = true;
            emit audioChanged();
        } else if (kind == Kind::Video) {
            m_lastVideo = file;
            m_videoStopped = true;
            emit videoChanged();
        } else {
            return; // the preview writes no file
        }
        if (!file.isEmpty())
            toast(QStringLiteral("Сохранено: %1").arg(QFileInfo(file).fileName()));
    } else if (event == QLatin1String("error") || event == QLatin1String("warning")) {
        const QString text = textOf(message, "text");
        // The preview's troubles belong to the preview, never to a toast.
        if (kind != Kind::Preview)
            toast(QStringLiteral("Запись: %1").arg(text));
        else if (event == QLatin1String("error"))
            setPreviewNote(QStringLiteral("Не удаётся показать: %1").arg(text));
    } else if (event == QLatin1String("note")) {
        setPreviewNote(noteText(textOf(message, "note")));
    }
}

void Recorder::toolFinished(QProcess* process, Kind kind, int exitCode, bool crashed) {
    if (process->property("qvFinished").toBool())
        return;
    process->setProperty("qvFinished", true);
    process->deleteLater();

    if (kind == Kind::List) {
        if (process == m_list) {
            m_list = nullptr;
            // A list cut off by a limit is not a list.
            if (!process->property(kSkipping).toBool() && !crashed)
                takeLists(process->readAllStandardOutput());
        }
        return;
    }

    readEvents(process, kind);
    // A last line without its newline is complete once the tool has ended.
    const QByteArray rest = process->readAllStandardOutput().trimmed();
    if (!rest.isEmpty() && !process->property(kSkipping).toBool() && rest.size() <= kMaxLineBytes)
        handleEvent(kind, rest);
    if ((crashed || exitCode != 0) && kind != Kind::Preview)
        reportFailedExit(process, kind, exitCode, crashed);

    if (kind == Kind::Video && process == m_video) {
        m_video = nullptr;
        emit videoChanged();
        if (m_previewOn) { // the recording fed the preview; a preview process takes over again
            m_previewTarget = m_videoTarget;
            startPreviewProcess();
        }
    } else if (kind == Kind::Audio && process == m_audio) {
        m_audio = nullptr;
        emit audioChanged();
    } else if (kind == Kind::Preview && process == m_preview) {
        m_preview = nullptr;
    }
    if (!m_video && !m_audio)
        m_tickTimer.stop();
}

// A recording that ended badly is never left unexplained: the tool's own words when it left
// any, else its exit status; and a file it wrote before it ended is offered as the result.
void Recorder::reportFailedExit(QProcess* process, Kind kind, int exitCode, bool crashed) {
    readErrors(process);
    const QString errors = QString::fromUtf8(process->property(kErrors).toByteArray()).trimmed();
    const bool video = kind == Kind::Video;
    QString saved;
    if (!(video ? m_videoStopped : m_audioStopped)) {
        const QFileInfo file(video ? m_videoFile : m_audioFile);
        if (process == (video ? m_video : m_audio) && file.isFile() && file.size() > 0) {
            saved = file.fileName();
            (video ? m_lastVideo : m_lastAudio) = QDir::toNativeSeparators(file.filePath());
        }
    }
    QString text;
    if (!errors.isEmpty())
        text = QStringLiteral("Запись: %1").arg(errors);
    else if (crashed)
        text = QStringLiteral("Запись остановлена: quorvel-capture аварийно завершился");
    else
        text = QStringLiteral("Запись остановлена: quorvel-capture завершился с кодом %1")
                   .arg(exitCode);
    if (!saved.isEmpty())
        text += QStringLiteral(". Сохранено: %1").arg(saved);
    toast(text);
}

void Recorder::takeLists(const QByteArray& output) {
    const QByteArray text = output.trimmed();
    const Json lists = Json::parse(text.begin(), text.end(), nullptr, false);
    if (lists.is_discarded() || !lists.is_object() || lists.empty())
        return;
    m_monitors = objectsOf(lists, "monitors");
    m_windows = objectsOf(lists, "windows");
    m_inputs = objectsOf(lists, "inputs");
    m_outputs = objectsOf(lists, "outputs");
    emit listsChanged();
}

// ---- Recordings ----

void Recorder::refresh() {
    if (m_available && !m_list)
        startTool(Kind::List, {QStringLiteral("list")});
}

void Recorder::startVideo(const QString& target, const QString& mic, bool systemSound,
                          const QString& size) {
    if (!m_available) {
        toast(QString::fromUtf8(kVideoMissing));
        return;
    }
    if (m_video)
        return;
    m_videoFile = newFileName(videoFolder(), QStringLiteral("mp4"), m_localNow());
    m_videoTarget = target;
    if (m_preview) { // the recording feeds the preview from now on
        send(m_preview, QStringLiteral("stop\n"));
        m_preview->closeWriteChannel();
        m_preview = nullptr;
    }
    QStringList arguments = {QStringLiteral("video"),
                             QStringLiteral("--out"),
                             m_videoFile,
                             QStringLiteral("--target"),
                             target,
                             QStringLiteral("--mic"),
                             mic.isEmpty() ? QStringLiteral("none") : mic,
                             QStringLiteral("--system"),
                             systemSound ? QStringLiteral("on") : QStringLiteral("off"),
                             QStringLiteral("--size"),
                             size};
    if (ensurePreviewBlock())
        arguments << QStringLiteral("--preview") << previewBlockName()
                  << QStringLiteral("--preview-size") << previewSizeText()
                  << QStringLiteral("--preview-on")
                  << (m_previewOn ? QStringLiteral("1") : QStringLiteral("0"));
    arguments << parentArguments();
    m_videoStart = m_monotonicMs();
    startTool(Kind::Video, arguments);
    if (m_video)
        m_tickTimer.start();
    emit videoChanged();
}

void Recorder::switchTarget(const QString& target) {
    if (!m_video)
        return;
    send(m_video, QStringLiteral("target %1\n").arg(target));
    m_videoTarget = target;
    m_previewTarget = target;
    emit videoChanged();
}

void Recorder::stopVideo() {
    send(m_video, QStringLiteral("stop\n"));
}

void Recorder::startAudio(const QStringList& sources, const QString& mic, const QString& format) {
    if (!m_available) {
        toast(QString::fromUtf8(kAudioMissing));
        return;
    }
    if (m_audio)
        return;
    if (sources.isEmpty() && mic.isEmpty()) {
        toast(QStringLiteral("Выберите, что записывать"));
        return;
    }
    m_audioFile = newFileName(audioFolder(), safeExtension(format), m_localNow());
    QStringList arguments = {QStringLiteral("audio"), QStringLiteral("--out"), m_audioFile};
    for (const QString& source : sources)
        arguments << QStringLiteral("--source") << source;
    if (!mic.isEmpty())
        arguments << QStringLiteral("--mic") << mic;
    arguments << parentArguments();
    m_audioStart = m_monotonicMs();
    startTool(Kind::Audio, arguments);
    if (m_audio)
        m_tickTimer.start();
    emit audioChanged();
}

void Recorder::stopAudio() {
    send(m_audio, QStringLiteral("stop\n"));
}

} // namespace qv::ui
