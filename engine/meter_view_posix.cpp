// The meters block on POSIX: the file QUORVEL.Meters in the runtime folder, mapped read-only.

#include "engine/link_os.h"
#include "engine/runtime_dir.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::link::os {

struct MeterView::Impl {
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
    ::close(fd);
    if (mapping == MAP_FAILED)
        return false;
    d_->mapping = mapping;
    data_ = static_cast<const unsigned char*>(mapping);
    return true;
}

void MeterView::close() {
    if (d_->mapping) {
        ::munmap(d_->mapping, kMeterBlockSize);
        d_->mapping = nullptr;
    }
    data_ = nullptr;
}

} // namespace qv::link::os
