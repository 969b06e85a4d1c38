#pragma once
// Claiming the engine's place in the runtime folder: one engine per folder, the socket that
// clients connect to, and the clean-up of what a crashed engine left behind.

#include <string>

namespace qv::standin {

class Instance {
public:
    Instance() = default;
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    enum class Claim { Ok, AlreadyRunning, Failed };

    // Takes the folder's engine lock and checks that no engine answers on the socket
    // (removing a stale socket file). `error` describes anything but Ok.
    Claim claim(const std::string& folder, std::string& error);
    // Listens on the socket; called once everything a client may look at is in place.
    bool listen(std::string& error);

    int listenFd() const { return listenFd_; }
    const std::string& socketPath() const { return socketPath_; }

    // Stops listening and removes the socket and the lock file.
    void release();

private:
    Claim takeLock(std::string& error);
    Claim clearSocketPath(std::string& error);

    std::string socketPath_;
    std::string lockPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
};

} // namespace qv::standin
