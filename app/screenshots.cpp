#include "app/screenshots.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QImage>
#include <QPoint>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>
#include <QVariant>

namespace qv::ui {

Q_LOGGING_CATEGORY(lcScreenshots, "quorvel.screenshots", QtWarningMsg)

namespace {

// Steps that also make sense against a real engine: they only open windows and need no
// demo-only calls to stage a state.
const QStringList kEngineSteps = {
    QStringLiteral("main"),          QStringLiteral("add"),         QStringLiteral("screen"),
    QStringLiteral("screen-window"), QStringLiteral("routes-mic"),  QStringLiteral("routes-device"),
    QStringLiteral("voice"),         QStringLiteral("devices-add"), QStringLiteral("settings"),
    QStringLiteral("recorder"),
};

QList<ScreenshotStep> makeSteps() {
    // {id, file, window}. The numbers in the file names are not in list order everywhere
    // ("09g-settings-record" comes after "09o-..."); the list order is what runs.
    const char* const table[][3] = {
        {"main", "01-main.png", "mainWindow"},
        {"add", "02-add-inputs.png", "addDialog"},
        {"routes-device", "02c-routes-device.png", "routesDialog"},
        {"routes-mic", "02e-routes-mic.png", "routesDialog"},
        {"replace", "02f-replace.png", "replaceDialog"},
        {"eq", "02g-eq.png", "eqDialog"},
        {"eq-cs2", "02h-eq-preset.png", "eqDialog"},
        {"eq-search", "02i-eq-search.png", "eqDialog"},
        {"main-eq", "02j-main-eq-curve.png", "mainWindow"},
        {"compact", "03-main-compact.png", "mainWindow"},
        {"collapsed", "04-main-collapsed.png", "mainWindow"},
        {"narrow", "04b-main-some-collapsed.png", "mainWindow"},
        {"fixed", "05-main-fixed-size.png", "mainWindow"},
        {"devices-add", "06-add-outputs.png", "addDialog"},
        {"added-device", "07-added-device-switches.png", "routesDialog"},
        {"monitor", "07b-main-with-device-monitor.png", "mainWindow"},
        {"scenes", "08-scenes.png", "scenesDialog"},
        {"settings", "09-settings.png", "settingsDialog"},
        {"settings-window", "09b-settings-window.png", "settingsDialog"},
        {"settings-keys", "09c-settings-keys.png", "settingsDialog"},
        {"voice", "09d-voice.png", "voiceDialog"},
        {"settings-voice", "09e-settings-voice.png", "settingsDialog"},
        {"settings-cable", "09f-settings-cable.png", "settingsDialog"},
        {"vbcable-missing", "09h-vbcable-install.png", "settingsDialog"},
        {"vbcable-routes", "09i-vbcable-routes.png", "routesDialog"},
        {"vbcable-progress", "09j-vbcable-progress.png", "settingsDialog"},
        {"vbcable-done", "09k-vbcable-done.png", "settingsDialog"},
        {"loop", "09l-main-voice-cable-is-windows-output.png", "mainWindow"},
        {"loop-fixed", "09m-main-output-chosen.png", "mainWindow"},
        {"mic-issues", "09n-why-voice-not-everywhere.png", "routesDialog"},
        {"mic-issues-main", "09o-main-mic-warning.png", "mainWindow"},
        {"settings-record", "09g-settings-record.png", "settingsDialog"},
        {"recorder", "10-recorder.png", "recorderDialog"},
        {"screen", "10b-screen-record.png", "screenDialog"},
        {"screen-window", "10c-screen-record-window.png", "screenDialog"},
        {"dimmed", "11-main-dimmed.png", "mainWindow"},
    };
    QList<ScreenshotStep> steps;
    for (const auto& row : table)
        steps.append({QString::fromLatin1(row[0]), QString::fromLatin1(row[1]),
                      QString::fromLatin1(row[2])});
    return steps;
}

// The root itself when it carries the name, else the first Quick window of that name below it
// (dialogs are child windows of the main window, possibly nested in its items).
QQuickWindow* findWindow(QObject* root, const QString& name) {
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return qobject_cast<QQuickWindow*>(root);
    return root->findChild<QQuickWindow*>(name);
}

// One run; a child of the QML engine, so its timers die with the windows they grab.
class ScreenshotRun : public QObject {
public:
    ScreenshotRun(QQmlApplicationEngine& engine, QString dir, QList<ScreenshotStep> steps,
                  int stepMs)
        : QObject(&engine), m_engine(engine), m_dir(std::move(dir)), m_steps(std::move(steps)),
          m_stepMs(stepMs) {}

