// The cable setup's Win32 primitives on Wine: the Authenticode check and the elevated start of a
// stand-in installer in a folder whose name needs quoting. The unpack command text is tested by
// tests/cable/unpack_command_test.cpp, built into this program too.

#include "tests/win/win_test_support.h"

#include "cable/authenticode_win.h"
#include "cable/runas_win.h"
#include "cable/trust_codes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace qv::cable {
namespace {

namespace fs = std::filesystem;
using Scratch = wintest::ScratchFolder;

std::wstring readUtf16(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

// Held from its check to its start, the installer can be checked and started but not changed,
// renamed or deleted; a folder or a missing file cannot be held. It starts in its folder, whose
// name has an apostrophe, spaces and Cyrillic letters the shell must pass intact, and the
// handle handed over is the installer's own: it signals when the program ends, with its code.
TEST(WinCableRunas, AHeldInstallerCannotBeSwappedButStillStarts) {
    Scratch folder(L"qv O'Brien Установка");
    const fs::path installer = folder.path() / L"VBCABLE_Setup_x64.exe";
    fs::copy_file(wintest::helperProgram(), installer);
    const HANDLE held = holdFileForStart(installer.wstring());
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const HANDLE writer = CreateFileW(installer.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    const fs::path other = folder.path() / L"other.exe";
    EXPECT_FALSE(MoveFileW(installer.c_str(), other.c_str()));
    EXPECT_FALSE(DeleteFileW(installer.c_str()));
    // An unsigned program, a file that is no program and a missing one are never valid.
    EXPECT_EQ(verifyFileTrust(installer.wstring()), kTrustNoSignature);
    const fs::path text = folder.path() / L"text.exe";
    std::ofstream(text, std::ios::binary) << "PK this is not a program";
    const fs::path missing = folder.path() / L"missing.exe";
    EXPECT_NE(verifyFileTrust(text.wstring()), kTrustOk);
    EXPECT_NE(verifyFileTrust(missing.wstring()), kTrustOk);

    SetEnvironmentVariableW(L"QV_STUB_MS", L"300");
    const ElevatedStart start =
        startElevated(installer.wstring(), L"-i -h", folder.path().wstring());
    SetEnvironmentVariableW(L"QV_STUB_MS", nullptr);
    EXPECT_TRUE(CloseHandle(held));
    ASSERT_EQ(start.error, 0u);
    ASSERT_NE(start.process, nullptr);
    EXPECT_EQ(WaitForSingleObject(start.process, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeProcess(start.process, &exitCode));
    EXPECT_EQ(exitCode, 7u);
    EXPECT_TRUE(CloseHandle(start.process));
    EXPECT_EQ(readUtf16(folder.path() / L"started.txt"),
              L"-i\n-h\n" + folder.path().wstring() + L"\n");

    EXPECT_EQ(holdFileForStart(folder.path().wstring()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(holdFileForStart(missing.wstring()), INVALID_HANDLE_VALUE);
    const ElevatedStart none = startElevated(missing.wstring(), L"-i -h", folder.path().wstring());
    EXPECT_EQ(none.error, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(none.process, nullptr);
}

} // namespace
} // namespace qv::cable
