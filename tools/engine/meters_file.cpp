#include "tools/engine/meters_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace qv::standin {

namespace {
constexpr size_t kSequenceOffset = offsetof(MeterBlock, sequence);
constexpr size_t kAfterSequence = kSequenceOffset + sizeof(uint32_t);
} // namespace

MetersFile::~MetersFile() {
    remove();
}

bool MetersFile::create(const std::string& path, std::string& error) {
    remove();
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = "cannot remove the old " + path + ": " + std::strerror(errno);
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    void* view = MAP_FAILED;
    if (::ftruncate(fd, static_cast<off_t>(kMeterBlockSize)) == 0)
        view = ::mmap(nullptr, kMeterBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED)
        error = "cannot map " + path + ": " + std::strerror(errno);
    ::close(fd);
    if (view == MAP_FAILED) {
        ::unlink(path.c_str());
        return false;
    }
    block_ = static_cast<MeterBlock*>(view);
    path_ = path;
    return true;
}

void MetersFile::publish(const MeterBlock& snapshot) {
    if (!block_)
        return;
    std::atomic_ref<uint32_t> sequence(block_->sequence);
    const uint32_t s = sequence.load(std::memory_order_relaxed);
    // Odd first, and no store of the new content may become visible before it.
    sequence.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    auto* dst = reinterpret_cast<unsigned char*>(block_);
    const auto* src = reinterpret_cast<const unsigned char*>(&snapshot);
    std::memcpy(dst, src, kSequenceOffset);
    std::memcpy(dst + kAfterSequence, src + kAfterSequence, kMeterBlockSize - kAfterSequence);
    // Even again, after every store of the content.
    sequence.store(s + 2, std::memory_order_release);
}

void MetersFile::remove() {
    if (block_) {
        ::munmap(block_, kMeterBlockSize);
        block_ = nullptr;
    }
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
}

} // namespace qv::standin