    void start(int firstMs) {
        QTimer::singleShot(firstMs, Qt::PreciseTimer, this, [this] { runStep(0); });
    }

private:
    QObject* root() const {
        const QList<QObject*> roots = m_engine.rootObjects();
        return roots.isEmpty() ? nullptr : roots.constFirst();
    }

    void runStep(qsizetype i) {
        if (i >= m_steps.size()) {
            qCInfo(lcScreenshots, "done: %d of %d pictures in %s", m_written, int(m_steps.size()),
                   qUtf8Printable(QDir::toNativeSeparators(m_dir)));
            QCoreApplication::quit();
            return;
        }
        const ScreenshotStep& step = m_steps.at(i);
        qCInfo(lcScreenshots, "step %s started", qUtf8Printable(step.id));
        QObject* window = root();
        const bool prepared =
            window &&
            QMetaObject::invokeMethod(window, "screenshotStep", Q_ARG(QVariant, QVariant(step.id)));
        if (!prepared && !m_warnedNoStep) {
            // The pictures still show the windows as they are; say it once, not per step.
            m_warnedNoStep = true;
            qCWarning(lcScreenshots,
                      "the main window has no screenshotStep(step); pictures show it unprepared");
        }
        QTimer::singleShot(m_stepMs, Qt::PreciseTimer, this, [this, i] {
            grab(m_steps.at(i));
            runStep(i + 1);
        });
    }

    void grab(const ScreenshotStep& step) {
        QQuickWindow* window = findWindow(root(), step.window);
        // Missing and hidden are told apart in the log: a missing window is a screen that does
        // not exist (yet), a hidden one a state that did not open.
        if (!window) {
            qCInfo(lcScreenshots, "step %s skipped: no window %s", qUtf8Printable(step.id),
                   qUtf8Printable(step.window));
            return;
        }
        if (!window->isVisible()) {
            qCInfo(lcScreenshots, "step %s skipped: window %s hidden", qUtf8Printable(step.id),
                   qUtf8Printable(step.window));
            return;
        }
        // A size change asked for just now (the window fitting itself to a banner that has
        // only appeared) reaches the window as a queued event; take it before the picture, or
        // the picture has the new size with the old content.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const QImage image = window->grabWindow();
        // QDir("") is the current folder: an empty folder value never means the file system's
        // root.
        const QString path = QDir(m_dir).filePath(step.file);
        if (image.isNull() || !image.save(path)) {
            qCInfo(lcScreenshots, "step %s skipped: %s not written", qUtf8Printable(step.id),
                   qUtf8Printable(step.file));
            return;
        }
        ++m_written;
        qCInfo(lcScreenshots, "step %s wrote %s %dx%d", qUtf8Printable(step.id),
               qUtf8Printable(step.file), image.width(), image.height());
    }

    QQmlApplicationEngine& m_engine;
    const QString m_dir;
    const QList<ScreenshotStep> m_steps;
    const int m_stepMs;
    int m_written = 0;
    bool m_warnedNoStep = false;
};

} // namespace

const QList<ScreenshotStep>& screenshotSteps() {
    static const QList<ScreenshotStep> steps = makeSteps();
    return steps;
}

QList<ScreenshotStep> screenshotPlan(bool engineMode) {
    QList<ScreenshotStep> plan;
    for (const ScreenshotStep& step : screenshotSteps()) {
        if (!engineMode || kEngineSteps.contains(step.id))
            plan.append(step);
    }
    return plan;
}

void runScreenshots(QQmlApplicationEngine& engine, const QString& dir, bool engineMode,
                    const ScreenshotTimings& timings) {
    // A folder that cannot be made shows up as files that are not written, step by step.
    if (!dir.isEmpty())
        QDir().mkpath(dir);
    // Away from every control, so that no picture shows a hover state.
    QCursor::setPos(0, 0);
    auto* run = new ScreenshotRun(engine, dir, screenshotPlan(engineMode), timings.stepMs);
    run->start(engineMode ? timings.firstStepEngineMs : timings.firstStepDemoMs);
}

} // namespace qv::ui
