// The runtime folder rules.

#include "engine/runtime_dir.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

using namespace qv::test;
namespace fs = std::filesystem;

namespace {

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
