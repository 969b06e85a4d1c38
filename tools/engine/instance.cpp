#include "tools/engine/instance.h"

#include "engine/runtime_dir.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qv::standin {

namespace {

constexpr int kBacklog = 16;

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool socketAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

Instance::~Instance() {
    release();
}

Instance::Claim Instance::claim(const std::string& folder, std::string& error) {
    socketPath_ = folder + "/" + link::kEngineSocketName;
    lockPath_ = socketPath_ + ".lock";
    sockaddr_un addr;
    if (!socketAddress(socketPath_, addr)) {
        error = "the socket path is too long: " + socketPath_;
        return Claim::Failed;
    }
    if (Claim c = takeLock(error); c != Claim::Ok)
        return c;
    return clearSocketPath(error);
}

bool Instance::listen(std::string& error) {
    sockaddr_un addr;
    socketAddress(socketPath_, addr);
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = systemError("cannot create the socket");
        return false;
    }
    // Only the user may connect, whatever the umask.
    const mode_t oldMask = ::umask(0177);
    const int bound = ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::umask(oldMask);
    if (bound != 0 || ::listen(listenFd_, kBacklog) != 0) {
        error = systemError("cannot listen on " + socketPath_);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    return true;
}

// Two engines started at the same moment could otherwise both find the socket path free, and
// the second would delete the first one's fresh socket.
Instance::Claim Instance::takeLock(std::string& error) {
    for (;;) {
        lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (lockFd_ < 0) {
            error = systemError("cannot open " + lockPath_);
            return Claim::Failed;
        }
        if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            error = busy ? "another engine is already running in this folder (" + lockPath_ + ")"
                         : systemError("cannot lock " + lockPath_);
            ::close(lockFd_);
            lockFd_ = -1;
            return busy ? Claim::AlreadyRunning : Claim::Failed;
        }
        // The previous holder removes the file when it ends; a lock on a file that is no
        // longer at the path guards nothing, so try again on the new one.
        struct stat held {
        }, current{};
        if (::fstat(lockFd_, &held) == 0 && ::stat(lockPath_.c_str(), &current) == 0 &&
            held.st_dev == current.st_dev && held.st_ino == current.st_ino)
            return Claim::Ok;
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

// Engines that do not use the lock (other builds) still answer on the socket: probe it.
Instance::Claim Instance::clearSocketPath(std::string& error) {
    struct stat st {};
    if (::lstat(socketPath_.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return Claim::Ok;
        error = systemError("cannot examine " + socketPath_);
        return Claim::Failed;
    }
    if (!S_ISSOCK(st.st_mode)) {
        error = socketPath_ + " exists and is not a socket; not touching it";
        return Claim::Failed;
    }
    sockaddr_un addr;
    socketAddress(socketPath_, addr);
    // Non-blocking, so that an engine busy with another client (full backlog) counts as live
    // instead of holding this start-up until it accepts.
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        error = systemError("cannot create a socket");
        return Claim::Failed;
    }
    const int rc = ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    const int err = errno;
    ::close(probe);
    if (rc == 0 || err == EAGAIN || err == EINPROGRESS) {
        error = "another engine already answers on " + socketPath_;
        return Claim::AlreadyRunning;
    }
    if (err != ECONNREFUSED && err != ENOENT) {
        errno = err;
        error = systemError("cannot probe " + socketPath_);
        return Claim::Failed;
    }
    if (::unlink(socketPath_.c_str()) != 0 && errno != ENOENT) {
        error = systemError("cannot remove the stale socket " + socketPath_);
        return Claim::Failed;
    }
    return Claim::Ok;
}

void Instance::release() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) {
        // Removed while still held, so a starting engine never locks the old file unnoticed.
        ::unlink(lockPath_.c_str());
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

} // namespace qv::standin
