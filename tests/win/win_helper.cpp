// Test helper: the other process of the Windows tests, in the role its first argument names:
//   (none)              the engine (started as quorvel-engine.exe): records its start in
//                       launches.txt and, with a file "serve" next to it, greets one client
//   -<option> ...       the driver's installer: records its start in started.txt and exits with
//                       7 after QV_STUB_MS milliseconds
//   claim, hold, show   a second interface process (exit codes 10 owned, 11 already running)
//   meters [size]       the engine's meters block; `publish <frame>` names every slot
//   preview <mapping>   the capture tool: `frame <w> <h> <hex>`, `stream <n>` and `join`
// The block writers answer each command on stdin with one line and end when it closes.

#include "tests/win/win_test_support.h"

#include "app/single_instance_win32.h"
#include "engine/meter_block.h"
#include "tests/recorder/preview_writer.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

using namespace qv;

namespace {

int fakeEngine() {
    wchar_t folder[MAX_PATH * 4];
    const DWORD length = GetCurrentDirectoryW(DWORD(std::size(folder)), folder);
    std::ofstream(L"launches.txt", std::ios::app | std::ios::binary)
        << wintest::narrow(GetCommandLineW()) << '\t'
        << wintest::narrow(std::wstring(folder, length)) << '\n';
    if (GetFileAttributesW(L"serve") != INVALID_FILE_ATTRIBUTES) {
        wintest::PipeServer server;
        // Until the client leaves; what it sends is not looked at.
        if (server.valid() && server.accept(10000) && server.send(R"({"event":"hello"})", 10000))
            wintest::eventually([&] { return server.clientGone(100); }, 10000);
    }
    return 0;
}

int installer(int argc, wchar_t** argv) {
    std::wstring record;
    for (int i = 1; i < argc; ++i)
        record += std::wstring(argv[i]) + L"\n";
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    record += std::wstring(folder) + L"\n";
    std::ofstream(L"started.txt", std::ios::binary)
        .write(reinterpret_cast<const char*>(record.data()),
               std::streamsize(record.size() * sizeof(wchar_t)));
    wchar_t ms[32] = {};
    if (GetEnvironmentVariableW(L"QV_STUB_MS", ms, 32) > 0)
        Sleep(DWORD(_wtoi(ms)));
    return 7;
}

int secondInterface(const std::wstring& role) {
    using Claim = instance::InstanceMutex::Claim;
    if (role == L"show") {
        instance::broadcastShowRequest();
        return 0;
    }
    instance::InstanceMutex mutex;
    const Claim claim = mutex.claim();
    const int code = claim == Claim::Owned ? 10 : claim == Claim::AlreadyRunning ? 11 : 12;
    if (role == L"hold") {
        std::cout << code << std::endl;
        while (std::cin.get() != EOF) {
        }
    }
    return code;
}

int blockWriter(bool meters, const wchar_t* argument) {
    const DWORD size = !meters    ? DWORD(rec::kPreviewBlockSize)
                       : argument ? DWORD(_wtoi(argument))
                                  : DWORD(kMeterBlockSize);
    HANDLE mapping = meters ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 size, L"Local\\QUORVEL.Meters")
                            : OpenFileMappingW(FILE_MAP_WRITE, FALSE, argument);
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

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring role = argc > 1 ? argv[1] : L"";
    if (role.empty())
        return fakeEngine();
    if (role[0] == L'-')
        return installer(argc, argv);
    if (role == L"claim" || role == L"hold" || role == L"show")
        return secondInterface(role);
    if (role == L"meters" || role == L"preview")
        return blockWriter(role == L"meters", argc > 2 ? argv[2] : nullptr);
    return 2;
}
