#pragma once
// Test helpers for the engine link on POSIX: a private runtime folder, an in-process fake engine
// server speaking the framed protocol, and a writer for the meters file.

#include "engine/meter_block.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qv::linktest {

// Polls `done` every few milliseconds until it holds or `ms` pass.
bool waitUntil(const std::function<bool()>& done, int ms = 5000);

// A fresh 0700 folder, made the runtime folder through QUORVEL_RUNTIME_DIR for the object's
// life. Set it up before any link thread starts: the environment is process-wide.
class TempRuntimeDir {
public:
    TempRuntimeDir();
    ~TempRuntimeDir();
    const std::string& path() const { return path_; }
    std::string file(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The engine's side of the channel, on its own thread. Every received message is recorded; an
// optional reply function answers it (an empty answer sends nothing).
class FakeEngineServer {
public:
    explicit FakeEngineServer(std::string socketPath);
    ~FakeEngineServer();

    bool listen(); // creates the socket and starts serving; again after close()
    void close();  // the engine goes away: closes everything and removes the socket
    // Closes the accepted connection once everything queued is written (wait for hasClient()).
    void dropClient();

    void sendFrame(std::string_view payload);
    void sendRaw(std::string_view bytes);
    void setReading(bool on); // off: never read (a peer that stops reading)
    void setReply(std::function<std::string(const std::string&)> reply);

    int accepted() const { return accepted_.load(); }
    bool hasClient() const { return hasClient_.load(); }
    std::vector<std::string> received() const;
    std::size_t receivedCount() const;

private:
    void run();
    void wake();

    std::string path_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::atomic<bool> hasClient_{false};

    mutable std::mutex mutex_;
    std::string outgoing_;
    bool reading_ = true;
    bool dropRequested_ = false;
    std::vector<std::string> received_;
    std::function<std::string(const std::string&)> reply_;
};

// Writes QUORVEL.Meters the way the engine does: a shared mapping, sequence odd while writing.
class MeterWriter {
public:
    explicit MeterWriter(const std::string& path, std::size_t size = kMeterBlockSize);
    ~MeterWriter();
    bool ok() const { return block_ != nullptr; }
    MeterBlock* block() { return block_; }
    // A consistent block with `count` entries whose levels are all `level`, as frame `frame`.
    void publish(uint64_t frame, uint32_t count = 2, float level = 0.5f);

private:
    MeterBlock* block_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace qv::linktest
