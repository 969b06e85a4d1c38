#include "tools/engine/config_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qv::standin {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool readAll(int fd, std::string& out) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        out.append(buf, static_cast<size_t>(n));
    }
}

} // namespace

ConfigLoad loadConfigFile(const std::string& path, MixerConfig& config, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ConfigLoad::Missing;
        error = systemError("cannot open " + path);
        return ConfigLoad::Unreadable;
    }
    std::string text;
    const bool read = readAll(fd, text);
    if (!read)
        error = systemError("cannot read " + path);
    ::close(fd);
    if (!read)
        return ConfigLoad::Unreadable;

    std::string parseError;
    if (parseConfig(text, config, parseError))
        return ConfigLoad::Loaded;
    const std::string aside = path + ".bad";
    error = path + ": " + parseError;
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        error += "; " + systemError("cannot move it aside to " + aside);
        return ConfigLoad::Unreadable;
    }
    error += "; kept as " + aside;
    return ConfigLoad::MovedAside;
}

bool writeFileAtomically(const std::string& path, std::string_view content, std::string& error) {
    const std::string folder = folderOf(path);
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot create a temporary file next to " + path);
        return false;
    }
    bool ok = writeAll(fd, content);
    if (!ok)
        error = systemError("cannot write " + temp);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        error = systemError("cannot flush " + temp);
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = systemError("cannot close " + temp);
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = systemError("cannot replace " + path);
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself is durable only once the folder is flushed.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0 || ::fsync(dirFd) != 0) {
        error = systemError("cannot flush the folder " + folder);
        ok = false;
    }
    if (dirFd >= 0)
        ::close(dirFd);
    return ok;
}

} // namespace qv::standin
