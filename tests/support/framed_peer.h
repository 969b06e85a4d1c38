#pragma once
// Both ends of the framed Unix-socket channel to the engine, for tests (POSIX):
//   RawClient         the interface's side, driven step by step by the test; it can also speak
//                     the protocol wrongly (sendRaw, frameHeader)
//   FakeEngineServer  the engine's side on its own thread, recording what it receives and
//                     answering through a reply function

#include "engine/framing.h"
#include "tests/support/frame_header.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qv::test {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// Polls `done` every few milliseconds until it holds or `ms` pass.
bool waitUntil(const std::function<bool()>& done, int ms = 5000);

class RawClient {
public:
    RawClient() = default;
    ~RawClient();
    RawClient(RawClient&& other) noexcept;
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    // Connects, retrying until `timeout` while the engine is still starting.
    bool connect(const std::string& socketPath, Ms timeout = 5000ms);
    // Writes raw bytes; false once the peer has closed the connection.
    bool sendRaw(std::string_view bytes);
    bool sendFrame(std::string_view payload);
    bool send(const nlohmann::json& message) { return sendFrame(message.dump()); }

    enum class Read { Message, Closed, Timeout };
    // Reads one framed message (parsed as JSON) within `timeout`. A frame the framing refuses
    // reads as Closed.
    Read read(nlohmann::json& out, Ms timeout = 3000ms);
    // Reads messages until one without an "event" member (a reply) arrives.
    std::optional<nlohmann::json> reply(Ms timeout = 3000ms);
    void close();

private:
    int fd_ = -1;
    link::FrameDecoder decoder_;
};

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
    // Answers every received message with what `reply` returns (an empty answer sends nothing).
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

} // namespace qv::test
