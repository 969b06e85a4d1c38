// The runtime folder rules, and the link's refusal of an unsafe folder.

#include "tests/engine/link_core_fixture.h"

#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

using namespace qv::test;
namespace fs = std::filesystem;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

using RuntimeDirTest = LinkCoreTest;

TEST_F(RuntimeDirTest, ChoosesTheFolderByPriority) {
    const std::string xdg = dir.path() + "/xdg";
    const std::string own = dir.path() + "/own/";
    ASSERT_EQ(::mkdir(xdg.c_str(), 0700), 0);
    struct Case {
        const char* quorvel;
        const char* xdgValue;
        std::string expected;
    };
    const std::string tmp = "/tmp/quorvel-" + std::to_string(::getuid());
    const bool tmpExisted = fs::exists(tmp);
    const Case cases[] = {
        {own.c_str(), xdg.c_str(), dir.path() + "/own"}, // created, trailing slash dropped
        {"", xdg.c_str(), xdg},
        {nullptr, xdg.c_str(), xdg},
        {nullptr, "", tmp},
        {nullptr, nullptr, tmp},
    };
    for (const auto& c : cases) {
        ScopedEnv a("QUORVEL_RUNTIME_DIR", c.quorvel);
        ScopedEnv b("XDG_RUNTIME_DIR", c.xdgValue);
        const auto chosen = qv::link::runtimeDir();
        EXPECT_EQ(chosen.path, c.expected);
        EXPECT_TRUE(chosen.ok()) << chosen.error;
        EXPECT_EQ(modeOf(chosen.path) & 077, 0u) << chosen.path;
    }
    if (!tmpExisted)
        ::rmdir(tmp.c_str());
}

TEST_F(RuntimeDirTest, RefusesFoldersOthersCouldWriteTo) {
    const std::string target = dir.path() + "/target";
    struct Case {
        const char* name;
        mode_t mode;
        uid_t owner;
    };
    const Case cases[] = {
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
TEST_F(RuntimeDirTest, TmpFallbackRefusesALink) {
    const std::string tmp = "/tmp/quorvel-" + std::to_string(::getuid());
    struct stat st {};
    if (::lstat(tmp.c_str(), &st) == 0)
        GTEST_SKIP() << tmp << " exists already; not touching it";
    ASSERT_EQ(::symlink(dir.path().c_str(), tmp.c_str()), 0);
    ScopedEnv a("QUORVEL_RUNTIME_DIR", nullptr);
    ScopedEnv b("XDG_RUNTIME_DIR", nullptr);
    const auto chosen = qv::link::runtimeDir();
    ::unlink(tmp.c_str());
    EXPECT_FALSE(chosen.ok());
}
