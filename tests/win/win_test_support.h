#pragma once
// Shared pieces of the Windows tests: a recorder for the link core's callbacks, a stand-in engine
// end of the named pipe, helper processes, scratch folders and waiting (with a message pump).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "engine/link_core.h"

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv::wintest {

inline constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\QUORVEL.Engine";

std::string narrow(const std::wstring& text);
// The folder of the running test program, and the helper program built next to it.
std::filesystem::path programFolder();
inline std::filesystem::path helperProgram() {
    return programFolder() / L"qv_win_helper.exe";
}

// Records what LinkCore reports; the test thread plays the interface's GUI thread.
class Probe {
public:
    link::LinkCallbacks callbacks();
    // Waits until `done` (called under the lock) holds; false after `ms` milliseconds.
    bool waitFor(const std::function<bool(const Probe&)>& done, int ms = 5000);

    int connected = 0;
    int launchChecks = 0;
    std::vector<std::string> messages;
    std::vector<std::string> statuses;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

// The engine's end of the pipe: message mode, overlapped, every wait bounded by `ms`.
class PipeServer {
public:
    explicit PipeServer(DWORD instances = 1);
    ~PipeServer();
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    bool valid() const { return pipe_ != INVALID_HANDLE_VALUE; }
    bool accept(int ms = 5000);
    bool send(const std::string& message, int ms = 5000);
    std::optional<std::string> receive(int ms = 5000);
    // True when the client has closed its end within `ms`.
    bool clientGone(int ms = 5000);
    // Drops the client, as an engine that goes away does; accept() listens again.
    void disconnect();

private:
    OVERLAPPED arm();
    bool finish(OVERLAPPED& ov, DWORD* transferred, int ms);

    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
};

// A program started with its standard input and output connected to the test.
class HelperProcess {
public:
    HelperProcess(const std::filesystem::path& program, const std::wstring& arguments);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool running() const { return process_ != nullptr; }
    // Sends one line and returns the helper's one-line answer ("" when it did not answer).
    std::string command(const std::string& line);
    std::string readLine();
    // Closes the helper's input (which ends it) and waits for it to exit.
    bool finish(int ms = 5000);
    // The exit code once the helper ended within `ms`; -1 otherwise.
    int exitCode(int ms = 10000);
    HANDLE process() const { return process_; }

private:
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
};

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Polls `done` every 10 ms for at most `ms` milliseconds.
bool eventually(const std::function<bool()>& done, int ms = 5000);
// The same, dispatching this thread's window messages in between.
bool pumpMessagesUntil(const std::function<bool()>& done, int ms = 5000);

} // namespace qv::wintest
