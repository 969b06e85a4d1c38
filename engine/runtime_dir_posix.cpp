#include "engine/runtime_dir.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::link {
namespace {

std::string fromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string quoted(const char* before, const std::string& path, const char* after) {
    return std::string(before) + "«" + path + "»" + after;
}

} // namespace

RuntimeDir runtimeDir() {
    RuntimeDir dir;
    // The fallback lives in the world-writable /tmp, where somebody else may have created the
    // name first (possibly as a symlink): it is examined without following links.
    bool shared = false;
    dir.path = fromEnv("QUORVEL_RUNTIME_DIR");
    if (dir.path.empty())
        dir.path = fromEnv("XDG_RUNTIME_DIR");
    if (dir.path.empty()) {
        dir.path = "/tmp/quorvel-" + std::to_string(getuid());
        shared = true;
    }
    while (dir.path.size() > 1 && dir.path.back() == '/')
        dir.path.pop_back();

    if (::mkdir(dir.path.c_str(), 0700) != 0 && errno != EEXIST) {
        dir.error = quoted("Папка связи с движком недоступна: ", dir.path, "");
        return dir;
    }
    struct stat st {};
    const int rc = shared ? ::lstat(dir.path.c_str(), &st) : ::stat(dir.path.c_str(), &st);
    if (rc != 0) {
        dir.error = quoted("Папка связи с движком недоступна: ", dir.path, "");
        return dir;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH))) {
        dir.error = quoted("Папка связи с движком ", dir.path,
                           " небезопасна: она должна принадлежать вам и быть закрыта для "
                           "записи другим");
    }
    return dir;
}

} // namespace qv::link
