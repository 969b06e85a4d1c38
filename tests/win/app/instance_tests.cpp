// The Win32 single-instance objects under Wine, across real processes: the named mutex as a
// second process sees it (also after its holder was killed), and the registered show message
// broadcast by a second process reaching a top-level window of this one.

#include "tests/win/win_test_support.h"

#include "app/single_instance_win32.h"

#include <gtest/gtest.h>

namespace qv::wintest {
namespace {

using instance::InstanceMutex;

constexpr int kOwned = 10;
constexpr int kAlreadyRunning = 11;

// A second process finds the instance taken, also after its holder was killed as a crash would
// (the mutex is then abandoned, never released); once given up, the next process is the instance.
TEST(InstanceMutexTest, SecondProcessFindsTheInstanceTakenUntilItsHolderEnds) {
    {
        InstanceMutex first;
        ASSERT_EQ(first.claim(), InstanceMutex::Claim::Owned);
        EXPECT_TRUE(first.owned());
        EXPECT_EQ(HelperProcess(helperProgram(), L"claim").exitCode(), kAlreadyRunning);
        EXPECT_EQ(first.claim(), InstanceMutex::Claim::Owned); // again: nothing changes
    }
    EXPECT_EQ(HelperProcess(helperProgram(), L"claim").exitCode(), kOwned);

    HelperProcess holder(helperProgram(), L"hold");
    ASSERT_EQ(holder.readLine(), std::to_string(kOwned));
    {
        InstanceMutex second;
        EXPECT_EQ(second.claim(), InstanceMutex::Claim::AlreadyRunning);
        EXPECT_FALSE(second.owned());
    } // a second start ends at once, closing its handle
    ASSERT_TRUE(TerminateProcess(holder.process(), 3));
    ASSERT_EQ(holder.exitCode(), 3);
    InstanceMutex next;
    EXPECT_EQ(next.claim(), InstanceMutex::Claim::Owned);
}

int g_showRequests = 0;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Qt hands its native event filters each message as a MSG, sent ones included.
    const MSG message{hwnd, msg, wp, lp, 0, {}};
    g_showRequests += instance::isShowRequest(&message) ? 1 : 0;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(ShowMessageTest, BroadcastByASecondProcessReachesAHiddenTopLevelWindow) {
    ASSERT_NE(instance::showMessage(), 0u);
    EXPECT_FALSE(instance::isShowRequest(nullptr));

    WNDCLASSW wc{};
    wc.lpfnWndProc = recordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QUORVEL.Test.ShowTarget";
    ASSERT_NE(RegisterClassW(&wc), 0);
    // Hidden, as the interface's window is while it sits in the tray.
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    const int before = g_showRequests; // creating the window sent messages of its own

    HelperProcess second(helperProgram(), L"show");
    ASSERT_TRUE(second.running());
    ASSERT_TRUE(pumpMessagesUntil(
        [&] { return WaitForSingleObject(second.process(), 0) == WAIT_OBJECT_0; }, 10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(g_showRequests - before, 1);

    DestroyWindow(window);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

} // namespace
} // namespace qv::wintest
