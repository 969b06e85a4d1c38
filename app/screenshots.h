#pragma once
// Screenshot mode: one picture of every screen of the interface into a folder, then the program
// quits. For each step the main window prepares one state (its QML function
// screenshotStep(step)), and after a pause one named window is grabbed into a PNG file.
//
// Every step is logged under "quorvel.screenshots" at info level ("step <id> started",
// "step <id> wrote <file> <w>x<h>", "step <id> skipped: no window <name>" or
// "... window <name> hidden" or "... <file> not written"), enabled with
// QT_LOGGING_RULES="quorvel.screenshots.info=true"; tests and scripts read that log.

#include <QList>
#include <QLoggingCategory>
#include <QString>

class QQmlApplicationEngine;

namespace qv::ui {

Q_DECLARE_LOGGING_CATEGORY(lcScreenshots)

// One picture: the id handed to screenshotStep, the file written, the window grabbed (by its
// objectName).
struct ScreenshotStep {
    QString id;
    QString file;
    QString window;
};

// The waits of a run. The program uses the defaults; tests shorten them.
struct ScreenshotTimings {
    int firstStepDemoMs = 1500;   // the demo engine has its world at once
    int firstStepEngineMs = 6000; // a real engine needs a while to connect and report
    int stepMs = 900;             // between preparing a state and grabbing it
};

// Every step, in the order they run.
const QList<ScreenshotStep>& screenshotSteps();

// The steps of a run: all of them with the demo engine; with the real engine only those that
// do not depend on a prepared demo world, still in list order.
QList<ScreenshotStep> screenshotPlan(bool engineMode);

// Starts a run over the first root object of `engine` (the main window, objectName
// "mainWindow") and returns at once; the work runs on GUI-thread timers owned by `engine`.
// The folder is created with its parents; existing files of the same names are overwritten.
// A window that is missing or hidden when its step is grabbed, or a file that cannot be
// written, gives no picture and the run goes on. After the last step the application quits.
void runScreenshots(QQmlApplicationEngine& engine, const QString& dir, bool engineMode,
                    const ScreenshotTimings& timings = {});

} // namespace qv::ui
