// A stand-in for the driver's installer: records how it was started (its arguments and working
// folder, one per line, in "started.txt" in that folder), then ends with exit code 7 after the
// milliseconds given by the environment variable QV_STUB_MS (default 0).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    std::wstring record;
    for (int i = 1; i < argc; ++i)
        record += std::wstring(argv[i]) + L"\n";
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    record += std::wstring(folder) + L"\n";

    HANDLE file = CreateFileW(L"started.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, record.data(), DWORD(record.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
    }
    wchar_t ms[32] = {};
    if (GetEnvironmentVariableW(L"QV_STUB_MS", ms, 32) > 0)
        Sleep(DWORD(_wtoi(ms)));
    return 7;
}
