#pragma once
// The control channel of a running interface: where its local socket lives and how a client
// started from a console gets its output seen. The system parts differ:
//   POSIX    "QUORVEL.UI.Control" in the engine link's runtime folder (owned by the user, 0700),
//            so it is per user like the single-instance lock beside it
//   Windows  the pipe "QUORVEL.UI.Control.<session id>", per logon session like the "Local\"
//            single-instance mutex; the pipe itself admits only the user who created it
// Demo instances use their own name (".Demo" appended), so a demo never answers for the
// mixer and both can run side by side. No Qt here.

#include <string>

namespace qv::ui {

struct ChannelName {
    std::string name;  // for QLocalServer::listen / QLocalSocket::connectToServer
    std::string error; // empty when the name may be used; otherwise a Russian text
    bool ok() const { return error.empty(); }
};

ChannelName controlChannelName(bool demo);

// Makes standard output and error reach the console that started the program. A Windows GUI
// program has none of its own; where output is redirected (a pipe, a file) nothing changes.
void attachParentConsole();

} // namespace qv::ui
