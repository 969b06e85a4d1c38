// quorvel-engine, the stand-in engine for POSIX systems: the demo engine served over the
// engine's channel (a framed Unix socket and a shared meters file in the runtime folder), so
// the interface's engine mode can run and be tested without the Windows engine.

#include "engine/demo_engine.h"
#include "engine/runtime_dir.h"
#include "tools/engine/config_file.h"
#include "tools/engine/engine_server.h"
#include "tools/engine/instance.h"
#include "tools/engine/meters_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

struct Options {
    bool windowsDefault = true;
    bool driverPresent = true;
    std::string configPath;
};

constexpr const char* kUsage = "usage: quorvel-engine [--demo-not-default] [--demo-no-driver] "
                               "[--config FILE]\n";

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--demo-not-default") {
            options.windowsDefault = false;
        } else if (arg == "--demo-no-driver") {
            options.driverPresent = false;
        } else if (arg == "--config" && i + 1 < argc && argv[i + 1][0] != '\0') {
            options.configPath = argv[++i];
        } else if (arg.starts_with("--config=") && arg.size() > 9) {
            options.configPath = std::string(arg.substr(9));
        } else {
            return false;
        }
    }
    return true;
}

std::string absolutePath(const std::string& path) {
    if (path.starts_with('/'))
        return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd))
        return path;
    return std::string(cwd) + "/" + path;
}

// Signals only write to a pipe that the event loop watches; everything else happens there.
int g_signalWriteFd = -1;

extern "C" void onSignal(int signo) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    [[maybe_unused]] const ssize_t n = ::write(g_signalWriteFd, &byte, 1);
    errno = savedErrno;
}

bool installSignals(int& readFd) {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    readFd = fds[0];
    g_signalWriteFd = fds[1];
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &sa, nullptr) != 0 || ::sigaction(SIGTERM, &sa, nullptr) != 0)
        return false;
    // A client that vanishes mid-write is an ordinary event, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

int fail(const std::string& text) {
    std::fprintf(stderr, "quorvel-engine: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace qv;
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    int signalFd = -1;
    if (!installSignals(signalFd))
        return fail(std::string("cannot install the signal handlers: ") + std::strerror(errno));

    const link::RuntimeDir dir = link::runtimeDir();
    if (!dir.ok())
        return fail(dir.error);

    standin::Instance instance;
    std::string error;
    if (instance.claim(dir.path, error) != standin::Instance::Claim::Ok)
        return fail(error);

    standin::MetersFile meters;
    if (!meters.create(dir.path + "/" + link::kMetersFileName, error))
        return fail(error);

    DemoEngine engine(options.windowsDefault, options.driverPresent);
    // A client may map the meters as soon as it is connected: the block must be valid by then.
    MeterBlock first;
    engine.fillMeters(first, 0);
    meters.publish(first);
    if (!options.configPath.empty()) {
        options.configPath = absolutePath(options.configPath);
        engine.setConfigPath(options.configPath);
        MixerConfig loaded;
        switch (standin::loadConfigFile(options.configPath, loaded, error)) {
        case standin::ConfigLoad::Loaded:
            engine.replaceConfig(std::move(loaded));
            break;
        case standin::ConfigLoad::MovedAside:
            std::fprintf(stderr, "quorvel-engine: %s; starting from the demo document\n",
                         error.c_str());
            break;
        case standin::ConfigLoad::Unreadable:
            // Serving the demo document would replace the user's file at the first save.
            meters.remove();
            instance.release();
            return fail(error + "; not starting, so that the file is not replaced");
        case standin::ConfigLoad::Missing:
            break;
        }
    }

    if (!instance.listen(error))
        return fail(error);

    standin::ServerSetup setup;
    setup.listenFd = instance.listenFd();
    setup.signalFd = signalFd;
    setup.configPath = options.configPath;
    setup.meters = &meters;
    const int code = standin::EngineServer(engine, std::move(setup)).run();

    meters.remove();
    instance.release();
    return code;
}
