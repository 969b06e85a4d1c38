#pragma once
// The meters block as a shared file: created by the engine, mapped by the interface.

#include "engine/meter_block.h"

#include <string>

namespace qv::standin {

class MetersFile {
public:
    MetersFile() = default;
    ~MetersFile();
    MetersFile(const MetersFile&) = delete;
    MetersFile& operator=(const MetersFile&) = delete;

    // Creates the file afresh (a stale one left by a crashed engine is replaced, so readers
    // still mapping it see its frame stop and reopen), mode 0600, exactly one block long.
    bool create(const std::string& path, std::string& error);

    // Publishes one snapshot under the sequence protocol: the sequence word is odd while the
    // block changes and even when it is consistent. The snapshot's own sequence is ignored.
    void publish(const MeterBlock& snapshot);

    // Unmaps and deletes the file.
    void remove();

    const MeterBlock* block() const { return block_; }

private:
    MeterBlock* block_ = nullptr;
    std::string path_;
};

} // namespace qv::standin
