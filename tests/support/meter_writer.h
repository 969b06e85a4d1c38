#pragma once
// Writes QUORVEL.Meters the way the engine does, for tests of its readers (POSIX).

#include "engine/meter_block.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace qv::test {

// A shared mapping of the file; the sequence is odd while a block is being written.
class MeterWriter {
public:
    explicit MeterWriter(const std::string& path, std::size_t size = kMeterBlockSize);
    ~MeterWriter();
    bool ok() const { return block_ != nullptr; }
    MeterBlock* block() { return block_; }
    // A consistent block with `count` entries whose levels are all `level`, as frame `frame`.
    void publish(uint64_t frame, uint32_t count = 2, float level = 0.5f);

private:
    MeterBlock* block_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace qv::test
