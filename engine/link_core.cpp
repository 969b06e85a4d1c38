#include "engine/link_core.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>

namespace qv::link {
namespace {

std::string withArgument(const char* text, const std::string& argument) {
    std::string out = text;
    const auto at = out.find("%1");
    if (at != std::string::npos)
        out.replace(at, 2, argument);
    return out;
}

int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

#if defined(__SANITIZE_THREAD__)
#define QV_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QV_THREAD_SANITIZER 1
#endif
#endif

// Orders the copy of the block between the two readings of its sequence.
void loadFence() {
#if defined(QV_THREAD_SANITIZER)
    // ThreadSanitizer does not model fences (and never sees the engine's writes, which come from
    // another process); a compiler barrier keeps the instrumented build free of that warning.
    std::atomic_signal_fence(std::memory_order_seq_cst);
#else
    std::atomic_thread_fence(std::memory_order_acquire);
#endif
}

uint32_t loadU32(const unsigned char* p) {
    // The block is little-endian like every machine this runs on; a volatile read keeps the
    // compiler from reusing a value the engine may have changed meanwhile.
    return *reinterpret_cast<const volatile uint32_t*>(p);
}

} // namespace

bool meterBlockValid(const MeterBlock& block) {
    return block.magic == kMeterMagic && block.version == kMeterVersion &&
           block.count <= uint32_t(kMeterSlots);
}

LinkCore::LinkCore(LinkOptions options, LinkCallbacks callbacks)
    : options_(std::move(options)), callbacks_(std::move(callbacks)),
      scratch_(std::make_unique<MeterBlock>()) {
    if (!options_.clock)
        options_.clock = steadyMs;
}

LinkCore::~LinkCore() {
    wake_.signalStop();
    if (thread_.joinable())
        thread_.join();
    meters_.close();
}

void LinkCore::start() {
    if (thread_.joinable())
        return;
    if (!wake_.valid()) {
        if (callbacks_.disconnected)
            callbacks_.disconnected(kStatusNoWakeup);
        return;
    }
    thread_ = std::thread([this] { run(); });
}

void LinkCore::send(std::string message) {
    {
        std::lock_guard lock(queueMutex_);
        if (queue_.size() >= kMaxQueued)
            queue_.pop_front();
        queue_.push_back(std::move(message));
    }
    wake_.signalWrite();
}

std::vector<std::string> LinkCore::queuedMessages() const {
    std::lock_guard lock(queueMutex_);
    return {queue_.begin(), queue_.end()};
}

int64_t LinkCore::now() const {
    return options_.clock();
}

void LinkCore::run() {
    bool hadConnection = false;
    while (!wake_.stopped()) {
        os::Channel channel;
        std::string refusal;
        switch (channel.open(refusal)) {
        case os::OpenResult::Opened: {
            {
                // Whatever was queued while disconnected belongs to the old connection.
                std::lock_guard lock(queueMutex_);
                queue_.clear();
            }
            connected_.store(true);
            remap_.store(true);
            if (callbacks_.connected)
                callbacks_.connected();
            serve(channel);
            channel.close();
            connected_.store(false);
            if (wake_.stopped())
                return;
            hadConnection = true;
            if (callbacks_.disconnected)
                callbacks_.disconnected(kStatusLost);
            break;
        }
        case os::OpenResult::Busy:
            os::Channel::waitBusy(wake_, kBusyWaitMs);
            break;
        case os::OpenResult::Failed:
            // A refused channel (unsafe folder) is not a missing engine: starting one would not
            // help, so the reason is shown instead.
            if (!refusal.empty()) {
                if (callbacks_.disconnected)
                    callbacks_.disconnected(refusal);
            } else if (callbacks_.checkLaunch) {
                callbacks_.checkLaunch();
            }
            wake_.waitStop(hadConnection ? options_.retryAfterLossMs : options_.retryMs);
            break;
        }
    }
}

void LinkCore::serve(os::Channel& channel) {
    if (!channel.startReading())
        return;
    const std::function<void(std::string &&)> deliver = [this](std::string&& message) {
        if (callbacks_.message)
            callbacks_.message(std::move(message));
    };
    for (;;) {
        if (!writeQueued(channel))
            return;
        switch (channel.wait(wake_)) {
        case os::WaitResult::Stop:
        case os::WaitResult::Failed:
            return;
        case os::WaitResult::Read:
            if (!channel.read(deliver))
                return;
            break;
        case os::WaitResult::Write:
            break; // the next pass writes the queue
        }
    }
}

bool LinkCore::writeQueued(os::Channel& channel) {
    for (;;) {
        std::string message;
        {
            std::lock_guard lock(queueMutex_);
            if (queue_.empty())
                return true;
            message = std::move(queue_.front());
            queue_.pop_front();
        }
        // An empty message carries nothing and cannot be framed; skip it.
        if (message.empty())
            continue;
        // The engine would drop the connection on an oversized message anyway; ending it here
        // makes the loss visible at once and the reconnection resynchronises the interface.
        if (message.size() > kMaxMessageBytes)
            return false;
        if (channel.write(message, wake_) != os::WriteResult::Done)
            return false;
    }
}

void LinkCore::checkLaunch() {
    const int64_t last = lastLaunch_.load();
    const bool due = last == kNever || now() - last > kLaunchIntervalMs;
    if (!due)
        return;
    if (options_.autoStart)
        startEngine();
    else if (callbacks_.disconnected)
        callbacks_.disconnected(kStatusNotRunning);
}

void LinkCore::startEngine() {
    const std::string path = os::findEngineExecutable(options_.interfaceDir);
    lastLaunch_.store(now());
    std::string status;
    if (path.empty()) {
        status = withArgument(kStatusNotFound, os::engineFileName());
    } else if (const int error = os::startEngineProcess(path); error != 0) {
        status = withArgument(kStatusStartFailed, std::to_string(error));
    } else {
        status = kStatusStarting;
    }
    if (callbacks_.disconnected)
        callbacks_.disconnected(status);
}

bool LinkCore::readMeters(MeterBlock* out) {
    if (!out || !connected_.load())
        return false;
    const int64_t time = now();
    if (remap_.exchange(false) || (meters_.isOpen() && time - lastFrameTime_ >= kMeterStaleMs))
        meters_.close();
    if (!meters_.isOpen() || !meters_.whole()) {
        if (!meters_.open())
            return false;
        lastFrameTime_ = time;
    }

    // The copy is checked in a block of our own and reaches `out` only when it is accepted, so a
    // torn, foreign or repeated block never overwrites the caller's last good levels.
    MeterBlock* copy = scratch_.get();
    const unsigned char* block = meters_.data();
    const unsigned char* sequence = block + offsetof(MeterBlock, sequence);
    bool copied = false;
    for (int attempt = 0; attempt < kMeterCopyAttempts && !copied; ++attempt) {
        const uint32_t before = loadU32(sequence);
        if (before & 1u)
            continue; // the engine is writing
        loadFence();
        std::memcpy(static_cast<void*>(copy), block, kMeterBlockSize);
        loadFence();
        copied = loadU32(sequence) == before;
    }
    if (!copied)
        return false;
    if (!meterBlockValid(*copy))
        return false;
    if (lastFrame_ && *lastFrame_ == copy->frame)
        return false;
    lastFrame_ = copy->frame;
    lastFrameTime_ = time;
    std::memcpy(static_cast<void*>(out), copy, kMeterBlockSize);
    return true;
}

} // namespace qv::link
