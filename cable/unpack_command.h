#pragma once
// How the driver package is unpacked on Windows, as plain text: the system's tar.exe when it
// has one (Windows 10 1803 and later), otherwise PowerShell's Expand-Archive. No Qt, so the
// Windows cross build tests it under Wine; the rest of the program tests it everywhere.

#include <string>
#include <string_view>
#include <vector>

namespace qv::cable {

struct CommandLine {
    std::wstring program;
    std::vector<std::wstring> arguments;
};

// `text` as a single-quoted PowerShell string literal. PowerShell closes such a literal at any
// of the four single quotation marks (' U+2018 U+2019 U+201A U+201B), so every one of them is
// doubled; nothing else is special inside it.
std::wstring powerShellQuote(std::wstring_view text);

// The unpack command for the archive `package` into the folder `dir` (native paths). `tarPath`
// is the system's tar.exe, used when `tarExists`.
CommandLine windowsUnpackCommand(std::wstring_view tarPath, bool tarExists,
                                 std::wstring_view package, std::wstring_view dir);

} // namespace qv::cable
