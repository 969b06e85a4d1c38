// The meters block across processes: a helper program creates and writes Local\QUORVEL.Meters the
// way the engine does, and the core reads it through the Win32 view. Damaged blocks are the
// portable core's tests.

#include "tests/win/win_test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace qv::wintest {
namespace {

const std::filesystem::path kWriter = programFolder() / L"qv_meters_writer.exe";

class WinMeters : public ::testing::Test {
protected:
    void SetUp() override {
        // Meters are read only while the engine is connected.
        link::LinkOptions options;
        options.autoStart = false;
        core_ = std::make_unique<link::LinkCore>(options, probe_.callbacks());
        core_->start();
        ASSERT_TRUE(server_.accept());
        ASSERT_TRUE(probe_.waitFor([](const Probe& p) { return p.connected == 1; }));
    }

    bool read(MeterBlock* out) { return core_->readMeters(out); }

    PipeServer server_;
    Probe probe_;
    std::unique_ptr<link::LinkCore> core_;
};

TEST_F(WinMeters, ReadsEachNewSnapshotOfAnotherProcessOnce) {
    HelperProcess writer(kWriter, L"");
    ASSERT_TRUE(writer.running());
    auto block = std::make_unique<MeterBlock>();
    ASSERT_EQ(writer.command("publish 1 3"), "ok");
    ASSERT_TRUE(read(block.get()));
    EXPECT_EQ(block->frame, 1u);
    EXPECT_EQ(block->count, 3u);
    EXPECT_STREQ(block->entries[2].id, "in:mic2");
    EXPECT_FLOAT_EQ(block->entries[2].left, 2.0f / 128.0f);

    EXPECT_FALSE(read(block.get())); // same frame: nothing new
    ASSERT_EQ(writer.command("publish 2 128"), "ok");
    ASSERT_TRUE(read(block.get()));
    EXPECT_EQ(block->frame, 2u);
    EXPECT_EQ(block->count, 128u);
    EXPECT_STREQ(block->entries[127].id, "in:mic127");
}

TEST(WinMeterView, MapsTheWholeBlockReadOnlyAndRefusesAShortOne) {
    link::os::MeterView view;
    EXPECT_FALSE(view.open()); // no engine, no block

    {
        HelperProcess shortWriter(kWriter, L"4096");
        ASSERT_EQ(shortWriter.command(""), "ok");
        EXPECT_FALSE(view.open());
        EXPECT_EQ(view.data(), nullptr);
    }

    HelperProcess writer(kWriter, L"");
    ASSERT_EQ(writer.command("publish 7 1"), "ok");
    ASSERT_TRUE(view.open());
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(VirtualQuery(view.data(), &info, sizeof info), 0u);
    EXPECT_EQ(info.Protect, DWORD(PAGE_READONLY));
    EXPECT_GE(info.RegionSize, kMeterBlockSize);
    EXPECT_EQ(reinterpret_cast<const MeterBlock*>(view.data())->frame, 7u);
    view.close();
    EXPECT_FALSE(view.isOpen());
}

} // namespace
} // namespace qv::wintest
