// What quorvel --demo costs while it just sits there on a desktop:
//   WindowShown/software   the main window on screen, the meters moving, QT_QUICK_BACKEND=software;
//   WindowShown/default    the same with no backend asked for: the program picks (on a machine
//                          whose OpenGL is a software rasteriser it picks the software scene
//                          graph, and says so on its log);
//   WindowShown/opengl     the reference for that choice: OpenGL forced (QSG_RHI_BACKEND=opengl);
//   WindowCovered          shown, then covered by another window over the whole screen;
//   WindowUnmapped         shown, then unmapped behind the program's back;
//   HiddenInTray           started with --autostart while a tray host runs: only the tray icon.
//   Reference/moving|ticks|still  not the program: a bare Qt Quick window with ten stereo meters
//                          driven like the program's (bare_quick.cpp), software scene graph.
//                          Its figures are the floor of Qt Quick on this machine: the meters
//                          moving at the program's drawing rate, the 16 ms timer alone, nothing.
//   Reference/widgets_mixer  not the program either: Debian's pavucontrol-qt, a Qt Widgets
//                          mixer, showing two playing streams of a private PulseAudio server
//                          (null sink) with their level meters moving. It is skipped when
//                          they are not installed (apt-get install pavucontrol-qt pulseaudio
//                          pulseaudio-utils: a bench-only reference, not part of setup.sh).
// CPU is the program's utime + stime from /proc/<pid>/stat over the measuring window, in percent
// of one core; memory is its resident set at the end. The figures are over 30 s;
// QV_BENCH_SECONDS=<n> measures n seconds instead, for a quick check. Because the absolute
// figures drift with whatever else the machine does, each run also reports its CPU as a multiple
// of runs of the same bench run: `vs_reference`, of the bare window's moving meters (run
// first), `vs_widgets`, of the Widgets mixer (run second), and `vs_software`, of the program's
// software run.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bin/bench_app_cpu
//   --benchmark_counters_tabular=true
// The tray host is Debian's trayer, started by the bench on the same display.

#include "bench/app_cpu/x11_probe.h"

#include "bench/process_support.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kProgram = QV_QUORVEL_PATH;
constexpr const char* kBareQuick = QV_BARE_QUICK_PATH;

int measureSeconds() {
    const char* value = std::getenv("QV_BENCH_SECONDS");
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : 30;
}

// A child process that is ended (SIGTERM, then waited for) when it goes out of scope.
class Child {
public:
    // argv[0] is looked up in PATH; standard error goes to `errFile` (or /dev/null).
    Child(const std::vector<std::string>& argv, const std::string& errFile,
          const std::vector<std::pair<std::string, std::string>>& env = {}) {
        m_pid = ::fork();
        if (m_pid != 0)
            return;
        const int err = ::open(errFile.empty() ? "/dev/null" : errFile.c_str(),
                               O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = ::open("/dev/null", O_RDWR);
        if (err >= 0)
            ::dup2(err, STDERR_FILENO);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
        }
        for (const auto& [name, value] : env) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ~Child() {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return m_pid; }
    bool running() const {
        int status = 0;
        return m_pid > 0 && ::waitpid(m_pid, &status, WNOHANG) == 0;
    }

private:
    pid_t m_pid = -1;
};

// utime + stime of a process, in clock ticks; -1 when it cannot be read.
long long cpuTicks(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)), {});
    // The command name may contain spaces: the fields after it start behind the last ')'.
    const auto paren = stat.rfind(')');
    if (paren == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(paren + 2));
    std::string field;
    // Fields 3..13 (state .. cmajflt), then utime (14) and stime (15).
    for (int i = 3; i <= 13 && fields >> field; ++i) {
    }
    long long utime = -1, stime = -1;
    fields >> utime >> stime;
    return utime < 0 || stime < 0 ? -1 : utime + stime;
}

bool fileContains(const std::string& path, const std::string& text) {
    std::ifstream file(path);
    const std::string content((std::istreambuf_iterator<char>(file)), {});
    return content.find(text) != std::string::npos;
}

template <typename Predicate> bool waitFor(Predicate done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

enum class After { Nothing, Cover, Unmap };

struct Scenario {
    bool inTray = false;
    const char* backend = "software"; // QT_QUICK_BACKEND; "" leaves it unset
    const char* rhi = "";             // QSG_RHI_BACKEND
    After after = After::Nothing;
    const char* reference = nullptr; // a mode of bench_bare_quick instead of the program
    bool widgetsMixer = false;       // pavucontrol-qt instead of the program
};

double g_softwareCpu = 0;  // WindowShown/software of this run, the base of vs_software
double g_referenceCpu = 0; // Reference/moving of this run, the base of vs_reference
double g_widgetsCpu = 0;   // Reference/widgets_mixer of this run, the base of vs_widgets

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(file);
}

