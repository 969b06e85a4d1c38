// The capture tool's processes: starting them, their standard input and output, their end, and
// the video and audio recordings built on them.

#include "recorder/recorder.h"

#include "backend/backend.h"
#include "backend/json_variant.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

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
    connect(process, &QProcess::finished, this,
            [this, process, kind](int code, QProcess::ExitStatus status) {
                toolFinished(process, kind, status != QProcess::NormalExit || code != 0);
            });
    // A tool that cannot be started never sends "finished"; without this the recording would
    // look as if it ran forever.
    connect(process, &QProcess::errorOccurred, this,
            [this, process, kind](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                if (kind == Kind::Video || kind == Kind::Audio)
                    toast(QStringLiteral("Запись: не удалось запустить quorvel-capture"));
                toolFinished(process, kind, false);
            });
    switch (kind) {
    case Kind::List:
        m_list = process;
        break;
    case Kind::Video:
        m_video = process;
        break;
    case Kind::Audio:
        m_audio = process;
        break;
    case Kind::Preview:
        m_preview = process;
        break;
    }
    process->start(QIODevice::ReadWrite);
    return process;
}

void Recorder::readEvents(QProcess* process, Kind kind) {
    while (process->canReadLine())
        handleEvent(kind, process->readLine().trimmed());
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
            emit audioChanged();
        } else if (kind == Kind::Video) {
            m_lastVideo = file;
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

void Recorder::toolFinished(QProcess* process, Kind kind, bool failed) {
    if (process->property("qvFinished").toBool())
        return;
    process->setProperty("qvFinished", true);
    process->deleteLater();

    if (kind == Kind::List) {
        if (process == m_list) {
            m_list = nullptr;
            takeLists(process->readAllStandardOutput());
        }
        return;
    }

    readEvents(process, kind);
    // A last line without its newline is complete once the tool has ended.
    const QByteArray rest = process->readAllStandardOutput().trimmed();
    if (!rest.isEmpty())
        handleEvent(kind, rest);
    if (failed && kind != Kind::Preview) {
        const QString errors = QString::fromUtf8(process->readAllStandardError()).trimmed();
        if (!errors.isEmpty())
            toast(QStringLiteral("Запись: %1").arg(errors));
    }

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
