#include "tests/engine/link_test_support.h"

#include "engine/framing.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qv::linktest {

bool waitUntil(const std::function<bool()>& done, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// ---- TempRuntimeDir ------------------------------------------------------------------------

TempRuntimeDir::TempRuntimeDir() {
    char pattern[] = "/tmp/qvlink-XXXXXX";
    if (const char* made = ::mkdtemp(pattern))
        path_ = made; // mkdtemp creates it with mode 0700
    if (const char* old = std::getenv("QUORVEL_RUNTIME_DIR")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    ::setenv("QUORVEL_RUNTIME_DIR", path_.c_str(), 1);
}

TempRuntimeDir::~TempRuntimeDir() {
    if (hadPrevious_)
        ::setenv("QUORVEL_RUNTIME_DIR", previous_.c_str(), 1);
    else
        ::unsetenv("QUORVEL_RUNTIME_DIR");
    if (!path_.empty())
        std::system(("rm -rf '" + path_ + "'").c_str());
}

// ---- FakeEngineServer ----------------------------------------------------------------------

FakeEngineServer::FakeEngineServer(std::string socketPath) : path_(std::move(socketPath)) {}

FakeEngineServer::~FakeEngineServer() {
    close();
}

bool FakeEngineServer::listen() {
    close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path_.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
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
    {
        std::lock_guard lock(mutex_);
        link::appendFrame(outgoing_, payload);
    }
    wake();
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
    std::lock_guard lock(mutex_);
    return received_.size();
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
                    if (reply_) {
                        const std::string answer = reply_(message);
                        if (!answer.empty())
                            link::appendFrame(outgoing_, answer);
                    }
                    received_.push_back(std::move(message));
                }
                if (result == link::FrameDecoder::Result::Error)
                    dropClientNow();
            }
        }
    }
    dropClientNow();
}

// ---- MeterWriter ---------------------------------------------------------------------------

MeterWriter::MeterWriter(const std::string& path, std::size_t size) : size_(size) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::size_t mapped = size < kMeterBlockSize ? kMeterBlockSize : size;
    if (::ftruncate(fd, off_t(size)) == 0) {
        void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED && size >= kMeterBlockSize)
            block_ = static_cast<MeterBlock*>(p);
        else if (p != MAP_FAILED)
            ::munmap(p, mapped);
    }
    ::close(fd);
}

MeterWriter::~MeterWriter() {
    if (block_)
        ::munmap(block_, size_);
}

void MeterWriter::publish(uint64_t frame, uint32_t count, float level) {
    uint32_t* sequence = &block_->sequence;
    const uint32_t start = __atomic_load_n(sequence, __ATOMIC_RELAXED) | 1u;
    __atomic_store_n(sequence, start, __ATOMIC_RELAXED); // odd: writing
#if defined(__SANITIZE_THREAD__)
    std::atomic_signal_fence(std::memory_order_seq_cst); // fences are not modelled by TSan
#else
    std::atomic_thread_fence(std::memory_order_release);
#endif
    block_->magic = kMeterMagic;
    block_->version = kMeterVersion;
    block_->capacity = kMeterSlots;
    block_->count = count;
    block_->frame = frame;
    for (int i = 0; i < kMeterSlots; ++i) {
        if (block_->entries[i].id[0] == 0)
            std::snprintf(block_->entries[i].id, kMeterIdBytes, "in:%d", i);
        block_->entries[i].left = level;
        block_->entries[i].right = level;
    }
    __atomic_store_n(sequence, start + 1, __ATOMIC_RELEASE); // even: consistent
}

} // namespace qv::linktest
