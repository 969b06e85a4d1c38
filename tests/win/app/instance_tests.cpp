// The Win32 single-instance objects under Wine, across real processes: the named mutex as a
// second process sees it (also after its holder was killed), and the registered show message
// broadcast by a second process reaching a top-level window of this one.

#include "app/single_instance_win32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using qv::instance::InstanceMutex;

namespace {

std::filesystem::path probePath() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::filesystem::path(std::wstring(buffer, n)).parent_path() / L"instance_probe.exe";
}

// The probe as a child process; its standard input and output are pipes to this test.
class Probe {
public:
    explicit Probe(const wchar_t* mode) {
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        HANDLE childIn = nullptr, childOut = nullptr;
        if (!::CreatePipe(&childIn, &input_, &sa, 0) || !::CreatePipe(&output_, &childOut, &sa, 0))
            return;
        ::SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = childIn;
        si.hStdOutput = childOut;
        si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        std::wstring command = L"\"" + probePath().wstring() + L"\" " + mode;
        PROCESS_INFORMATION pi{};
        if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &si, &pi)) {
            ::CloseHandle(pi.hThread);
            process_ = pi.hProcess;
        }
        ::CloseHandle(childIn);
        ::CloseHandle(childOut);
    }
    ~Probe() {
        if (process_) {
            ::TerminateProcess(process_, 99);
            ::WaitForSingleObject(process_, 5000);
            ::CloseHandle(process_);
        }
        for (HANDLE h : {input_, output_}) {
            if (h)
                ::CloseHandle(h);
        }
    }

    HANDLE process() const { return process_; }

    // The probe's exit code once it ended within `ms`; -1 otherwise.
    int exitCode(DWORD ms = 10000) {
        if (!process_ || ::WaitForSingleObject(process_, ms) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(process_, &code);
        return int(code);
    }

    // Reads one line (the hold mode's answer).
    std::string line() {
        std::string out;
        char c = 0;
        DWORD got = 0;
        while (::ReadFile(output_, &c, 1, &got, nullptr) && got == 1 && c != '\n') {
            if (c != '\r') // the probe's standard output is in text mode
                out += c;
        }
        return out;
    }

    // Ends it abruptly, as a crash would: the mutex is abandoned, never released.
    bool kill() { return process_ && ::TerminateProcess(process_, 3) && exitCode() == 3; }

private:
    HANDLE process_ = nullptr;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
};

constexpr int kOwned = 10;
constexpr int kAlreadyRunning = 11;

} // namespace

TEST(InstanceMutexTest, SecondProcessFindsTheInstanceTaken) {
    ASSERT_TRUE(std::filesystem::exists(probePath()));
    {
        InstanceMutex first;
        ASSERT_EQ(first.claim(), InstanceMutex::Claim::Owned);
        EXPECT_TRUE(first.owned());
        Probe second(L"claim");
        EXPECT_EQ(second.exitCode(), kAlreadyRunning);
        // Claiming again in the same process changes nothing.
        EXPECT_EQ(first.claim(), InstanceMutex::Claim::Owned);
    }
    // Given up: the next process is the instance.
    Probe next(L"claim");
    EXPECT_EQ(next.exitCode(), kOwned);
}

TEST(InstanceMutexTest, KilledHolderDoesNotBlockTheNextStart) {
    Probe holder(L"hold");
    ASSERT_EQ(holder.line(), std::to_string(kOwned));
    {
        InstanceMutex second;
        EXPECT_EQ(second.claim(), InstanceMutex::Claim::AlreadyRunning);
        EXPECT_FALSE(second.owned());
    } // a second start ends at once, closing its handle
    ASSERT_TRUE(holder.kill());

    InstanceMutex next;
    EXPECT_EQ(next.claim(), InstanceMutex::Claim::Owned);
}

namespace {

int g_showMessages = 0;
int g_otherRegistered = 0;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == qv::instance::showMessage() && msg != 0) {
        ++g_showMessages;
        EXPECT_EQ(wp, WPARAM(0));
        EXPECT_EQ(lp, LPARAM(0));
    } else if (msg >= 0xC000) {
        ++g_otherRegistered;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

// Runs this thread's message loop until `process` ends (or 10 s pass).
bool pumpUntilExit(HANDLE process) {
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (::GetTickCount64() < deadline) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &process, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        if (r == WAIT_OBJECT_0)
            return true;
    }
    return false;
}

} // namespace

TEST(ShowMessageTest, RegisteredOnceAndBroadcastToTopLevelWindows) {
    const unsigned id = qv::instance::showMessage();
    ASSERT_GE(id, 0xC000u); // the range of registered messages
    EXPECT_LE(id, 0xFFFFu);
    EXPECT_EQ(qv::instance::showMessage(), id);
    EXPECT_EQ(::RegisterWindowMessageW(L"QUORVEL.UI.Show"), id);

    WNDCLASSW wc{};
    wc.lpfnWndProc = recordingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QUORVEL.Test.ShowTarget";
    ASSERT_NE(::RegisterClassW(&wc), 0);
    // A hidden top-level window, as the interface's window is while it sits in the tray.
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    Probe second(L"show");
    ASSERT_NE(second.process(), nullptr);
    ASSERT_TRUE(pumpUntilExit(second.process()));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(g_showMessages, 1);

    ::DestroyWindow(window);
    ::UnregisterClassW(wc.lpszClassName, wc.hInstance);
}
