// Finding and starting the engine executable, and the launch rules of the connect loop.

#include "tests/engine/link_core_fixture.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

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
