// The runtime folder rules, finding and starting the engine executable, and the launch rules of
// the connect loop.

#include "tests/engine/link_core_fixture.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qv::test;
namespace fs = std::filesystem;

namespace {

const std::string kFakeEngine = std::string(QV_FAKE_ENGINE_DIR) + "/quorvel-engine";

std::vector<std::string> lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

const std::string kTmpFallback = "/tmp/quorvel-" + std::to_string(::getuid());

TEST(RuntimeDir, ChoosesTheFolderByPriority) {
    TempDir dir;
    const std::string xdg = dir.path() + "/xdg";
    ASSERT_EQ(::mkdir(xdg.c_str(), 0700), 0);
    const std::string own = dir.path() + "/own/";
    const bool tmpExisted = fs::exists(kTmpFallback);
    const struct {
        const char* quorvel;
        const char* xdgValue;
        std::string expected;
    } cases[] = {
        {own.c_str(), xdg.c_str(), dir.path() + "/own"}, // created, trailing slash dropped
        {"", xdg.c_str(), xdg},
        {nullptr, xdg.c_str(), xdg},
        {nullptr, "", kTmpFallback},
        {nullptr, nullptr, kTmpFallback},
    };
    for (const auto& c : cases) {
        ScopedEnv a("QUORVEL_RUNTIME_DIR", c.quorvel);
        ScopedEnv b("XDG_RUNTIME_DIR", c.xdgValue);
        const auto chosen = qv::link::runtimeDir();
        EXPECT_EQ(chosen.path, c.expected);
        EXPECT_TRUE(chosen.ok()) << chosen.error;
        struct stat st {};
        ::lstat(chosen.path.c_str(), &st);
        EXPECT_EQ(st.st_mode & 077, 0u) << chosen.path;
    }
    if (!tmpExisted)
        ::rmdir(kTmpFallback.c_str());
}

TEST(RuntimeDir, RefusesFoldersOthersCouldWriteTo) {
    TempDir dir;
    const std::string target = dir.path() + "/target";
    const struct {
        const char* name;
        mode_t mode;
        uid_t owner;
    } cases[] = {
        {"group writable", 0770, ::geteuid()},
        {"others writable", 0707, ::geteuid()},
        {"world writable with sticky bit", 01777, ::geteuid()},
        {"foreign owner", 0700, 65534},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(target);
        ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(target.c_str(), c.mode), 0);
        if (c.owner != ::geteuid() && ::chown(target.c_str(), c.owner, -1) != 0) {
            std::cout << "skipped: cannot give the folder away without privileges\n";
            continue;
        }
        ScopedEnv env("QUORVEL_RUNTIME_DIR", target.c_str());
        const auto chosen = qv::link::runtimeDir();
        EXPECT_FALSE(chosen.ok());
        EXPECT_EQ(chosen.error, "Папка связи с движком «" + target +
                                    "» небезопасна: она должна принадлежать вам и быть "
                                    "закрыта для записи другим");
    }
}

// The shared /tmp fallback is never followed through a link somebody planted under its name.
TEST(RuntimeDir, TmpFallbackRefusesALink) {
    struct stat st {};
    if (::lstat(kTmpFallback.c_str(), &st) == 0)
        GTEST_SKIP() << kTmpFallback << " exists already; not touching it";
    TempDir dir;
    ASSERT_EQ(::symlink(dir.path().c_str(), kTmpFallback.c_str()), 0);
    ScopedEnv a("QUORVEL_RUNTIME_DIR", nullptr);
    ScopedEnv b("XDG_RUNTIME_DIR", nullptr);
    const auto chosen = qv::link::runtimeDir();
    ::unlink(kTmpFallback.c_str());
    EXPECT_FALSE(chosen.ok());
}

} // namespace

class LaunchTest : public LinkCoreTest {
protected:
    std::size_t launches() const { return lines(launchLog).size(); }

    const std::string launchLog = dir.file("launches.log");
    const ScopedEnv logEnv{"QV_FAKE_ENGINE_LOG", launchLog.c_str()};
};

