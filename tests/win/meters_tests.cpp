// The meters block across processes: a helper program creates and writes Local\QUORVEL.Meters the
// way the engine does, and the Win32 view maps it. Reading snapshots and refusing damaged ones
// are the portable core's tests.

#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

namespace qv::wintest {
namespace {

const std::filesystem::path kWriter = programFolder() / L"qv_block_writer.exe";

TEST(WinMeterView, MapsTheWholeBlockOfAnotherProcessReadOnlyAndRefusesAShortOne) {
    link::os::MeterView view;
    EXPECT_FALSE(view.open()); // no engine, no block

    {
        HelperProcess shortWriter(kWriter, L"meters 4096");
        ASSERT_EQ(shortWriter.command(""), "ok");
        EXPECT_FALSE(view.open());
        EXPECT_EQ(view.data(), nullptr);
    }

    HelperProcess writer(kWriter, L"meters");
    ASSERT_EQ(writer.command("publish 7"), "ok");
    ASSERT_TRUE(view.open());
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(view.data(), &info, sizeof info), 0u);
    EXPECT_EQ(info.Protect, DWORD(PAGE_READONLY));
    EXPECT_GE(info.RegionSize, kMeterBlockSize);
    const auto* block = reinterpret_cast<const MeterBlock*>(view.data());
    EXPECT_EQ(block->frame, 7u);
    EXPECT_STREQ(block->entries[127].id, "in:mic127"); // the last slot, at the block's end
    // The writer's later snapshots show through the same view.
    ASSERT_EQ(writer.command("publish 8"), "ok");
    EXPECT_EQ(block->frame, 8u);
    view.close();
    EXPECT_FALSE(view.isOpen());
}

} // namespace
} // namespace qv::wintest
