// Test helper: plays the engine's or the capture tool's side of a shared block from a process of
// its own, answering each command on stdin with one line ("ok"; "fail" without a block). It ends
// when its input closes.
//   qv_block_writer.exe meters [size]   creates Local\QUORVEL.Meters with `size` bytes (default:
//                                       the whole block); `publish <frame>` names every slot
//   qv_block_writer.exe <mapping name>  opens the preview mapping the interface created:
//     frame <w> <h> <hex>   publishes a frame of one colour with the sequence protocol
//     stream <count>        publishes <count> 320x180 frames of changing colours in the
//                           background, a little apart; `join` answers once it has ended

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "engine/meter_block.h"
#include "tests/recorder/preview_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

using namespace qv;

int main(int argc, char** argv) {
    if (argc < 2)
        return 1;
    const bool meters = std::strcmp(argv[1], "meters") == 0;
    const DWORD size = !meters    ? DWORD(rec::kPreviewBlockSize)
                       : argc > 2 ? DWORD(std::strtoul(argv[2], nullptr, 10))
                                  : DWORD(kMeterBlockSize);
    HANDLE mapping = meters ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 size, L"Local\\QUORVEL.Meters")
                            : OpenFileMappingA(FILE_MAP_WRITE, FALSE, argv[1]);
    auto* block =
        mapping ? static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size))
                : nullptr;
    auto* meterBlock =
        meters && size >= kMeterBlockSize ? reinterpret_cast<MeterBlock*>(block) : nullptr;

    std::thread stream;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (!block) {
            std::cout << "fail" << std::endl;
            continue;
        }
        if (command == "publish" && meterBlock) {
            in >> meterBlock->frame;
            for (int i = 0; i < kMeterSlots; ++i)
                std::snprintf(meterBlock->entries[i].id, sizeof meterBlock->entries[i].id,
                              "in:mic%d", i);
        } else if (command == "frame") {
            unsigned width = 0, height = 0, pixel = 0;
            in >> width >> height >> std::hex >> pixel;
            rectest::publishPreviewFrame(block, width, height, pixel);
        } else if (command == "stream") {
            int count = 0;
            in >> count;
            stream = std::thread([block, count] {
                for (int i = 1; i <= count; ++i) {
                    rectest::publishPreviewFrame(block, 320, 180, 0x00100000u + unsigned(i));
                    // A gap between frames for the reader; Sleep, because a sub-millisecond
                    // sleep_for does not sleep at all here.
                    Sleep(1);
                }
            });
        } else if (command == "join") {
            if (stream.joinable())
                stream.join();
        } else if (!command.empty()) {
            std::cout << "unknown" << std::endl;
            continue;
        }
        std::cout << "ok" << std::endl;
    }
    if (stream.joinable())
        stream.join();
    if (block)
        UnmapViewOfFile(block);
    if (mapping)
        CloseHandle(mapping);
    return 0;
}
