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
using wintest::programFolder;
using Scratch = wintest::ScratchFolder;

const fs::path kStub = programFolder() / L"qv_cable_installer_stub.exe";

std::wstring readUtf16(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

TEST(WinCableTrust, OnlyASignedProgramIsValid) {
    Scratch folder(L"qv cable trust");
    const fs::path text = folder.path() / L"VBCABLE_Setup_x64.exe";
    std::ofstream(text, std::ios::binary) << "PK this is not a program";
    EXPECT_EQ(verifyFileTrust(kStub.wstring()), kTrustNoSignature);
    for (const fs::path& file : {text, folder.path() / L"missing.exe"}) {
        SCOPED_TRACE(file.string());
        EXPECT_NE(verifyFileTrust(file.wstring()), kTrustOk);
    }
}

TEST(WinCableRunas, StartsTheInstallerInItsFolderAndHandsOverAWatchableHandle) {
    // An apostrophe, spaces and Cyrillic letters: the shell must pass the folder intact.
    Scratch folder(L"qv O'Brien Установка");
    const fs::path installer = folder.path() / L"VBCABLE_Setup_x64.exe";
    fs::copy_file(kStub, installer);
    SetEnvironmentVariableW(L"QV_STUB_MS", L"300");

    const ElevatedStart start =
        startElevated(installer.wstring(), L"-i -h", folder.path().wstring());
    SetEnvironmentVariableW(L"QV_STUB_MS", nullptr);
    ASSERT_EQ(start.error, 0u);
    ASSERT_NE(start.process, nullptr);

    // The handle is the installer's own: it signals when the program ends, with its exit code.
    EXPECT_EQ(WaitForSingleObject(start.process, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeProcess(start.process, &exitCode));
    EXPECT_EQ(exitCode, 7u);
    EXPECT_TRUE(CloseHandle(start.process));

    const std::wstring record = readUtf16(folder.path() / L"started.txt");
    const std::wstring expected = L"-i\n-h\n" + folder.path().wstring() + L"\n";
    EXPECT_EQ(record, expected);
}

// Held from its check to its start, the installer can be checked and started but not changed,
// renamed or deleted; a folder or a missing file cannot be held.
TEST(WinCableRunas, AHeldInstallerCannotBeSwappedButStillStarts) {
    Scratch folder(L"qv cable hold");
    const fs::path installer = folder.path() / L"VBCABLE_Setup_x64.exe";
    fs::copy_file(kStub, installer);
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
    EXPECT_EQ(verifyFileTrust(installer.wstring()), kTrustNoSignature);

    const ElevatedStart start =
        startElevated(installer.wstring(), L"-i -h", folder.path().wstring());
    EXPECT_TRUE(CloseHandle(held));
    ASSERT_EQ(start.error, 0u);
    ASSERT_NE(start.process, nullptr);
    EXPECT_EQ(WaitForSingleObject(start.process, 30000), WAIT_OBJECT_0);
    CloseHandle(start.process);

    EXPECT_EQ(holdFileForStart(folder.path().wstring()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(holdFileForStart((folder.path() / L"missing.exe").wstring()), INVALID_HANDLE_VALUE);
}

TEST(WinCableRunas, AMissingInstallerIsAnErrorWithoutHandle) {
    Scratch folder(L"qv cable missing");
    const ElevatedStart start = startElevated((folder.path() / L"VBCABLE_Setup_x64.exe").wstring(),
                                              L"-i -h", folder.path().wstring());
    EXPECT_EQ(start.error, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(start.process, nullptr);
}

} // namespace
} // namespace qv::cable
