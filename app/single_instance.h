#pragma once
// One interface process per user session in engine mode.
//
// The first process claims the instance and keeps it for its whole life; a later start finds it
// taken, asks the running process to show its window and ends. The objects differ per system:
//   Windows  the named mutex "Local\QUORVEL.UI.Instance"; the request is the registered window
//            message "QUORVEL.UI.Show", broadcast to every top-level window and seen by a native
//            event filter (single_instance_win.cpp over the Qt-free single_instance_win32.*)
//   POSIX    an exclusive flock on "QUORVEL.UI.Instance" in the engine link's runtime folder; the
//            request is the line "show" written to the local socket "QUORVEL.UI.Show" there
//            (single_instance_posix.cpp)
// Either way the lock dies with the process, so a crash never blocks the next start. Demo and
// screenshot modes use none of this.

#include <QLoggingCategory>
#include <QString>

#include <memory>

class QObject;

namespace qv::ui {

Q_DECLARE_LOGGING_CATEGORY(lcInstance)

class SingleInstance {
public:
    enum class Claim {
        First,       // this process holds the instance
        Another,     // another process holds it and was asked to show its window
        Unprotected, // the lock could not be set up; the program runs without protection
    };

    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Claim claim();
    bool held() const;

private:
    friend class ShowRequestFilter;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Receives the show requests of later starts and calls the target's showWindow() slot (the
// tray's) by queued invocation. On Windows it filters the application's native messages and
// never consumes one; on POSIX it listens only while `instance` is held.
class ShowRequestFilter {
public:
    ShowRequestFilter(QObject* target, const SingleInstance& instance);
    ~ShowRequestFilter();
    ShowRequestFilter(const ShowRequestFilter&) = delete;
    ShowRequestFilter& operator=(const ShowRequestFilter&) = delete;

    // Starts receiving; false when requests cannot arrive (nothing to listen for, or the
    // channel could not be opened).
    bool install();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace qv::ui
