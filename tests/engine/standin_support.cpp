#include "standin_support.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qv::test {

using Clock = std::chrono::steady_clock;

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv-standin-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(path_, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

EngineProcess::~EngineProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (!stderrPath_.empty())
        ::unlink(stderrPath_.c_str());
}

bool EngineProcess::start(const std::string& runtimeDir, const std::vector<std::string>& args) {
    stderrPath_ = runtimeDir + ".stderr-" + std::to_string(::getpid()) + "-" +
                  std::to_string(Clock::now().time_since_epoch().count());
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (!std::string_view(*e).starts_with("QUORVEL_RUNTIME_DIR="))
            env.emplace_back(*e);
    }
    env.push_back("QUORVEL_RUNTIME_DIR=" + runtimeDir);
    std::vector<char*> envp;
    for (std::string& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    std::vector<std::string> argStrings = {QV_ENGINE_PATH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    const int rc =
        ::posix_spawn(&pid_, QV_ENGINE_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        pid_ = -1;
    return rc == 0;
}

std::optional<int> EngineProcess::waitExit(Ms timeout) {
    const auto deadline = Clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        const pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (Clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(5ms);
    }
    return std::nullopt;
}

void EngineProcess::signal(int signo) {
    if (pid_ > 0)
        ::kill(pid_, signo);
}

std::string EngineProcess::errorOutput() const {
    std::ifstream in(stderrPath_);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

RawClient::~RawClient() {
    close();
}

RawClient::RawClient(RawClient&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), buffer_(std::move(other.buffer_)) {}

bool RawClient::connect(const std::string& socketPath, Ms timeout) {
    close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
            return true;
        close();
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
}

bool RawClient::sendRaw(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool RawClient::sendFrame(std::string_view payload) {
    return sendRaw(frameHeader(static_cast<uint32_t>(payload.size()))) && sendRaw(payload);
}

bool RawClient::fill(size_t bytes, Clock::time_point deadline, bool& closed) {
    char chunk[65536];
    while (buffer_.size() < bytes) {
        const auto left = std::chrono::duration_cast<Ms>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) <= 0)
            continue;
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            closed = true;
            return false;
        }
        buffer_.append(chunk, static_cast<size_t>(n));
    }
    return true;
}

RawClient::Read RawClient::read(nlohmann::json& out, Ms timeout) {
    const auto deadline = Clock::now() + timeout;
    bool closed = false;
    if (!fill(4, deadline, closed))
        return closed ? Read::Closed : Read::Timeout;
    const auto* p = reinterpret_cast<const unsigned char*>(buffer_.data());
    const size_t n = p[0] | (p[1] << 8) | (p[2] << 16) | (size_t(p[3]) << 24);
    if (!fill(4 + n, deadline, closed))
        return closed ? Read::Closed : Read::Timeout;
    out = nlohmann::json::parse(buffer_.substr(4, n), nullptr, false);
    buffer_.erase(0, 4 + n);
    return Read::Message;
}

std::optional<nlohmann::json> RawClient::reply(Ms timeout) {
    const auto deadline = Clock::now() + timeout;
    nlohmann::json m;
    while (read(m, std::chrono::duration_cast<Ms>(deadline - Clock::now())) == Read::Message) {
        if (!m.contains("event"))
            return m;
    }
    return std::nullopt;
}

void RawClient::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    buffer_.clear();
}

std::string frameHeader(uint32_t length) {
    const char header[4] = {
        static_cast<char>(length & 0xFF), static_cast<char>((length >> 8) & 0xFF),
        static_cast<char>((length >> 16) & 0xFF), static_cast<char>((length >> 24) & 0xFF)};
    return std::string(header, 4);
}

std::string engineSocket(const TempDir& dir) {
    return dir.file("QUORVEL.Engine");
}

std::string metersFile(const TempDir& dir) {
    return dir.file("QUORVEL.Meters");
}

} // namespace qv::test
