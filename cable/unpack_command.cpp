#include "cable/unpack_command.h"

namespace qv::cable {

namespace {

bool isSingleQuote(wchar_t ch) {
    return ch == L'\'' || ch == L'\u2018' || ch == L'\u2019' || ch == L'\u201A' || ch == L'\u201B';
}

} // namespace

std::wstring powerShellQuote(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size() + 2);
    out.push_back(L'\'');
    for (const wchar_t ch : text) {
        if (isSingleQuote(ch))
            out.push_back(ch);
        out.push_back(ch);
    }
    out.push_back(L'\'');
    return out;
}

CommandLine windowsUnpackCommand(std::wstring_view tarPath, bool tarExists,
                                 std::wstring_view package, std::wstring_view dir) {
    if (tarExists) {
        return {std::wstring(tarPath), {L"-xf", std::wstring(package), L"-C", std::wstring(dir)}};
    }
    // The paths go inside one -Command script, so they must be literals PowerShell cannot
    // leave: a path is user-controlled text (the user's name is part of it).
    const std::wstring script = L"Expand-Archive -Force -LiteralPath " + powerShellQuote(package) +
                                L" -DestinationPath " + powerShellQuote(dir);
    return {L"powershell.exe", {L"-NoProfile", L"-Command", script}};
}

} // namespace qv::cable
