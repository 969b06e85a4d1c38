#include "tests/support/framed_peer.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qv::test {
namespace {

using Clock = std::chrono::steady_clock;

bool unixAddress(const std::string& path, sockaddr_un& address) {
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

bool waitUntil(const std::function<bool()>& done, int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

RawClient::~RawClient() {
    close();
}

RawClient::RawClient(RawClient&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), decoder_(std::move(other.decoder_)) {}

bool RawClient::connect(const std::string& socketPath, Ms timeout) {
    close();
    sockaddr_un address{};
    if (!unixAddress(socketPath, address))
        return false;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
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
    const std::string frame = link::encodeFrame(payload);
    return !frame.empty() && sendRaw(frame);
}

RawClient::Read RawClient::read(nlohmann::json& out, Ms timeout) {
    const auto deadline = Clock::now() + timeout;
    std::string message;
    char chunk[65536];
    for (;;) {
        const auto result = decoder_.next(message);
        if (result == link::FrameDecoder::Result::Message) {
            out = nlohmann::json::parse(message, nullptr, false);
            return Read::Message;
        }
        if (result == link::FrameDecoder::Result::Error)
            return Read::Closed;
        const auto left = std::chrono::duration_cast<Ms>(deadline - Clock::now()).count();
        if (left <= 0)
            return Read::Timeout;
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) <= 0)
            continue;
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Read::Closed;
        decoder_.push(chunk, static_cast<size_t>(n));
    }
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
    decoder_.reset();
}

FakeEngineServer::FakeEngineServer(std::string socketPath) : path_(std::move(socketPath)) {}

FakeEngineServer::~FakeEngineServer() {
    close();
}

bool FakeEngineServer::listen() {
    close();
    sockaddr_un address{};
    if (!unixAddress(path_, address))
        return false;
    ::unlink(path_.c_str());
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 8) != 0) {
        close();
        return false;
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    stop_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void FakeEngineServer::close() {
    // The name goes first, so that nobody connects to a listener that is about to close.
    if (listenFd_ >= 0)
        ::unlink(path_.c_str());
    stop_ = true;
    wake();
    if (thread_.joinable())
        thread_.join();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    std::lock_guard lock(mutex_);
    outgoing_.clear();
    dropRequested_ = false;
}

void FakeEngineServer::wake() {
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
    }
}

void FakeEngineServer::dropClient() {
    {
        std::lock_guard lock(mutex_);
        dropRequested_ = true;
    }
    wake();
}

void FakeEngineServer::sendFrame(std::string_view payload) {
    sendRaw(link::encodeFrame(payload));
}

void FakeEngineServer::sendRaw(std::string_view bytes) {
    {
        std::lock_guard lock(mutex_);
        outgoing_.append(bytes);
    }
    wake();
}

void FakeEngineServer::setReading(bool on) {
    {
        std::lock_guard lock(mutex_);
        reading_ = on;
    }
    wake();
}

void FakeEngineServer::setReply(std::function<std::string(const std::string&)> reply) {
    std::lock_guard lock(mutex_);
    reply_ = std::move(reply);
}

std::vector<std::string> FakeEngineServer::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::size_t FakeEngineServer::receivedCount() const {
    return received().size();
}

void FakeEngineServer::run() {
    int client = -1;
    link::FrameDecoder decoder;
    auto dropClientNow = [&] {
        if (client >= 0)
            ::close(client);
        client = -1;
        hasClient_ = false;
        decoder.reset();
    };
    std::vector<char> buffer(65536);
    while (!stop_) {
        bool reading, wantWrite, drop;
        {
            std::lock_guard lock(mutex_);
            reading = reading_;
            wantWrite = !outgoing_.empty();
            drop = dropRequested_ && outgoing_.empty();
            if (drop || client < 0)
                dropRequested_ = false;
        }
        if (drop) {
            dropClientNow();
            continue;
        }
        pollfd fds[3] = {{wakeFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}, {client, 0, 0}};
        fds[2].events = short((reading ? POLLIN : 0) | (wantWrite ? POLLOUT : 0));
        if (::poll(fds, client >= 0 ? 3 : 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            uint64_t value;
            (void)!::read(wakeFd_, &value, sizeof value);
        }
        if (fds[1].revents & POLLIN) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                dropClientNow(); // a new connection replaces the old one
                client = fd;
                {
                    // Queued bytes and a pending drop were meant for the previous connection.
                    std::lock_guard lock(mutex_);
                    outgoing_.clear();
                    dropRequested_ = false;
                }
                hasClient_ = true;
                ++accepted_;
            }
            continue;
        }
        if (client < 0)
            continue;
        if (fds[2].revents & POLLOUT) {
            std::lock_guard lock(mutex_);
            const ssize_t sent =
                ::send(client, outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0)
                outgoing_.erase(0, std::size_t(sent));
        }
        if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t got = ::recv(client, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                dropClientNow();
                continue;
            }
            if (got > 0) {
                decoder.push(buffer.data(), std::size_t(got));
                std::string message;
                link::FrameDecoder::Result result;
                while ((result = decoder.next(message)) == link::FrameDecoder::Result::Message) {
                    std::lock_guard lock(mutex_);
                    if (reply_)
                        outgoing_ += link::encodeFrame(reply_(message));
                    received_.push_back(std::move(message));
                }
                if (result == link::FrameDecoder::Result::Error)
                    dropClientNow();
            }
        }
    }
    dropClientNow();
}

} // namespace qv::test
