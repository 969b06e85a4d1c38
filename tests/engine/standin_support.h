#pragma once
// Running the stand-in engine process in a private runtime folder, and a raw client that
// speaks the framed socket protocol byte by byte (so tests can also speak it wrongly).

#include <nlohmann/json.hpp>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace qv::test {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// A fresh 0700 folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

class EngineProcess {
public:
    EngineProcess() = default;
    ~EngineProcess(); // kills the process if it still runs
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Starts quorvel-engine with QUORVEL_RUNTIME_DIR = runtimeDir; stderr goes to a file.
    bool start(const std::string& runtimeDir, const std::vector<std::string>& args = {});
    // The exit code once the process ended within `timeout` (-1 for a signal), else nothing.
    std::optional<int> waitExit(Ms timeout);
    void signal(int signo);
    pid_t pid() const { return pid_; }
    std::string errorOutput() const;

private:
    pid_t pid_ = -1;
    std::string stderrPath_;
};

class RawClient {
public:
    RawClient() = default;
    ~RawClient();
    RawClient(RawClient&& other) noexcept;
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    // Connects, retrying until `timeout` while the engine is still starting.
    bool connect(const std::string& socketPath, Ms timeout = 5000ms);
    // Writes raw bytes; false once the engine has closed the connection.
    bool sendRaw(std::string_view bytes);
    bool sendFrame(std::string_view payload);
    bool send(const nlohmann::json& message) { return sendFrame(message.dump()); }

    enum class Read { Message, Closed, Timeout };
    // Reads one framed message (parsed as JSON) within `timeout`.
    Read read(nlohmann::json& out, Ms timeout = 3000ms);
    // Reads messages until one without an "event" member (a reply) arrives.
    std::optional<nlohmann::json> reply(Ms timeout = 3000ms);
    void close();
    int fd() const { return fd_; }

private:
    bool fill(size_t bytes, std::chrono::steady_clock::time_point deadline, bool& closed);

    int fd_ = -1;
    std::string buffer_;
};

std::string frameHeader(uint32_t length);
std::string engineSocket(const TempDir& dir);
std::string metersFile(const TempDir& dir);

} // namespace qv::test
