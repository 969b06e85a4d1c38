#include "tests/win/win_test_support.h"

#include <chrono>
#include <thread>

namespace qv::wintest {

std::string narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::filesystem::path programFolder() {
    wchar_t buffer[4096];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    return std::filesystem::path(std::wstring(buffer, length)).parent_path();
}

bool eventually(const std::function<bool()>& done, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool pumpMessagesUntil(const std::function<bool()>& done, int ms) {
    return eventually(
        [&] {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            return done();
        },
        ms);
}

link::LinkCallbacks Probe::callbacks() {
    auto record = [this](auto change) {
        {
            std::lock_guard lock(mutex_);
            change();
        }
        changed_.notify_all();
    };
    link::LinkCallbacks c;
    c.connected = [record, this] { record([this] { ++connected; }); };
    c.message = [record, this](std::string&& m) {
        record([&] { messages.push_back(std::move(m)); });
    };
    c.disconnected = [record, this](const std::string& s) {
        record([&] { statuses.push_back(s); });
    };
    c.checkLaunch = [record, this] { record([this] { ++launchChecks; }); };
    return c;
}

bool Probe::waitFor(const std::function<bool(const Probe&)>& done, int ms) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done(*this); });
}

PipeServer::PipeServer(DWORD instances) {
    pipe_ = CreateNamedPipeW(kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                             PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, instances,
                             65536, 65536, 0, nullptr);
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

PipeServer::~PipeServer() {
    if (valid()) {
        CancelIoEx(pipe_, nullptr);
        CloseHandle(pipe_);
    }
    CloseHandle(event_);
}

OVERLAPPED PipeServer::arm() {
    ResetEvent(event_);
    OVERLAPPED ov{};
    ov.hEvent = event_;
    return ov;
}

// Waits for an overlapped operation; one that does not finish in time is cancelled, so the
// OVERLAPPED on the caller's stack is free again when this returns.
bool PipeServer::finish(OVERLAPPED& ov, DWORD* transferred, int ms) {
    if (WaitForSingleObject(event_, DWORD(ms)) != WAIT_OBJECT_0) {
        CancelIoEx(pipe_, &ov);
        GetOverlappedResult(pipe_, &ov, transferred, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe_, &ov, transferred, FALSE) != FALSE;
}

bool PipeServer::accept(int ms) {
    OVERLAPPED ov = arm();
    if (ConnectNamedPipe(pipe_, &ov))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED)
        return true;
    if (error != ERROR_IO_PENDING)
        return false;
    DWORD ignored = 0;
    return finish(ov, &ignored, ms);
}

bool PipeServer::send(const std::string& message, int ms) {
    OVERLAPPED ov = arm();
    DWORD written = 0;
    if (!WriteFile(pipe_, message.data(), DWORD(message.size()), nullptr, &ov) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    return finish(ov, &written, ms) && written == message.size();
}

// One message of up to 64 KiB: what the interface sends in these tests is small.
std::optional<std::string> PipeServer::receive(int ms) {
    char buffer[65536];
    OVERLAPPED ov = arm();
    DWORD got = 0;
    if (!ReadFile(pipe_, buffer, sizeof buffer, nullptr, &ov) && GetLastError() != ERROR_IO_PENDING)
        return std::nullopt;
    if (!finish(ov, &got, ms))
        return std::nullopt;
    return std::string(buffer, got);
}

bool PipeServer::clientGone(int ms) {
    OVERLAPPED ov = arm();
    char byte;
    if (!ReadFile(pipe_, &byte, 1, nullptr, &ov) && GetLastError() != ERROR_IO_PENDING)
        return GetLastError() == ERROR_BROKEN_PIPE || GetLastError() == ERROR_PIPE_NOT_CONNECTED;
    DWORD got = 0;
    if (finish(ov, &got, ms))
        return false; // the client wrote something instead
    const DWORD error = GetLastError();
    return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED;
}

void PipeServer::disconnect() {
    FlushFileBuffers(pipe_);
    DisconnectNamedPipe(pipe_);
}

HelperProcess::HelperProcess(const std::filesystem::path& program, const std::wstring& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!CreatePipe(&childIn, &input_, &inherit, 0))
        return;
    if (!CreatePipe(&output_, &childOut, &inherit, 0)) {
        CloseHandle(childIn);
        return;
    }
    // Only the child's ends may be inherited.
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    CloseHandle(childIn);
    CloseHandle(childOut);
}

HelperProcess::~HelperProcess() {
    if (process_ && !finish(5000))
        TerminateProcess(process_, 1);
    for (HANDLE h : {process_, input_, output_})
        if (h)
            CloseHandle(h);
}

std::string HelperProcess::command(const std::string& line) {
    const std::string text = line + "\n";
    DWORD written = 0;
    if (!input_ || !WriteFile(input_, text.data(), DWORD(text.size()), &written, nullptr))
        return {};
    return readLine();
}

std::string HelperProcess::readLine() {
    std::string line;
    char c;
    DWORD got = 0;
    while (output_ && ReadFile(output_, &c, 1, &got, nullptr) && got == 1 && c != '\n')
        line += c;
    if (!line.empty() && line.back() == '\r') // the helper's output is in text mode
        line.pop_back();
    return line;
}

bool HelperProcess::finish(int ms) {
    if (input_) {
        CloseHandle(input_);
        input_ = nullptr;
    }
    return !process_ || WaitForSingleObject(process_, DWORD(ms)) == WAIT_OBJECT_0;
}

int HelperProcess::exitCode(int ms) {
    DWORD code = 0;
    if (!process_ || WaitForSingleObject(process_, DWORD(ms)) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_, &code))
        return -1;
    return int(code);
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
    static int counter = 0;
    path_ =
        std::filesystem::temp_directory_path() /
        (name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    // A helper program that is still ending keeps its executable open for a moment.
    eventually(
        [this] {
            std::error_code error;
            std::filesystem::remove_all(path_, error);
            return !error;
        },
        2000);
}

} // namespace qv::wintest