// A stereo 16-bit WAV of `seconds` of noise whose loudness swells and falls like speech, so that
// a level meter keeps moving over its whole range.
std::string movingNoiseWav(int seconds) {
    constexpr uint32_t rate = 44100;
    const uint32_t frames = rate * uint32_t(seconds);
    const uint32_t dataBytes = frames * 4;
    std::string out;
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(char((v >> (8 * i)) & 0xFF));
    };
    out = "RIFF";
    put(36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(16, 4), put(1, 2), put(2, 2), put(rate, 4), put(rate * 4, 4), put(4, 2), put(16, 2);
    out += "data";
    put(dataBytes, 4);
    uint32_t seed = 12345;
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double envelope = 0.5 + 0.5 * std::sin(2 * 3.14159265 * 0.7 * t);
        for (int channel = 0; channel < 2; ++channel) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = double(int32_t(seed) >> 16) / 32768.0;
            put(uint32_t(uint16_t(int16_t(noise * envelope * 30000))), 2);
        }
    }
    return out;
}

// A private PulseAudio server with a null sink and two streams playing into it, for the
// Widgets mixer to show; ended with the object. `env` is what a client needs to reach it.
struct SoundServer {
    std::unique_ptr<Child> server;
    std::vector<std::unique_ptr<Child>> streams;
    std::vector<std::pair<std::string, std::string>> env;
    std::string error;

    explicit SoundServer(const std::string& root) {
        const std::string runtime = root + "/pulse-runtime";
        ::mkdir(runtime.c_str(), 0700);
        env = {{"XDG_RUNTIME_DIR", runtime},
               {"HOME", root},
               {"PULSE_SERVER", "unix:" + runtime + "/pulse/native"},
               {"DBUS_SESSION_BUS_ADDRESS", ""}};
        const std::string script = root + "/server.pa";
        const std::string sound = root + "/moving.wav";
        if (!writeFile(script, "load-module module-native-protocol-unix\n"
                               "load-module module-null-sink sink_name=bench\n"
                               "set-default-sink bench\n") ||
            !writeFile(sound, movingNoiseWav(measureSeconds() + 30))) {
            error = "could not write the sound server's files";
            return;
        }
        server = std::make_unique<Child>(std::vector<std::string>{"pulseaudio", "-n", "-F", script,
                                                                  "--daemonize=no",
                                                                  "--exit-idle-time=-1"},
                                         root + "/pulseaudio.log", env);
        const std::string socket = runtime + "/pulse/native";
        if (!waitFor([&] { return ::access(socket.c_str(), F_OK) == 0 || !server->running(); },
                     10s) ||
            !server->running()) {
            error = "pulseaudio did not start (is it installed?)";
            return;
        }
        for (int i = 0; i < 2; ++i)
            streams.push_back(std::make_unique<Child>(std::vector<std::string>{"paplay", sound},
                                                      root + "/paplay.log", env));
        std::this_thread::sleep_for(500ms);
        for (const auto& stream : streams) {
            if (!stream->running())
                error = "paplay did not play (is pulseaudio-utils installed?)";
        }
    }
};

