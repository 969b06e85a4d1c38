#pragma once
// Starting a program with administrator rights (ShellExecuteExW, verb "runas"), without Qt.
// Windows asks the user first; declining that prompt is an ordinary outcome (ERROR_CANCELLED).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <string>

namespace qv::cable {

struct ElevatedStart {
    std::uint32_t error = 0;  // 0 started; otherwise the Windows error code
    HANDLE process = nullptr; // the started process when Windows gave one; the caller closes it
};

// Opens `file` (a native path) for reading and shares only reading: until the handle is closed
// nobody can write, rename, replace or delete it, while starting it still works. A link, a
// reparse point or a folder is refused. INVALID_HANDLE_VALUE on failure; the caller closes it.
HANDLE holdFileForStart(const std::wstring& file);

// Starts `file` elevated with `parameters` in `folder` (native paths), in a normal window, and
// waits for the shell call itself (not for the program) to complete.
ElevatedStart startElevated(const std::wstring& file, const std::wstring& parameters,
                            const std::wstring& folder);

} // namespace qv::cable
