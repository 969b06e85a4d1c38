// The capture preview's Windows mapping: created by PreviewBlock under the name the capture tool
// is given, written by a helper process the way the tool does, and read with the sequence
// protocol while the writer runs. Damaged frames are the portable reader's tests.

#include "tests/win/win_test_support.h"

#include "recorder/preview_block.h"
#include "recorder/preview_frame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace qv::wintest {
namespace {

using rec::FrameRead;

class WinPreview : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(block_.create(GetCurrentProcessId())) << block_.error();
        const std::string name = block_.name(); // ASCII
        writer_ = std::make_unique<HelperProcess>(
            helperProgram(), L"preview " + std::wstring(name.begin(), name.end()));
        ASSERT_TRUE(writer_->running());
    }

    FrameRead read() {
        return rec::readPreviewFrame(
            block_.data(), block_.size(), last_,
            [this](std::uint32_t w, std::uint32_t h) {
                pixels_.assign(std::size_t(w) * h, 0);
                width_ = w;
                return reinterpret_cast<unsigned char*>(pixels_.data());
            },
            &last_);
    }

    rec::PreviewBlock block_;
    std::unique_ptr<HelperProcess> writer_;
    std::uint32_t last_ = 0;
    std::uint32_t width_ = 0;
    std::vector<std::uint32_t> pixels_;
};

TEST_F(WinPreview, IsTheNamedMappingWithAFreshHeader) {
    EXPECT_EQ(block_.name(), "Local\\QuorvelPreview-" + std::to_string(GetCurrentProcessId()));
    EXPECT_EQ(block_.size(), 3686464u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block_.data()), 4), "QVPV");
    EXPECT_EQ(rec::loadPreviewWord(block_.data(), rec::kPreviewCapacityOffset), 3686400u);
    for (std::size_t offset = 8; offset < rec::kPreviewHeaderSize; offset += 4)
        EXPECT_EQ(rec::loadPreviewWord(block_.data(), offset), 0u) << offset;
    EXPECT_EQ(read(), FrameRead::Incomplete); // no frame yet

    // The name is held: a second block of the same process id is refused until it is free.
    rec::PreviewBlock second;
    EXPECT_FALSE(second.create(GetCurrentProcessId()));
    EXPECT_FALSE(second.valid());
    writer_->finish();
    block_.release();
    EXPECT_TRUE(second.create(GetCurrentProcessId())) << second.error();
}

TEST_F(WinPreview, TakesEachFrameOfAnotherProcessOnce) {
    const struct {
        std::uint32_t width, height, pixel;
        const char* command;
    } frames[] = {{64, 36, 0x00112233u, "frame 64 36 112233"},
                  {1280, 720, 0x00abcdefu, "frame 1280 720 abcdef"}};
    for (const auto& frame : frames) {
        ASSERT_EQ(writer_->command(frame.command), "ok");
        ASSERT_EQ(read(), FrameRead::Taken);
        EXPECT_EQ(width_, frame.width);
        ASSERT_EQ(pixels_.size(), std::size_t(frame.width) * frame.height);
        EXPECT_EQ(pixels_.back(), frame.pixel);
        EXPECT_EQ(read(), FrameRead::Unchanged);
    }
    EXPECT_EQ(last_, 4u);
}

TEST_F(WinPreview, NeverTakesAMixOfTwoFramesWhileTheWriterRuns) {
    ASSERT_EQ(writer_->command("stream 400"), "ok");
    int taken = 0;
    std::size_t mixed = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (taken < 20 && std::chrono::steady_clock::now() < deadline) {
        if (read() != FrameRead::Taken)
            continue;
        ++taken;
        for (std::uint32_t pixel : pixels_)
            mixed += pixel != pixels_[0];
        if (mixed)
            break;
    }
    EXPECT_EQ(writer_->command("join"), "ok");
    EXPECT_EQ(mixed, 0u);
    EXPECT_EQ(taken, 20);
}

} // namespace
} // namespace qv::wintest
