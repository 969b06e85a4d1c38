// Finding and starting the engine on Windows, in folders whose names need UTF-16 and quoting, with
// a stand-in engine program that records how it was started.

#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

namespace qv::wintest {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kEngineName[] = L"quorvel-engine.exe";

// <root>\app holds the interface, <root>\bin may hold the engine. The name has a space and
// Cyrillic letters on purpose.
struct Install {
    ScratchFolder root{L"qv Движок"};
    fs::path app = root.path() / L"app";
    fs::path bin = root.path() / L"bin";
    Install() {
        fs::create_directories(app);
        fs::create_directories(bin);
    }
    std::string appDir() const { return narrow(app.wstring()); }
};

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WinEngineLookup, PrefersTheInterfaceFolderThenBinAndReturnsACleanNativePath) {
    struct Case {
        const char* what;
        bool inApp, inBin, folderInApp;
        const wchar_t* expected; // the folder under the root
    };
    // The order itself is the portable lookup's test; here the paths are native and UTF-16.
    const Case cases[] = {
        {"in ../bin", false, true, false, L"bin"},
        {"both: the interface folder wins", true, true, false, L"app"},
        {"a folder of that name is no engine", false, true, true, L"bin"},
    };
    for (const Case& c : cases) {
        Install install;
        if (c.inApp)
            writeFile(install.app / kEngineName, "");
        if (c.folderInApp)
            fs::create_directories(install.app / kEngineName);
        if (c.inBin)
            writeFile(install.bin / kEngineName, "");
        const std::string expected =
            narrow((install.root.path() / c.expected / kEngineName).wstring());
        // Qt hands the folder over with forward slashes; a trailing one must not matter.
        std::string qtStyle = narrow(install.app.generic_wstring()) + "/";
        EXPECT_EQ(link::os::findEngineExecutable(install.appDir()), expected) << c.what;
        EXPECT_EQ(link::os::findEngineExecutable(qtStyle), expected) << c.what << " (/)";
    }
}

// Found, but not a program; or gone by the time it is started: the system's code.
TEST(WinEngineLaunch, ReportsAnUnstartableEngine) {
    Install install;
    const fs::path engine = install.bin / kEngineName;
    writeFile(engine, "not a program");
    EXPECT_EQ(link::os::startEngineProcess(narrow(engine.wstring())), ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ(link::os::startEngineProcess(narrow((install.app / kEngineName).wstring())),
              ERROR_FILE_NOT_FOUND);
}

TEST(WinEngineLaunch, StartsAMissingEngineOnceInItsFolderAndConnectsToIt) {
    Install install;
    ASSERT_TRUE(fs::copy_file(helperProgram(), install.bin / kEngineName));
    writeFile(install.bin / L"serve", "");

    Probe probe;
    link::LinkOptions options;
    options.autoStart = true;
    options.interfaceDir = install.appDir();
    options.retryMs = 50;
    auto core = std::make_unique<link::LinkCore>(options, probe.callbacks());
    core->start();
    // The test thread is the interface's GUI thread: it answers each launch check.
    int answered = 0;
    ASSERT_TRUE(eventually(
        [&] {
            int asked = 0;
            probe.waitFor([&](const Probe& p) { return (asked = p.launchChecks) >= 0; }, 0);
            for (; answered < asked; ++answered)
                core->checkLaunch();
            return core->isConnected();
        },
        10000));
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.messages.size() == 1; }));
    EXPECT_EQ(probe.messages[0], R"({"event":"hello"})");
    EXPECT_GT(answered, 0);
    core.reset(); // the stand-in engine ends when its client leaves

    EXPECT_EQ(std::count(probe.statuses.begin(), probe.statuses.end(), link::kStatusStarting), 1);
    // Started once, in its folder, with its quoted path alone as the command line.
    const std::string engine = narrow((install.bin / kEngineName).wstring());
    EXPECT_EQ(readFile(install.bin / L"launches.txt"),
              "\"" + engine + "\"\t" + narrow(install.bin.wstring()) + "\n");
}

} // namespace
} // namespace qv::wintest
