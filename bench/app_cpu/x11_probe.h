#pragma once
// What the CPU bench needs to know from the X server: whether a system tray host holds the tray
// selection, and how many windows of a process are on screen. No Qt: the bench only watches.

#include <sys/types.h>

struct xcb_connection_t;

class X11Probe {
public:
    X11Probe(); // connects to $DISPLAY
    ~X11Probe();
    X11Probe(const X11Probe&) = delete;
    X11Probe& operator=(const X11Probe&) = delete;

    bool connected() const { return m_connection != nullptr; }
    // A tray host (an XEmbed system tray) owns _NET_SYSTEM_TRAY_S<screen>.
    bool trayHostPresent();
    // Top-level windows whose _NET_WM_PID is `pid` and that are mapped and viewable.
    int viewableWindowsOf(pid_t pid);

private:
    unsigned atom(const char* name);

    xcb_connection_t* m_connection = nullptr;
    int m_screen = 0;
    unsigned m_root = 0;
};
