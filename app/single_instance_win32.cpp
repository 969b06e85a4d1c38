#include "app/single_instance_win32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace qv::instance {

InstanceMutex::~InstanceMutex() {
    if (handle_)
        ::CloseHandle(handle_);
}

InstanceMutex::Claim InstanceMutex::claim(const wchar_t* name) {
    if (handle_)
        return owned_ ? Claim::Owned : Claim::AlreadyRunning;
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, name);
    if (!mutex)
        return Claim::Failed;
    // Read at once: nothing may run between the creation and this check.
    const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    handle_ = mutex;
    owned_ = !existed;
    return existed ? Claim::AlreadyRunning : Claim::Owned;
}

unsigned showMessage() {
    static const unsigned id = ::RegisterWindowMessageW(kShowMessageName);
    return id;
}

bool isShowRequest(const void* message) {
    const unsigned id = showMessage();
    return message && id != 0 && static_cast<const MSG*>(message)->message == id;
}

void broadcastShowRequest() {
    const unsigned id = showMessage();
    if (id == 0)
        return;
    // Windows lets a process bring its window to the front only while it may set the
    // foreground; this process has that right just now (the user started it) and passes it on.
    ::AllowSetForegroundWindow(ASFW_ANY);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, id, 0, 0, SMTO_ABORTIFHUNG, 500, &ignored);
}

} // namespace qv::instance
