// Wake-up events and the engine channel on POSIX: a Unix domain stream socket in the runtime
// folder, carrying length-prefixed frames; eventfds wake the I/O thread's poll().

#include "engine/link_os.h"
#include "engine/runtime_dir.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

namespace qv::link::os {

// ---- Wakeup --------------------------------------------------------------------------------

struct Wakeup::Impl {
    int stopFd = -1;  // becomes readable for good when stop is signalled
    int writeFd = -1; // readable while a write request is pending; drained by Channel::wait
    std::atomic<bool> stop{false};
};

namespace {

void bump(int fd) {
    const uint64_t one = 1;
    // The counter cannot overflow in practice; EAGAIN would only mean "already signalled".
    while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void drain(int fd) {
    uint64_t value = 0;
    while (::read(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

// poll() that survives signals; `timeoutMs` < 0 waits for ever.
int pollFor(pollfd* fds, nfds_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int wait = timeoutMs;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? int(left) : 0;
        }
        const int rc = ::poll(fds, count, wait);
        if (rc >= 0 || errno != EINTR)
            return rc;
    }
}

} // namespace

Wakeup::Wakeup() : d_(std::make_unique<Impl>()) {
    d_->stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    d_->writeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

Wakeup::~Wakeup() {
    if (d_->stopFd >= 0)
        ::close(d_->stopFd);
    if (d_->writeFd >= 0)
        ::close(d_->writeFd);
}

bool Wakeup::valid() const {
    return d_->stopFd >= 0 && d_->writeFd >= 0;
}

void Wakeup::signalStop() {
    d_->stop.store(true);
    if (d_->stopFd >= 0)
        bump(d_->stopFd);
}

void Wakeup::signalWrite() {
    if (d_->writeFd >= 0)
        bump(d_->writeFd);
}

bool Wakeup::stopped() const {
    return d_->stop.load();
}

bool Wakeup::waitStop(int ms) {
    if (stopped() || d_->stopFd < 0)
        return stopped();
    pollfd fd{d_->stopFd, POLLIN, 0};
    pollFor(&fd, 1, ms);
    return stopped();
}

// ---- Channel -------------------------------------------------------------------------------

struct Channel::Impl {
    int fd = -1;
    FrameDecoder decoder;
    std::string message; // reused for every delivered message
};

Channel::Channel() : d_(std::make_unique<Impl>()) {}

Channel::~Channel() {
    close();
}

OpenResult Channel::open(std::string& refusal) {
    close();
    const RuntimeDir dir = runtimeDir();
    if (!dir.ok()) {
        refusal = dir.error;
        return OpenResult::Failed;
    }
    const std::string path = dir.path + "/" + kEngineSocketName;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        refusal = "Путь к каналу движка слишком длинный: «" + path + "»";
        return OpenResult::Failed;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return OpenResult::Failed;
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        // A full listen backlog is the nearest thing to "all pipe instances busy"; a missing
        // socket or nobody listening means the engine is not running.
        const bool busy = errno == EAGAIN;
        ::close(fd);
        return busy ? OpenResult::Busy : OpenResult::Failed;
    }
    // The folder is private already; checking the peer as well costs one call and keeps a
    // socket left behind by another account (after a permissions mistake) from being trusted.
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != geteuid()) {
        ::close(fd);
        return OpenResult::Failed;
    }
    d_->fd = fd;
    d_->decoder.reset();
    return OpenResult::Opened;
}

void Channel::waitBusy(Wakeup& wake, int ms) {
    wake.waitStop(ms);
}

bool Channel::startReading() {
    return d_->fd >= 0;
}

WriteResult Channel::write(const std::string& message, Wakeup& wake) {
    if (d_->fd < 0 || message.empty() || message.size() > kMaxMessageBytes)
        return WriteResult::Failed;
    const auto n = static_cast<uint32_t>(message.size());
    unsigned char header[kFrameHeaderBytes] = {
        static_cast<unsigned char>(n & 0xFF), static_cast<unsigned char>((n >> 8) & 0xFF),
        static_cast<unsigned char>((n >> 16) & 0xFF), static_cast<unsigned char>((n >> 24) & 0xFF)};
    const std::size_t total = kFrameHeaderBytes + message.size();
    std::size_t done = 0;
    while (done < total) {
        iovec parts[2];
        int count = 0;
        if (done < kFrameHeaderBytes)
            parts[count++] = {header + done, kFrameHeaderBytes - done};
        const std::size_t bodyDone = done > kFrameHeaderBytes ? done - kFrameHeaderBytes : 0;
        parts[count++] = {const_cast<char*>(message.data()) + bodyDone, message.size() - bodyDone};
        msghdr header_msg{};
        header_msg.msg_iov = parts;
        header_msg.msg_iovlen = count;
        const ssize_t sent = ::sendmsg(d_->fd, &header_msg, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            done += std::size_t(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The peer's buffer is full: wait for room, but never past a stop request.
            pollfd fds[2] = {{wake.impl().stopFd, POLLIN, 0}, {d_->fd, POLLOUT, 0}};
            if (pollFor(fds, 2, -1) < 0)
                return WriteResult::Failed;
            if (wake.stopped())
                return WriteResult::Stopped;
            continue; // POLLOUT, or POLLERR/POLLHUP which the next sendmsg reports
        }
        return WriteResult::Failed;
    }
    return WriteResult::Done;
}

WaitResult Channel::wait(Wakeup& wake) {
    if (d_->fd < 0)
        return WaitResult::Failed;
    pollfd fds[3] = {
        {wake.impl().stopFd, POLLIN, 0}, {d_->fd, POLLIN, 0}, {wake.impl().writeFd, POLLIN, 0}};
    for (;;) {
        if (pollFor(fds, 3, -1) < 0)
            return WaitResult::Failed;
        if (wake.stopped())
            return WaitResult::Stop;
        if (fds[1].revents != 0)
            return WaitResult::Read; // data, end of stream or an error: read() tells which
        if (fds[2].revents & POLLIN) {
            drain(wake.impl().writeFd);
            return WaitResult::Write;
        }
        if (fds[0].revents != 0 || fds[2].revents != 0)
            return WaitResult::Failed; // an error on a wake-up descriptor
    }
}

bool Channel::read(const std::function<void(std::string&&)>& deliver) {
    if (d_->fd < 0)
        return false;
    char buffer[65536];
    // Bounded per call so that a peer flooding the socket cannot starve the writes.
    for (int chunk = 0; chunk < 16; ++chunk) {
        const ssize_t got = ::recv(d_->fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0)
            return false; // the engine closed the connection
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        d_->decoder.push(buffer, std::size_t(got));
        for (;;) {
            const auto result = d_->decoder.next(d_->message);
            if (result == FrameDecoder::Result::NeedMore)
                break;
            if (result == FrameDecoder::Result::Error)
                return false;
            deliver(std::move(d_->message));
        }
    }
    return true;
}

void Channel::close() {
    if (d_->fd >= 0) {
        ::close(d_->fd);
        d_->fd = -1;
    }
    d_->decoder.reset();
}

} // namespace qv::link::os
