#pragma once
// Helpers of the benchmarks that run the program as a process: a private scratch folder and
// the resident memory of a process (Linux /proc).

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace qv::bench {

// A private folder under /tmp for the program's runtime files and settings, removed at the end.
struct Scratch {
    std::string root;
    explicit Scratch(const std::string& name) {
        std::string pattern = "/tmp/qv-bench-" + name + "-XXXXXX";
        if (const char* dir = ::mkdtemp(pattern.data()))
            root = dir;
    }
    ~Scratch() {
        if (!root.empty())
            std::system(("rm -rf '" + root + "'").c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

// VmRSS of the process in KiB, or -1.
inline long residentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

} // namespace qv::bench
