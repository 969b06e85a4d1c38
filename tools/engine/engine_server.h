#pragma once
// The stand-in engine's event loop: one client at a time over the framed socket, the periodic
// state event, the meters at 60 Hz, and saving the document after every change.

#include "engine/demo_engine.h"
#include "engine/framing.h"
#include "tools/engine/meters_file.h"

#include <chrono>
#include <cstddef>
#include <string>

namespace qv::standin {

struct ServerSetup {
    int listenFd = -1;
    int signalFd = -1;      // readable when the process is asked to end
    std::string configPath; // empty: the document is not saved
    MetersFile* meters = nullptr;
};

class EngineServer {
public:
    // A client whose unread output exceeds this is dropped: one that never reads must not
    // make the engine hold its messages without bound. The interface's own traffic is a few
    // kilobytes a second, so this is minutes of it; one message of any size up to the frame
    // limit is still accepted when nothing else is waiting.
    static constexpr size_t kMaxPendingBytes = 16u * 1024u * 1024u;

    EngineServer(DemoEngine& engine, ServerSetup setup);
    ~EngineServer();

    // Runs until "quit", "shutdown" or a signal; returns the process exit code.
    int run();

private:
    using Clock = std::chrono::steady_clock;

    int64_t clockMs() const;
    void acceptClient();
    void readClient();
    void handleMessage(const std::string& text);
    bool queue(const std::string& payload);
    void flush();
    void flushBeforeExit();
    void closeClient();
    void saveConfigIfChanged();
    void runTimers();
    int pollTimeoutMs() const;

    DemoEngine& engine_;
    ServerSetup setup_;
    Clock::time_point start_;
    Clock::time_point nextMeters_;
    Clock::time_point nextState_;
    int clientFd_ = -1;
    link::FrameDecoder decoder_;
    std::string out_;
    size_t outPos_ = 0;
    bool stopping_ = false;
    uint64_t savedRevision_ = 0;
};

} // namespace qv::standin
