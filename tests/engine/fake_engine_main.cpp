// A stand-in for the engine executable in launch tests: records how it was started (process id,
// session id, working folder) as one line of $QV_FAKE_ENGINE_LOG, then
// ends. It never opens the channel, so the interface keeps trying to start it.

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main() {
    const char* log = std::getenv("QV_FAKE_ENGINE_LOG");
    if (!log)
        return 1;
    char cwd[PATH_MAX] = {};
    if (!::getcwd(cwd, sizeof cwd))
        return 1;
    std::FILE* file = std::fopen(log, "a");
    if (!file)
        return 1;
    std::fprintf(file, "%d %d %s\n", int(::getpid()), int(::getsid(0)), cwd);
    std::fclose(file);
    return 0;
}
