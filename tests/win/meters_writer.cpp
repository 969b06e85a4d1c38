// Test helper: plays the engine's side of the meters block from a process of its own.
//   qv_meters_writer.exe [size]   creates Local\QUORVEL.Meters with `size` bytes (default: the
//                                 whole block) and answers each command on stdin with one line:
//   publish <frame> <count>   writes a consistent snapshot
// It ends when its input closes.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "engine/meter_block.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

void publish(qv::MeterBlock* block, uint64_t frame, uint32_t count) {
    // Odd while changing, even again when done.
    const uint32_t changing = block->sequence | 1u;
    block->sequence = changing;
    std::atomic_thread_fence(std::memory_order_release);
    block->magic = qv::kMeterMagic;
    block->version = qv::kMeterVersion;
    block->capacity = qv::kMeterSlots;
    block->count = count;
    block->frame = frame;
    block->figureA = 9.8f;
    block->figureB = 0.4f;
    for (int i = 0; i < qv::kMeterSlots; ++i) {
        qv::MeterEntry& entry = block->entries[i];
        std::memset(&entry, 0, sizeof entry);
        std::snprintf(entry.id, sizeof entry.id, "in:mic%d", i);
        entry.left = float(i) / 128.0f;
        entry.right = float(frame % 100) / 100.0f;
    }
    std::atomic_thread_fence(std::memory_order_release);
    block->sequence = changing + 1;
}

} // namespace

int main(int argc, char** argv) {
    const DWORD size = argc > 1 ? DWORD(std::strtoul(argv[1], nullptr, 10)) : qv::kMeterBlockSize;
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                        L"Local\\QUORVEL.Meters");
    if (!mapping)
        return 1;
    auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size));
    if (!view)
        return 2;
    auto* block = size >= qv::kMeterBlockSize ? reinterpret_cast<qv::MeterBlock*>(view) : nullptr;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "publish" && block) {
            uint64_t frame = 0;
            uint32_t count = 0;
            in >> frame >> count;
            publish(block, frame, count);
        } else if (!command.empty()) {
            std::cout << "unknown" << std::endl;
            continue;
        }
        std::cout << "ok" << std::endl;
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
}