void measure(benchmark::State& state, const Scenario& how) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) {
        state.SkipWithError("no DISPLAY: run under xvfb-run -a");
        return;
    }
    // One connection for the whole bench: Xvfb resets itself when its last client leaves, and
    // a connection attempted during that reset fails.
    static X11Probe x11;
    qv::bench::Scratch scratch("cpu");
    if (!x11.connected() || scratch.root.empty()) {
        state.SkipWithError("no X connection or no scratch folder");
        return;
    }

    std::unique_ptr<Child> tray;
    if (how.inTray) {
        tray = std::make_unique<Child>(std::vector<std::string>{"trayer", "--SetDockType", "true"},
                                       scratch.root + "/trayer.log");
        if (!waitFor([&] { return x11.trayHostPresent(); }, 10s)) {
            state.SkipWithError("trayer did not take the tray (is it installed?)");
            return;
        }
    }

    std::unique_ptr<SoundServer> sound;
    if (how.widgetsMixer) {
        sound = std::make_unique<SoundServer>(scratch.root);
        if (!sound->error.empty()) {
            state.SkipWithError(sound->error.c_str());
            return;
        }
    }

    const std::string log = scratch.root + "/quorvel.log";
    std::vector<std::string> argv{kProgram, "--demo"};
    if (how.reference)
        argv = {kBareQuick, how.reference};
    if (how.widgetsMixer)
        argv = {"pavucontrol-qt"};
    if (how.inTray)
        argv.push_back("--autostart");
    // No session bus: Qt would look for a StatusNotifier host there instead of the XEmbed tray.
    std::vector<std::pair<std::string, std::string>> env{
        {"QT_QPA_PLATFORM", "xcb"},
        {"QT_QUICK_BACKEND", how.backend},
        {"QSG_RHI_BACKEND", how.rhi},
        {"QT_LOGGING_RULES", "quorvel.startup.info=true"},
        {"QUORVEL_RUNTIME_DIR", scratch.root},
        {"XDG_CONFIG_HOME", scratch.root + "/config"},
        {"DBUS_SESSION_BUS_ADDRESS", ""}};
    if (sound)
        env.insert(env.end(), sound->env.begin(), sound->env.end());
    Child program(argv, log, env);

    // Shown: until the first frame (the Widgets mixer says nothing: until its window is on
    // screen). In the tray there is no frame to wait for; the same settling time below lets
    // start-up finish.
    const bool drawn =
        how.inTray ||
        (how.widgetsMixer ? waitFor([&] { return x11.viewableWindowsOf(program.pid()) > 0; }, 30s)
                          : waitFor([&] { return fileContains(log, "first frame"); }, 30s));
    if (!drawn) {
        state.SkipWithError(how.widgetsMixer ? "pavucontrol-qt did not show its window"
                                             : "quorvel --demo did not draw its window");
        return;
    }
    std::this_thread::sleep_for(3s);
    const int shown = x11.viewableWindowsOf(program.pid());
    if (how.inTray ? shown != 0 : shown == 0) {
        state.SkipWithError(how.inTray ? "the window is on screen, not hidden in the tray"
                                       : "the window is not on screen");
        return;
    }
    if (how.after == After::Unmap)
        x11.unmapWindowsOf(program.pid());
    if (how.after == After::Cover)
        x11.coverScreen(true);
    if (how.after != After::Nothing)
        std::this_thread::sleep_for(1s);

    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    double cpuPercent = 0;
    double rssKb = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const long long before = cpuTicks(program.pid());
        std::this_thread::sleep_for(std::chrono::seconds(measureSeconds()));
        const long long after = cpuTicks(program.pid());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (before < 0 || after < 0 || !program.running()) {
            state.SkipWithError("quorvel ended while being measured");
            break;
        }
        state.SetIterationTime(seconds);
        cpuPercent = 100.0 * double(after - before) / double(ticksPerSecond) / seconds;
        rssKb = double(qv::bench::residentKb(program.pid()));
    }
    x11.coverScreen(false);
    if (!how.inTray && !how.reference && !how.widgetsMixer && how.after == After::Nothing &&
        std::string(how.backend) == "software")
        g_softwareCpu = cpuPercent;
    state.counters["cpu_pct"] = cpuPercent;
    state.counters["rss_MiB"] = rssKb / 1024.0;
    state.counters["windows_shown"] = shown;
    if (how.reference && std::string(how.reference) == "moving")
        g_referenceCpu = cpuPercent;
    if (how.widgetsMixer)
        g_widgetsCpu = cpuPercent;
    if (g_widgetsCpu > 0)
        state.counters["vs_widgets"] = cpuPercent / g_widgetsCpu;
    if (g_softwareCpu > 0)
        state.counters["vs_software"] = cpuPercent / g_softwareCpu;
    if (g_referenceCpu > 0)
        state.counters["vs_reference"] = cpuPercent / g_referenceCpu;
    state.SetLabel(fileContains(log, "scene graph: software (") ? "software scene graph chosen"
                                                                : "");
}

void BM_WindowShown_software(benchmark::State& state) {
    measure(state, {});
}
void BM_WindowShown_default(benchmark::State& state) {
    measure(state, {false, "", "", After::Nothing});
}
void BM_WindowShown_opengl(benchmark::State& state) {
    measure(state, {false, "", "opengl", After::Nothing});
}
void BM_WindowCovered(benchmark::State& state) {
    measure(state, {false, "software", "", After::Cover});
}
void BM_WindowUnmapped(benchmark::State& state) {
    measure(state, {false, "software", "", After::Unmap});
}
void BM_HiddenInTray(benchmark::State& state) {
    measure(state, {true, "software", "", After::Nothing});
}
void BM_Reference_moving(benchmark::State& state) {
    measure(state, {false, "software", "", After::Nothing, "moving"});
}
void BM_Reference_widgets_mixer(benchmark::State& state) {
    Scenario how;
    how.widgetsMixer = true;
    measure(state, how);
}
void BM_Reference_ticks(benchmark::State& state) {
    measure(state, {false, "software", "", After::Nothing, "ticks"});
}
void BM_Reference_still(benchmark::State& state) {
    measure(state, {false, "software", "", After::Nothing, "still"});
}

// The bases of the ratios first.
BENCHMARK(BM_Reference_moving)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Reference_widgets_mixer)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_WindowShown_software)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_WindowShown_default)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_WindowShown_opengl)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_WindowCovered)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_WindowUnmapped)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_HiddenInTray)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Reference_ticks)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Reference_still)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
