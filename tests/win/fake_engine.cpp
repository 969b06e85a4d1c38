// Test helper: stands in for quorvel-engine.exe when the interface starts the engine.
// Every start appends "<command line>\t<working folder>\n" (UTF-8) to launches.txt in its
// working folder. When a file named "serve" lies there too, it then acts as a minimal engine:
// creates the engine's pipe, greets the first client with one message and ends when that client
// leaves (or after 10 s).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace {

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(std::size_t(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

void recordLaunch() {
    wchar_t folder[MAX_PATH * 4];
    const DWORD length = GetCurrentDirectoryW(DWORD(std::size(folder)), folder);
    const std::string record =
        utf8(GetCommandLineW()) + "\t" + utf8(std::wstring(folder, length)) + "\n";
    HANDLE file = CreateFileW(L"launches.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr);
    CloseHandle(file);
}

bool waitFor(HANDLE pipe, OVERLAPPED& ov, DWORD ms) {
    if (WaitForSingleObject(ov.hEvent, ms) != WAIT_OBJECT_0)
        return false;
    DWORD ignored = 0;
    return GetOverlappedResult(pipe, &ov, &ignored, FALSE) != FALSE;
}

void serve() {
    HANDLE pipe =
        CreateNamedPipeW(L"\\\\.\\pipe\\QUORVEL.Engine", PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 65536, 65536, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED ov{};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool connected = ConnectNamedPipe(pipe, &ov) || GetLastError() == ERROR_PIPE_CONNECTED;
    if (!connected && GetLastError() == ERROR_IO_PENDING)
        connected = waitFor(pipe, ov, 10000);
    if (connected) {
        const char hello[] = R"({"event":"hello"})";
        ResetEvent(ov.hEvent);
        if (WriteFile(pipe, hello, DWORD(sizeof hello - 1), nullptr, &ov) ||
            GetLastError() == ERROR_IO_PENDING)
            waitFor(pipe, ov, 10000);
        // Until the client leaves: its messages are not looked at.
        char buffer[4096];
        for (;;) {
            ResetEvent(ov.hEvent);
            if (!ReadFile(pipe, buffer, sizeof buffer, nullptr, &ov) &&
                GetLastError() != ERROR_IO_PENDING && GetLastError() != ERROR_MORE_DATA)
                break;
            if (!waitFor(pipe, ov, 10000) && GetLastError() != ERROR_MORE_DATA)
                break;
        }
    }
    CancelIoEx(pipe, nullptr);
    CloseHandle(pipe);
    CloseHandle(ov.hEvent);
}

} // namespace

int main() {
    recordLaunch();
    if (GetFileAttributesW(L"serve") != INVALID_FILE_ATTRIBUTES)
        serve();
    return 0;
}
