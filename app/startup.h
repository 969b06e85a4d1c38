#pragma once
// Start-up of the interface: everything `main` does once the application object exists.

#include <QLoggingCategory>

class QApplication;

namespace qv::ui {

// Start-up milestones for measurements ("first frame" when the main window has been drawn the
// first time), enabled with QT_LOGGING_RULES="quorvel.startup.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// Organisation and application name "QUORVEL" (the settings store), version 0.5.1.
void setApplicationIdentity();

// Registers the six IBM Plex fonts compiled into the program and makes IBM Plex Sans, 13 px
// without hinting, the default font. A missing font file is skipped.
void setApplicationFonts();

// Parses the command line, keeps engine mode to one process, creates and wires every native
// object, loads the main window and runs the event loop. Returns the exit code: 0 when another
// instance was asked to show itself, 1 when the main window did not load, otherwise the event
// loop's result. The help option and unknown options end the process inside, in the standard
// way of QCommandLineParser.
int runInterface(QApplication& app);

} // namespace qv::ui
