#pragma once
// The command line of the interface: seven long options and the rules that turn them into a mode.

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace qv::ui {

// What the command line asked for, after the mode rules.
struct StartOptions {
    // The real engine process over the pipe (and the single-instance check); otherwise the
    // in-process demo engine.
    bool engineMode = true;
    bool demoNotDefault = false; // demo engine: QUORVEL is not the Windows default
    bool demoNoDriver = false;   // demo engine: no virtual audio driver
    bool autostart = false;      // started with Windows: the window starts hidden in the tray
    bool noEngineStart = false;  // engine mode: wait for an engine somebody else starts
    bool screenshots = false;    // screenshot mode, pictures into screenshotDir
    QString screenshotDir;
};

// Adds the help option and the seven options, with their help texts, to `parser`.
void addStartOptions(QCommandLineParser& parser);

// Reads the options from a parser that has processed the command line. `demo` wins: demo mode
// when it is set, or when screenshots are asked for without `engine`; `engine` alone changes
// nothing. The two demo flags count only in demo mode.
StartOptions readStartOptions(const QCommandLineParser& parser);

} // namespace qv::ui
