#include "standin_support.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qv::test {

using Clock = std::chrono::steady_clock;

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
    // The child inherits the environment as it is at the spawn; the tests run on one thread.
    const ScopedEnv runtime("QUORVEL_RUNTIME_DIR", runtimeDir.c_str());
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
    const int rc = ::posix_spawn(&pid_, QV_ENGINE_PATH, &actions, nullptr, argv.data(), environ);
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

std::string engineSocket(const TempDir& dir) {
    return dir.file("QUORVEL.Engine");
}

std::string metersFile(const TempDir& dir) {
    return dir.file("QUORVEL.Meters");
}

} // namespace qv::test
