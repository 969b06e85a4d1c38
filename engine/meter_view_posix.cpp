// The meters block on POSIX: the file QUORVEL.Meters in the runtime folder, mapped read-only.
// The file stays open with the mapping, so its length can be checked before every read: a
// writer that truncates it would otherwise make the next read fault.

#include "engine/link_os.h"
#include "engine/runtime_dir.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::link::os {

struct MeterView::Impl {
    int fd = -1;
    void* mapping = nullptr;
};

MeterView::MeterView() : d_(std::make_unique<Impl>()) {}

MeterView::~MeterView() {
    close();
}

bool MeterView::open() {
    close();
    const RuntimeDir dir = runtimeDir();
    if (!dir.ok())
        return false;
    const std::string path = dir.path + "/" + kMetersFileName;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct stat st {};
    void* mapping = MAP_FAILED;
    // Only the first kMeterBlockSize bytes are mapped; a shorter file would fault on access.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= off_t(kMeterBlockSize))
        mapping = ::mmap(nullptr, kMeterBlockSize, PROT_READ, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    d_->fd = fd;
    d_->mapping = mapping;
    data_ = static_cast<const unsigned char*>(mapping);
    return true;
}

bool MeterView::whole() const {
    struct stat st {};
    return data_ && ::fstat(d_->fd, &st) == 0 && st.st_size >= off_t(kMeterBlockSize);
}

void MeterView::close() {
    if (d_->mapping) {
        ::munmap(d_->mapping, kMeterBlockSize);
        d_->mapping = nullptr;
    }
    if (d_->fd >= 0) {
        ::close(d_->fd);
        d_->fd = -1;
    }
    data_ = nullptr;
}

} // namespace qv::link::os
