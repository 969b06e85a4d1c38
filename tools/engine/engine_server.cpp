#include "tools/engine/engine_server.h"

#include "tools/engine/config_file.h"
#include "tools/engine/request_handler.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qv::standin {

using nlohmann::json;

namespace {

constexpr auto kMetersPeriod = std::chrono::nanoseconds(1'000'000'000 / 60);
constexpr auto kStatePeriod = std::chrono::milliseconds(1000);
constexpr auto kExitFlushLimit = std::chrono::milliseconds(2000);
// Input taken from one client per pass, so that a fast sender cannot starve the timers.
constexpr size_t kReadPerPass = 4u * 1024u * 1024u;

void warn(const std::string& text) {
    std::fprintf(stderr, "quorvel-engine: %s\n", text.c_str());
}

} // namespace

EngineServer::EngineServer(DemoEngine& engine, ServerSetup setup)
    : engine_(engine), setup_(std::move(setup)) {}

EngineServer::~EngineServer() {
    closeClient();
}

int64_t EngineServer::clockMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
}

int EngineServer::run() {
    start_ = Clock::now();
    nextMeters_ = start_;
    nextState_ = start_ + kStatePeriod;
    savedRevision_ = engine_.configRevision();

    for (;;) {
        runTimers();

        pollfd fds[3] = {};
        nfds_t n = 0;
        fds[n++] = {setup_.signalFd, POLLIN, 0};
        // The socket is watched while a client is served too: a second client is taken at once
        // instead of waiting, unserved, in the backlog.
        const nfds_t listenIndex = n;
        fds[n++] = {setup_.listenFd, POLLIN, 0};
        const nfds_t clientIndex = n;
        if (clientFd_ >= 0) {
            const short wanted = out_.size() > outPos_ ? POLLIN | POLLOUT : POLLIN;
            fds[n++] = {clientFd_, wanted, 0};
        }

        if (::poll(fds, n, pollTimeoutMs()) < 0) {
            if (errno == EINTR)
                continue;
            warn(std::string("poll failed: ") + std::strerror(errno));
            return 1;
        }
        if (fds[0].revents)
            return 0; // asked to end; the caller removes the files
        const int polledClient = clientFd_;
        if (fds[listenIndex].revents)
            acceptClient();
        if (clientIndex < n && clientFd_ == polledClient && fds[clientIndex].revents) {
            if (fds[clientIndex].revents & POLLOUT)
                flush();
            if (clientFd_ >= 0 && (fds[clientIndex].revents & (POLLIN | POLLHUP | POLLERR)))
                readClient();
        }
        if (stopping_) {
            flushBeforeExit();
            return 0;
        }
    }
}

int EngineServer::pollTimeoutMs() const {
    const auto next = std::min(nextMeters_, nextState_);
    const auto wait = next - Clock::now();
    if (wait <= Clock::duration::zero())
        return 0;
    // Rounded up, so the loop does not spin just before a deadline.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

void EngineServer::runTimers() {
    const auto now = Clock::now();
    if (now >= nextMeters_) {
        MeterBlock block;
        engine_.fillMeters(block, clockMs());
        if (setup_.meters)
            setup_.meters->publish(block);
        nextMeters_ += kMetersPeriod;
        if (nextMeters_ <= now) // fell behind: skip the missed frames instead of bursting
            nextMeters_ = now + kMetersPeriod;
    }
    if (now >= nextState_) {
        if (clientFd_ >= 0) {
            for (const std::string& m : engine_.tick(clockMs())) {
                if (!queue(m))
                    break;
            }
            flush();
        }
        nextState_ += kStatePeriod;
        if (nextState_ <= now)
            nextState_ = now + kStatePeriod;
    }
}

void EngineServer::acceptClient() {
    const int fd = ::accept4(setup_.listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return; // the client gave up already, or a transient error: poll again
    if (clientFd_ >= 0) {
        // One client at a time. The newest is served: the interface is a single instance, so
        // an older connection is one it has given up on (or a client that stopped reading).
        warn("a new client replaces the one being served");
        closeClient();
    }
    clientFd_ = fd;
    decoder_.reset();
    out_.clear();
    outPos_ = 0;
}

void EngineServer::readClient() {
    char buf[65536];
    size_t taken = 0;
    bool ended = false;
    while (clientFd_ >= 0 && !stopping_ && taken < kReadPerPass) {
        const ssize_t got = ::recv(clientFd_, buf, sizeof buf, 0);
        if (got == 0) {
            ended = true;
            break;
        }
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                closeClient();
            break;
        }
        taken += static_cast<size_t>(got);
        decoder_.push(buf, static_cast<size_t>(got));
        std::string text;
        for (;;) {
            const auto r = decoder_.next(text);
            if (r == link::FrameDecoder::Result::NeedMore)
                break;
            if (r == link::FrameDecoder::Result::Error) {
                warn("bad frame length from the client; closing its connection");
                closeClient();
                return;
            }
            handleMessage(text);
            if (clientFd_ < 0 || stopping_)
                return;
        }
    }
    flush();
    if (ended && clientFd_ >= 0) {
        if (decoder_.hasPartial())
            warn("the client closed the connection in the middle of a frame");
        closeClient();
    }
}

void EngineServer::handleMessage(const std::string& text) {
    const Answer answer = answerRequest(engine_, text, clockMs());
    for (const std::string& w : answer.warnings)
        warn(w);
    for (const std::string& payload : answer.payloads) {
        if (!queue(payload))
            break;
    }
    saveConfigIfChanged();
    if (answer.stop)
        stopping_ = true;
}

bool EngineServer::queue(const std::string& payload) {
    if (clientFd_ < 0)
        return false;
    const size_t pending = out_.size() - outPos_;
    if (pending > 0 && pending + link::kFrameHeaderBytes + payload.size() > kMaxPendingBytes) {
        warn("the client does not read its messages; dropping it");
        closeClient();
        return false;
    }
    if (!link::appendFrame(out_, payload))
        warn("a message too large to send was dropped");
    return true;
}

void EngineServer::flush() {
    while (clientFd_ >= 0 && outPos_ < out_.size()) {
        const ssize_t sent = ::send(clientFd_, out_.data() + outPos_, out_.size() - outPos_,
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                closeClient();
            break;
        }
        outPos_ += static_cast<size_t>(sent);
    }
    if (outPos_ == out_.size()) {
        out_.clear();
        outPos_ = 0;
    } else if (outPos_ > out_.size() / 2) {
        out_.erase(0, outPos_);
        outPos_ = 0;
    }
}

// The last reply ("quit", "shutdown") should reach the client, but a client that stopped
// reading must not keep the engine from ending.
void EngineServer::flushBeforeExit() {
    const auto deadline = Clock::now() + kExitFlushLimit;
    flush();
    while (clientFd_ >= 0 && outPos_ < out_.size()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd pfd = {clientFd_, POLLOUT, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            break;
        flush();
    }
    closeClient();
}

void EngineServer::closeClient() {
    if (clientFd_ < 0)
        return;
    ::close(clientFd_);
    clientFd_ = -1;
    decoder_.reset();
    out_.clear();
    out_.shrink_to_fit();
    outPos_ = 0;
    engine_.endSession();
}

void EngineServer::saveConfigIfChanged() {
    if (setup_.configPath.empty() || engine_.configRevision() == savedRevision_)
        return;
    savedRevision_ = engine_.configRevision();
    std::string error;
    if (!writeFileAtomically(setup_.configPath, serializeConfig(engine_.config()), error))
        warn(error);
}

} // namespace qv::standin