TEST_F(LaunchTest, FindsTheEngineNextToTheInterfaceThenInBin) {
    const fs::path root = dir.path();
    for (const char* folder : {"a", "b", "c/sub", "d/quorvel-engine", "bin"})
        fs::create_directories(root / folder);
    fs::copy_file(kFakeEngine, root / "a" / "quorvel-engine");
    fs::copy_file(kFakeEngine, root / "bin" / "quorvel-engine");
    const std::string inA = (root / "a" / "quorvel-engine").string();
    const std::string inBin = (root / "bin" / "quorvel-engine").string();
    struct Case {
        std::string interfaceDir;
        std::string expected;
    };
    const Case cases[] = {
        {(root / "a").string(), inA},        // next to the interface wins
        {(root / "b").string(), inBin},      // then ../bin, cleaned
        {root.string() + "/a/../b", inBin},  // ".." in the folder itself is cleaned too
        {(root / "c" / "sub").string(), ""}, // c/bin does not exist
        {(root / "d").string(), inBin},      // a folder of that name is not the engine
    };
    for (const auto& c : cases)
        EXPECT_EQ(qv::link::os::findEngineExecutable(c.interfaceDir), c.expected) << c.interfaceDir;
}

TEST_F(LaunchTest, StartedEngineRunsDetachedInItsOwnFolder) {
    ASSERT_EQ(qv::link::os::startEngineProcess(kFakeEngine), 0);
    ASSERT_TRUE(waitUntil([&] { return launches() == 1; }));
    std::istringstream line(lines(launchLog)[0]);
    int pid = 0, session = 0;
    std::string cwd;
    line >> pid >> session >> cwd;
    EXPECT_NE(session, int(::getsid(0))); // not in the interface's session
    EXPECT_NE(session, pid);              // nor leading one, so it can never acquire a terminal
    EXPECT_EQ(fs::canonical(cwd), fs::canonical(QV_FAKE_ENGINE_DIR));
    // The engine is not our child: nothing is left to reap, no zombie stays behind.
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(LaunchTest, StartFailureReportsTheSystemErrorCode) {
    const std::string notExecutable = dir.file("quorvel-engine");
    std::ofstream(notExecutable) << "#!/bin/sh\n";
    ::chmod(notExecutable.c_str(), 0600);
    EXPECT_EQ(qv::link::os::startEngineProcess(notExecutable), EACCES);
    EXPECT_EQ(qv::link::os::startEngineProcess(dir.file("missing")), ENOENT);
}

TEST_F(LaunchTest, AutoStartLaunchesOnceThenOnlyAfter5000Ms) {
    make(options(true, QV_FAKE_ENGINE_DIR));
    core->start();
    ASSERT_TRUE(waitUntil([&] { return launches() == 1; }));
    // Many failed attempts (every 20 ms here) later, still one launch.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(launches(), 1u);
    now += 5000;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(launches(), 1u);
    now += 1;
    ASSERT_TRUE(waitUntil([&] { return launches() == 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(launches(), 2u);
    // The status stays "starting" in between: only the launches themselves report.
    EXPECT_EQ(statuses(),
              (std::vector<std::string>{"Запускаю движок QUORVEL…", "Запускаю движок QUORVEL…"}));
}

// Without auto start, without an engine next to the interface, or in a runtime folder others
// could write to, the status says why and nothing is started.
TEST_F(LaunchTest, StatusesWhenTheEngineCannotBeStarted) {
    struct Case {
        const char* name;
        bool autoStart;
        std::string interfaceDir;
        mode_t dirMode;
        std::string status;
    };
    const Case cases[] = {
        {"no auto start", false, QV_FAKE_ENGINE_DIR, 0700, "Движок QUORVEL не запущен"},
        {"not found", true, dir.path(), 0700,
         "Движок QUORVEL не найден рядом с интерфейсом (quorvel-engine)"},
        {"unsafe folder", true, QV_FAKE_ENGINE_DIR, 0777,
         "Папка связи с движком «" + dir.path() +
             "» небезопасна: она должна принадлежать вам и быть закрыта для записи другим"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::chmod(dir.path().c_str(), c.dirMode), 0);
        if (c.dirMode != 0700) { // not even a listening engine is used there
            ASSERT_TRUE(server.listen());
        }
        const std::size_t before = statuses().size();
        make(options(c.autoStart, c.interfaceDir));
        core->start();
        ASSERT_TRUE(waitUntil([&] { return statuses().size() > before; }));
        core.reset();
        ::chmod(dir.path().c_str(), 0700);
        for (std::size_t i = before; i < statuses().size(); ++i)
            EXPECT_EQ(statuses()[i], c.status);
        EXPECT_EQ(launches(), 0u);
    }
    EXPECT_EQ(count("connected"), 0);
}
