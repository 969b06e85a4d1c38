// Test helper: stands in for quorvel-engine.exe when the interface starts the engine.
// Every start appends "<command line>\t<working folder>\n" (UTF-8) to launches.txt in its
// working folder. When a file named "serve" lies there too, it then acts as a minimal engine:
// creates the engine's pipe, greets the first client with one message and ends when that client
// leaves (or after 10 s).

#include "tests/win/win_test_support.h"

#include <fstream>

int main() {
    using namespace qv::wintest;
    wchar_t folder[MAX_PATH * 4];
    const DWORD length = GetCurrentDirectoryW(DWORD(std::size(folder)), folder);
    std::ofstream(L"launches.txt", std::ios::app | std::ios::binary)
        << narrow(GetCommandLineW()) << '\t' << narrow(std::wstring(folder, length)) << '\n';

    if (GetFileAttributesW(L"serve") != INVALID_FILE_ATTRIBUTES) {
        PipeServer server;
        // Until the client leaves; what it sends is not looked at.
        if (server.valid() && server.accept(10000) && server.send(R"({"event":"hello"})", 10000))
            eventually([&] { return server.clientGone(100); }, 10000);
    }
    return 0;
}
