#pragma once
// The engine link written once for every system: the connect loop, the outgoing queue, the
// status texts, automatic engine start and the meters reading. Standard library only; the
// system calls are behind engine/link_os.h, and PipeTransport is the Qt face over this class.

#include "engine/link_os.h"
#include "engine/meter_block.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qv::link {

// Status texts shown by the interface as the connection status.
inline constexpr const char* kStatusLost = "Связь с движком потеряна — переподключаюсь…";
inline constexpr const char* kStatusNotRunning = "Движок QUORVEL не запущен";
inline constexpr const char* kStatusStarting = "Запускаю движок QUORVEL…";
// %1 is the system error code in decimal.
inline constexpr const char* kStatusStartFailed = "Не удалось запустить движок (код %1)";
// %1 is the engine executable's file name.
inline constexpr const char* kStatusNotFound = "Движок QUORVEL не найден рядом с интерфейсом (%1)";
// The system refused the objects that wake the link's thread (out of handles or descriptors).
inline constexpr const char* kStatusNoWakeup =
    "Не удалось подготовить связь с движком: система не выделила ресурсы";

struct LinkCallbacks {
    // All four run on the I/O thread, except that `disconnected` also carries the statuses of
    // checkLaunch()/startEngine(), which run on the caller's thread. They must not call back
    // into the LinkCore synchronously except for send() and checkLaunch().
    std::function<void()> connected;
    std::function<void(std::string&& message)> message;
    std::function<void(const std::string& status)> disconnected;
    // The engine could not be reached: the owner should call checkLaunch() on its own thread.
    std::function<void()> checkLaunch;
};

struct LinkOptions {
    bool autoStart = true;
    // The folder of the interface's executable; the engine is looked for next to it.
    std::string interfaceDir;
    // Milliseconds of a monotonic clock; tests inject their own.
    std::function<int64_t()> clock;
    int retryMs = 700;          // after a failed attempt when no connection existed yet
    int retryAfterLossMs = 300; // after a failed attempt once a connection has existed
};

// Whether a consistent copy of the meters block may be handed out: the engine's magic and
// version, and no more entries than the block has slots. The entries themselves are the
// reader's to judge (ids need not be terminated, levels need not be finite).
bool meterBlockValid(const MeterBlock& block);

class LinkCore {
public:
    static constexpr std::size_t kMaxQueued = 513;
    static constexpr int64_t kLaunchIntervalMs = 5000;
    static constexpr int64_t kMeterStaleMs = 1501;
    static constexpr int kMeterCopyAttempts = 16;
    static constexpr int kBusyWaitMs = 200;

    LinkCore(LinkOptions options, LinkCallbacks callbacks);
    // Stops the I/O thread (wakes it from any wait, including a write to a peer that never
    // reads) and joins it. No callback runs after the destructor returns.
    ~LinkCore();
    LinkCore(const LinkCore&) = delete;
    LinkCore& operator=(const LinkCore&) = delete;

    // Starts the I/O thread unless it runs already. Without its wake-up objects the link cannot
    // run: that is reported once as a status (through `disconnected`, on the caller's thread).
    void start();
    // Thread-safe. Queues one message; while more than 512 wait, the oldest is dropped.
    void send(std::string message);
    // Owner's thread. Copies the newest valid meters snapshot; true only for a new frame. On
    // false `out` is left as it was. Allocates nothing (except when the view is reopened).
    bool readMeters(MeterBlock* out);
    // Owner's thread, after the checkLaunch callback.
    void checkLaunch();
    // Owner's thread. Starts the engine process and reports the outcome as a status.
    void startEngine();

    bool isConnected() const { return connected_.load(); }
    // The messages waiting to be written, oldest first (for diagnostics and tests).
    std::vector<std::string> queuedMessages() const;

private:
    void run();
    void serve(os::Channel& channel);
    bool writeQueued(os::Channel& channel);
    int64_t now() const;

    LinkOptions options_;
    LinkCallbacks callbacks_;
    os::Wakeup wake_;
    std::thread thread_;

    mutable std::mutex queueMutex_;
    std::deque<std::string> queue_;

    std::atomic<bool> connected_{false};
    std::atomic<bool> remap_{false};
    // Clock time of the last engine start attempt; kNever before the first one. Written only
    // by the owner's thread; atomic so that a test owner on another thread stays well-defined.
    static constexpr int64_t kNever = INT64_MIN;
    std::atomic<int64_t> lastLaunch_{kNever};

    // Owner's thread only.
    os::MeterView meters_;
    std::unique_ptr<MeterBlock> scratch_; // where each copy is checked before it is handed out
    std::optional<uint64_t> lastFrame_;
    int64_t lastFrameTime_ = 0;
};

} // namespace qv::link
