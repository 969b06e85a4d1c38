#pragma once
// The Windows objects behind the single instance, without Qt: the named mutex that the first
// interface process holds, and the registered window message with which a later start asks it
// to show its window.

namespace qv::instance {

inline constexpr wchar_t kMutexName[] = L"Local\\QUORVEL.UI.Instance";
inline constexpr wchar_t kShowMessageName[] = L"QUORVEL.UI.Show";

class InstanceMutex {
public:
    enum class Claim {
        Owned,          // created it: this process is the instance
        AlreadyRunning, // it existed: another process is the instance
        Failed,         // could not be created at all
    };

    InstanceMutex() = default;
    // Closing the handle gives the instance up; the program keeps it until it ends.
    ~InstanceMutex();
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    Claim claim(const wchar_t* name = kMutexName);
    bool owned() const { return owned_; }

private:
    void* handle_ = nullptr;
    bool owned_ = false;
};

// The message number of "QUORVEL.UI.Show", registered once per process on first use; 0 when
// registration failed.
unsigned showMessage();

// Whether a window message (a MSG, as Qt's "windows_generic_MSG" native events carry it) is the
// show request; false for null.
bool isShowRequest(const void* message);

// Lets any process take the foreground (the running instance is about to raise its window) and
// sends the show message to every top-level window, waiting at most 500 ms for each and not at
// all for hung ones.
void broadcastShowRequest();

} // namespace qv::instance
