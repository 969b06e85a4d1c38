#pragma once
// The client side of the control options: run instead of the interface when the command line
// names one (see remote_verbs.h). It never takes the single instance and never creates a
// window or a tray icon.

class QCoreApplication;

namespace qv::ui {

// Sends the one request of the command line to the running interface of the same mode (the
// demo one with --demo) and prints the answer. Exit code: 0 done (the answer on standard
// output), 2 refused (the Russian reason on standard error), 3 no instance answers.
int runRemoteVerb(QCoreApplication& app);

} // namespace qv::ui
