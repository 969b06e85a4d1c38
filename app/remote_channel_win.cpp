#include "app/remote_channel.h"

#include <cstdio>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace qv::ui {

ChannelName controlChannelName(bool demo) {
    DWORD session = 0;
    ChannelName out;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
        out.error = "Не удалось узнать сеанс Windows: канал управления недоступен";
        return out;
    }
    out.name = "QUORVEL.UI.Control." + std::to_string(session) + (demo ? ".Demo" : "");
    return out;
}

void attachParentConsole() {
    const auto missing = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h == nullptr || h == INVALID_HANDLE_VALUE;
    };
    // A stream that is redirected (a pipe, a file) is kept; only missing ones go to the console.
    const bool noOut = missing(STD_OUTPUT_HANDLE);
    const bool noErr = missing(STD_ERROR_HANDLE);
    if (!noOut && !noErr)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return; // started from a shortcut or a button deck: the exit code says it all
    SetConsoleOutputCP(CP_UTF8);
    FILE* reopened = nullptr;
    if (noOut)
        freopen_s(&reopened, "CONOUT$", "w", stdout);
    if (noErr)
        freopen_s(&reopened, "CONOUT$", "w", stderr);
}

} // namespace qv::ui
