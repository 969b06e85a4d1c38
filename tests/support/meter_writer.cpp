#include "tests/support/meter_writer.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace qv::test {

MeterWriter::MeterWriter(const std::string& path, std::size_t size) : size_(size) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const std::size_t mapped = size < kMeterBlockSize ? kMeterBlockSize : size;
    if (::ftruncate(fd, off_t(size)) == 0) {
        void* p = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED && size >= kMeterBlockSize)
            block_ = static_cast<MeterBlock*>(p);
        else if (p != MAP_FAILED)
            ::munmap(p, mapped);
    }
    ::close(fd);
}

MeterWriter::~MeterWriter() {
    if (block_)
        ::munmap(block_, size_);
}

void MeterWriter::publish(uint64_t frame, uint32_t count, float level) {
    uint32_t* sequence = &block_->sequence;
    const uint32_t start = __atomic_load_n(sequence, __ATOMIC_RELAXED) | 1u;
    __atomic_store_n(sequence, start, __ATOMIC_RELAXED); // odd: writing
#if defined(__SANITIZE_THREAD__)
    std::atomic_signal_fence(std::memory_order_seq_cst); // fences are not modelled by TSan
#else
    std::atomic_thread_fence(std::memory_order_release);
#endif
    block_->magic = kMeterMagic;
    block_->version = kMeterVersion;
    block_->capacity = kMeterSlots;
    block_->count = count;
    block_->frame = frame;
    for (int i = 0; i < kMeterSlots; ++i) {
        if (block_->entries[i].id[0] == 0)
            std::snprintf(block_->entries[i].id, kMeterIdBytes, "in:%d", i);
        block_->entries[i].left = level;
        block_->entries[i].right = level;
    }
    __atomic_store_n(sequence, start + 1, __ATOMIC_RELEASE); // even: consistent
}

} // namespace qv::test
