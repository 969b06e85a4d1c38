#pragma once
// Running the stand-in engine process in a private runtime folder.

#include "tests/support/framed_peer.h"
#include "tests/support/temp_dir.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qv::test {

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
    std::string errorOutput() const;

private:
    pid_t pid_ = -1;
    std::string stderrPath_;
};

std::string engineSocket(const TempDir& dir);
std::string metersFile(const TempDir& dir);

} // namespace qv::test
