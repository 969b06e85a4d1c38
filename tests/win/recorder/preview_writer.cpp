// Test helper: plays the capture tool's side of the preview block from a process of its own.
//   qv_preview_writer.exe <mapping name>   opens the mapping the interface created and answers
//   each command on stdin with one line ("ok", or "fail" when the mapping could not be opened):
//   frame <w> <h> <hex>        publishes a frame of one colour with the sequence protocol
//   stream <count>             publishes <count> 320x180 frames of changing colours in the
//                              background, a little apart
//   join                       answers once the stream has ended
// It ends when its input closes.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "tests/recorder/preview_writer.h"

#include <iostream>
#include <sstream>
#include <string>
#include <thread>

using namespace qv;

int main(int argc, char** argv) {
    unsigned char* block = nullptr;
    HANDLE mapping = argc > 1 ? OpenFileMappingA(FILE_MAP_WRITE, FALSE, argv[1]) : nullptr;
    if (mapping)
        block = static_cast<unsigned char*>(
            MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, rec::kPreviewBlockSize));

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
        if (command == "frame") {
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
        } else {
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
