#pragma once
// Recorder: sound and screen recording through the capture tool (the context property `qvRec`).
//
// It captures nothing itself. It starts "quorvel-capture" (".exe" on Windows) from the program's
// folder, hands it a command line, writes plain-text commands to its standard input and reads one
// JSON event per line from its standard output. What the tool sends is bounded: lines of at most
// 64 KiB, the list of at most 1 MiB within a time limit, and only the last 64 KiB of its error
// output is kept. It lists what can be
// recorded, names the output files, keeps the two recording folders (settings of the mixer
// document, changed through the Backend) and runs the live preview of the screen recorder: the
// tool renders frames into a shared block (preview_block.h) that is polled every 50 ms, and
// PreviewImages hands the last frame to QML. Without the tool, demo lists and a painted
// placeholder stand in.
//
// Files: recorder.cpp (construction, lists, folders, file names, destruction),
// recorder_capture.cpp (tool processes, events, recordings), recorder_preview.cpp (preview).

#include <QDateTime>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

#include <functional>
#include <memory>

#include "recorder/recorder_desktop.h"

namespace qv::rec {
class PreviewBlock;
}

namespace qv::ui {

class Backend;

class Recorder : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool available READ available CONSTANT)
    Q_PROPERTY(QVariantList monitors READ monitors NOTIFY listsChanged)
    Q_PROPERTY(QVariantList windows READ windows NOTIFY listsChanged)
    Q_PROPERTY(QVariantList inputs READ inputs NOTIFY listsChanged)
    Q_PROPERTY(QVariantList outputs READ outputs NOTIFY listsChanged)
    Q_PROPERTY(bool videoRecording READ videoRecording NOTIFY videoChanged)
    Q_PROPERTY(QString videoTarget READ videoTarget NOTIFY videoChanged)
    Q_PROPERTY(int videoSeconds READ videoSeconds NOTIFY tick)
    Q_PROPERTY(QString lastVideo READ lastVideo NOTIFY videoChanged)
    Q_PROPERTY(bool audioRecording READ audioRecording NOTIFY audioChanged)
    Q_PROPERTY(int audioSeconds READ audioSeconds NOTIFY tick)
    Q_PROPERTY(QString lastAudio READ lastAudio NOTIFY audioChanged)
    Q_PROPERTY(QString videoFolder READ videoFolder NOTIFY foldersChanged)
    Q_PROPERTY(QString audioFolder READ audioFolder NOTIFY foldersChanged)
    Q_PROPERTY(int previewSerial READ previewSerial NOTIFY previewChanged)
    Q_PROPERTY(bool previewReady READ previewReady NOTIFY previewChanged)
    Q_PROPERTY(QString previewNote READ previewNote NOTIFY previewChanged)

