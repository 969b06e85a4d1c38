#pragma once
// What the CPU bench needs to know from the X server: whether a system tray host holds the tray
// selection, and how many windows of a process are on screen. No Qt: the bench only watches.

#include <sys/types.h>

#include <vector>

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
    // Unmaps those windows behind the program's back, as a window manager hiding them would.
    void unmapWindowsOf(pid_t pid);
    // Maps (or removes) a window over the whole screen that covers every other window.
    void coverScreen(bool on);

private:
    unsigned atom(const char* name);
    std::vector<unsigned> windowsOf(pid_t pid);

    xcb_connection_t* m_connection = nullptr;
    int m_screen = 0;
    unsigned m_root = 0;
    unsigned m_cover = 0;
};
