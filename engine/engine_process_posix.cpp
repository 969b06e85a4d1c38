// Finding and starting the engine executable on POSIX.

#include "engine/link_os.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qv::link::os {
namespace {

// Lexical clean-up: collapses "//", "." and "dir/.." like QDir::cleanPath, without resolving
// links, so the path shown and started is the one the user put there.
std::string cleanPath(const std::string& path) {
    const bool absolute = !path.empty() && path.front() == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i)
        out += (i ? "/" : "") + parts[i];
    return out.empty() ? "." : out;
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

const char* engineFileName() {
    return "quorvel-engine";
}

std::string findEngineExecutable(const std::string& interfaceDir) {
    for (const char* relative : {"/", "/../bin/"}) {
        const std::string candidate = interfaceDir + relative + engineFileName();
        if (isFile(candidate))
            return cleanPath(candidate);
    }
    return {};
}

int startEngineProcess(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
    // Everything the children need is prepared before fork(): after it, in a multithreaded
    // process, only async-signal-safe calls are allowed.
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return errno;

    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return error;
    }
    if (child == 0) {
        // Intermediate child: a new session, then the engine as a grandchild that init adopts,
        // so the interface never has to wait for it and never leaves a zombie.
        ::close(report[0]);
        ::setsid();
        const pid_t engine = ::fork();
        if (engine != 0) {
            if (engine < 0) {
                const int error = errno;
                (void)!::write(report[1], &error, sizeof error);
            }
            ::_exit(0);
        }
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0 && null != 0) {
            ::dup2(null, 0);
            ::close(null);
        }
        // Descriptors of the interface (sockets, files) must not leak into the engine.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        int error = 0;
        if (::chdir(folder.c_str()) != 0)
            error = errno;
        else
            ::execv(path.c_str(), argv);
        if (error == 0)
            error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The report pipe closes on a successful exec; otherwise it carries the error code.
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == ssize_t(sizeof error) ? error : 0;
}

} // namespace qv::link::os
