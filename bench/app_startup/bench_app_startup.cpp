// Start-up of quorvel --demo on the offscreen platform, as a user would see it: from starting
// the process until the main window has been drawn the first time (the program reports that
// moment on its log when asked), plus the resident memory at that moment. Each repetition is a
// fresh process; the median over ten is the figure to watch. The program's own milestones (see
// app/startup.cpp: scene graph chosen, fonts, native objects, main window loaded) are reported
// as counters in milliseconds since the interface began, the profile of where the time goes.
//   bench_app_startup --benchmark_counters_tabular=true
// The platform is offscreen unless QV_BENCH_PLATFORM names another one; for an X server:
//   xvfb-run -a env QV_BENCH_PLATFORM=xcb bench_app_startup

#include "bench/process_support.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr const char* kProgram = QV_QUORVEL_PATH;
constexpr int kTimeoutMs = 30000;

struct Run {
    double seconds = 0;
    long rssKb = -1;
    bool ok = false;
    std::string log;
};

// "<what> at <n> ms" lines of the start-up log.
std::vector<std::pair<std::string, double>> milestones(const std::string& log) {
    std::vector<std::pair<std::string, double>> out;
    size_t at = 0;
    while ((at = log.find(" at ", at)) != std::string::npos) {
        const size_t lineStart = log.rfind('\n', at);
        const size_t nameStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        char* end = nullptr;
        const double ms = std::strtod(log.c_str() + at + 4, &end);
        if (end && std::strncmp(end, " ms", 3) == 0) {
            std::string name = log.substr(nameStart, at - nameStart);
            const size_t colon = name.rfind(": ");
            if (colon != std::string::npos)
                name = name.substr(colon + 2);
            std::replace(name.begin(), name.end(), ' ', '_');
            out.emplace_back(name, ms);
        }
        at += 4;
    }
    return out;
}

Run startOnce(const qv::bench::Scratch& scratch) {
    Run run;
    int fds[2];
    if (::pipe(fds) != 0)
        return run;
    const std::string runtime = scratch.root;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        const char* platform = std::getenv("QV_BENCH_PLATFORM");
        ::setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
        ::setenv("QT_QUICK_BACKEND", "software", 1);
        ::setenv("QT_LOGGING_RULES", "quorvel.startup.info=true", 1);
        ::setenv("QUORVEL_RUNTIME_DIR", runtime.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (runtime + "/config").c_str(), 1);
        ::execl(kProgram, kProgram, "--demo", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
        ::close(fds[0]);
        return run;
    }

    std::string log;
    char buffer[4096];
    pollfd p{fds[0], POLLIN, 0};
    while (log.find("first frame") == std::string::npos) {
        const auto waited = std::chrono::steady_clock::now() - start;
        const int left =
            kTimeoutMs - int(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count());
        if (left <= 0 || ::poll(&p, 1, left) <= 0)
            break;
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        log.append(buffer, size_t(n));
    }
    const auto end = std::chrono::steady_clock::now();
    run.ok = log.find("first frame") != std::string::npos;
    run.seconds = std::chrono::duration<double>(end - start).count();
    run.rssKb = qv::bench::residentKb(pid);
    run.log = log;

    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(fds[0]);
    return run;
}

void BM_StartToFirstFrame(benchmark::State& state) {
    qv::bench::Scratch scratch("startup");
    if (scratch.root.empty()) {
        state.SkipWithError("no scratch folder");
        return;
    }
    double rssKb = 0;
    for (auto _ : state) {
        const Run run = startOnce(scratch);
        if (!run.ok) {
            state.SkipWithError("quorvel --demo did not draw its window");
            break;
        }
        state.SetIterationTime(run.seconds);
        rssKb = double(run.rssKb);
        for (const auto& [name, ms] : milestones(run.log))
            state.counters[name + "_ms"] = ms;
    }
    state.counters["rss_MiB"] = rssKb / 1024.0;
}

BENCHMARK(BM_StartToFirstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

} // namespace