public:
    enum class Kind { List, Video, Audio, Preview };

    // Intervals; tests shorten them.
    struct Timings {
        int tickMs = 500;       // `tick` while a recording runs
        int previewPollMs = 50; // preview block poll
        int stopWaitMs = 5000;  // on destruction, how long a tool may take to finish after "stop"
        int listTimeoutMs = 15000; // a list run that takes longer is ended
    };

    static constexpr qint64 kMaxLineBytes = 64 * 1024;   // one event line
    static constexpr qint64 kMaxListBytes = 1024 * 1024; // the whole list output
    static constexpr qint64 kKeptErrorBytes = 64 * 1024; // the tail of the error output kept

    explicit Recorder(Backend* backend, QObject* parent = nullptr);
    // For tests: the tool is looked for in `toolFolder` instead of the program's own folder.
    // Nothing from outside the program, such as an environment variable, chooses what it runs.
    Recorder(Backend* backend, const QString& toolFolder, QObject* parent = nullptr);
    ~Recorder() override;

    // The capture tool's full path.
    QString toolPath() const { return m_tool; }

    bool available() const { return m_available; }
    QVariantList monitors() const { return m_monitors; }
    QVariantList windows() const { return m_windows; }
    QVariantList inputs() const { return m_inputs; }
    QVariantList outputs() const { return m_outputs; }
    bool videoRecording() const { return m_video != nullptr; }
    QString videoTarget() const { return m_videoTarget; }
    int videoSeconds() const;
    QString lastVideo() const { return m_lastVideo; }
    bool audioRecording() const { return m_audio != nullptr; }
    int audioSeconds() const;
    QString lastAudio() const { return m_lastAudio; }
    QString videoFolder() const;
    QString audioFolder() const;
    int previewSerial() const { return m_previewSerial; }
    bool previewReady() const;
    QString previewNote() const { return m_previewNote; }

    Q_INVOKABLE void refresh();
    Q_INVOKABLE void startVideo(const QString& target, const QString& mic, bool systemSound,
                                const QString& size);
    Q_INVOKABLE void switchTarget(const QString& target);
    Q_INVOKABLE void stopVideo();
    Q_INVOKABLE void startAudio(const QStringList& sources, const QString& mic,
                                const QString& format);
    Q_INVOKABLE void stopAudio();
    Q_INVOKABLE void chooseFolder(const QString& kind);
    Q_INVOKABLE void resetFolder(const QString& kind);
    Q_INVOKABLE void openFolder(const QString& kind);
    Q_INVOKABLE void showFile(const QString& file);
    Q_INVOKABLE QString timeText(int seconds) const;
    Q_INVOKABLE void startPreview(const QString& target, int width, int height);
    Q_INVOKABLE void stopPreview();

    // A copy of the current preview frame, taken under the lock: PreviewImages calls this from
    // QML's image thread.
    QImage previewImage() const;
    // One poll of the preview block (the preview timer's work); public for tests.
    void pollPreview();

    // "QUORVEL <stamp>.<extension>" in `folder` (created when missing), with " (2)", " (3)" …
    // before the extension while the name is taken; native separators.
    static QString newFileName(const QString& folder, const QString& extension,
                               const QDateTime& now);

    // Test and start-up hooks.
    void setTimings(const Timings& timings);
    const Timings& timings() const { return m_timings; }
    void setDesktop(RecorderDesktop desktop) { m_desktop = std::move(desktop); }
    // Monotonic milliseconds for the recording clocks, and the local time for file names.
    void setClocks(std::function<qint64()> monotonicMs, std::function<QDateTime()> localNow);
    QSize previewSize() const { return m_previewSize; }
    QString previewTarget() const { return m_previewTarget; }
    bool previewOn() const { return m_previewOn; }
    bool previewPolling() const { return m_previewTimer.isActive(); }
    // The preview block's name as the tool is given it ("" until created).
    QString previewBlockName() const;
    bool previewProcessRunning() const { return m_preview != nullptr; }
    bool listing() const { return m_list != nullptr; }

signals:
    void listsChanged();
    void videoChanged();
    void audioChanged();
    void foldersChanged();
    void tick();
    void previewChanged();

private:
    // recorder_capture.cpp
    QProcess* startTool(Kind kind, const QStringList& arguments);
    void readEvents(QProcess* process, Kind kind);
    void readErrors(QProcess* process);
    void readList(QProcess* process);
    void lineTooLong(Kind kind);
    void handleEvent(Kind kind, const QByteArray& line);
    void toolFinished(QProcess* process, Kind kind, int exitCode, bool crashed);
    void reportFailedExit(QProcess* process, Kind kind, int exitCode, bool crashed);
    void takeLists(const QByteArray& output);
    static void send(QProcess* process, const QString& line);
    QStringList parentArguments() const;
    void toast(const QString& text);

    // recorder_preview.cpp
    bool ensurePreviewBlock();
    void startPreviewProcess();
    QString previewSizeText() const;
    void setPreviewNote(const QString& note);
    void setPreviewImage(QImage image);
    void showPlaceholder();
    void stopProcessesForExit();

    QString demoCaption(const QString& target) const;
    void setDemoLists();

    Backend* m_backend;
    bool m_available = false;
    QString m_tool;
    QVariantList m_monitors, m_windows, m_inputs, m_outputs;

    QPointer<QProcess> m_video, m_audio, m_list, m_preview;
    QString m_videoTarget;
    QString m_videoFile, m_audioFile;
    QString m_lastVideo, m_lastAudio;
    bool m_videoStopped = false, m_audioStopped = false; // the tool reported its file
    qint64 m_videoStart = 0, m_audioStart = 0;
    QTimer m_tickTimer;

    bool m_previewOn = false;
    QString m_previewTarget;
    QSize m_previewSize{640, 360};
    std::unique_ptr<rec::PreviewBlock> m_block;
    quint32 m_lastSequence = 0;
    mutable QMutex m_imageMutex;
    QImage m_image; // guarded by m_imageMutex
    int m_previewSerial = 0;
    QString m_previewNote;
    QTimer m_previewTimer;

    Timings m_timings;
    RecorderDesktop m_desktop;
    std::function<qint64()> m_monotonicMs;
    std::function<QDateTime()> m_localNow;
};

} // namespace qv::ui
