// Finding and starting the engine executable on Windows. Paths arrive and leave as UTF-8 and are
// handed to the wide-character API, so folders with any name work.

#include "engine/link_os.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace qv::link::os {
namespace {

// Empty for empty input and for input that is not valid UTF-8.
std::wstring toWide(const std::string& text) {
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         int(text.size()), nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring out(std::size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), out.data(),
                        size);
    return out;
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

// The full path with "." and ".." resolved and native separators. Windows itself resolves
// paths this way (lexically, before the file system sees them), so the result names the same
// file as the input.
std::wstring fullPath(const std::wstring& path) {
    std::wstring out(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFullPathNameW(path.c_str(), DWORD(out.size()), out.data(), nullptr);
        if (length == 0)
            return {};
        if (length < out.size()) {
            out.resize(length);
            return out;
        }
        out.resize(length); // too small: `length` includes the terminating NUL
    }
    return {};
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

const char* engineFileName() {
    return "quorvel-engine.exe";
}

std::string findEngineExecutable(const std::string& interfaceDir) {
    const std::wstring dir = toWide(interfaceDir);
    if (dir.empty())
        return {}; // no folder (or an undecodable one): nothing sensible to look next to
    const std::wstring name = toWide(engineFileName());
    for (const wchar_t* relative : {L"\\", L"\\..\\bin\\"}) {
        const std::wstring candidate = fullPath(dir + relative + name);
        if (!candidate.empty() && isFile(candidate))
            return toUtf8(candidate);
    }
    return {};
}

int startEngineProcess(const std::string& path) {
    const std::wstring program = toWide(path);
    if (program.empty())
        return ERROR_NO_UNICODE_TRANSLATION;
    const std::size_t slash = program.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? L"." : program.substr(0, slash);
    for (wchar_t& c : folder)
        c = c == L'/' ? L'\\' : c;
    if (folder.size() == 2 && folder[1] == L':')
        folder += L'\\'; // "C:" alone would mean the current folder on drive C

    // The quoted path alone: the engine takes no arguments, and the quotes keep a folder with
    // spaces from being split. CreateProcessW may write into the command line buffer.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, folder.c_str(),
                        &startup, &process)) {
        const DWORD error = GetLastError();
        return error != 0 ? int(error) : int(ERROR_GEN_FAILURE);
    }
    // The engine lives on its own; nothing here ever waits for it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

} // namespace qv::link::os
