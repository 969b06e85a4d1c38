// The preview block on POSIX systems: the file QuorvelPreview-<pid> in the engine link's
// runtime folder (private to the user), mode 0600, mapped shared read/write.
//
// The file is created with O_EXCL, so a name that is already taken is never reused blindly.
// A file of that name can only be left by an earlier run that had the same process id and
// crashed before removing it. It is removed and created afresh only when it is a regular file
// (not a link: O_NOFOLLOW), owned by this user, and nobody holds its lock - every live owner,
// including another PreviewBlock of this process, holds an exclusive flock on it for as long as
// it exists. Anything else makes creation fail, and the preview is simply unavailable.

#include "recorder/preview_block.h"

#include "engine/runtime_dir.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::rec {

struct PreviewBlock::Impl {
    int fd = -1;
    void* mapping = nullptr;
};

namespace {

int createExclusive(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// Removes a file left by a crashed run of the same process id; false when the file may belong
// to somebody alive or is not a plain file of ours.
bool removeStale(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT; // gone meanwhile: creating again may succeed
    struct stat st {};
    bool removed = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        removed = ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
}

std::string errorText(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

} // namespace

PreviewBlock::PreviewBlock() : d_(std::make_unique<Impl>()) {}

PreviewBlock::~PreviewBlock() {
    release();
}

bool PreviewBlock::create(unsigned long pid) {
    release();
    error_.clear();
    const link::RuntimeDir dir = link::runtimeDir();
    if (!dir.ok()) {
        error_ = dir.error;
        return false;
    }
    const std::string path = dir.path + "/QuorvelPreview-" + std::to_string(pid);
    int fd = createExclusive(path);
    if (fd < 0 && errno == EEXIST && removeStale(path))
        fd = createExclusive(path);
    if (fd < 0) {
        error_ = errorText("cannot create", path);
        return false;
    }
    // Held for the life of the block: it tells a later run that the file is in use.
    void* mapping = MAP_FAILED;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::ftruncate(fd, off_t(kPreviewBlockSize)) == 0)
        mapping = ::mmap(nullptr, kPreviewBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        error_ = errorText("cannot map", path);
        ::unlink(path.c_str());
        ::close(fd);
        return false;
    }
    d_->fd = fd;
    d_->mapping = mapping;
    data_ = static_cast<unsigned char*>(mapping);
    name_ = path;
    initPreviewHeader(data_);
    return true;
}

std::size_t PreviewBlock::size() const {
    struct stat st {};
    if (!data_ || ::fstat(d_->fd, &st) != 0 || st.st_size <= 0)
        return 0;
    return std::min(std::size_t(st.st_size), kPreviewBlockSize);
}

void PreviewBlock::release() {
    if (d_->mapping) {
        ::munmap(d_->mapping, kPreviewBlockSize);
        d_->mapping = nullptr;
    }
    if (d_->fd >= 0) {
        // Only our own file is removed, should the name have been replaced meanwhile.
        struct stat mine {
        }, named{};
        if (::fstat(d_->fd, &mine) == 0 && ::lstat(name_.c_str(), &named) == 0 &&
            mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
            ::unlink(name_.c_str());
        ::close(d_->fd);
        d_->fd = -1;
    }
    data_ = nullptr;
    name_.clear();
}

} // namespace qv::rec
