// The preview block without Qt: the frame reader against damaged and changing frames (on a heap
// block of the exact size, so ASan sees any read outside it), and the POSIX block file.

#include "recorder/preview_block.h"
#include "recorder/preview_frame.h"
#include "tests/recorder/preview_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qv::rec {
namespace {

using rectest::publishPreviewFrame;
using rectest::storePreviewWord;
using rectest::writePreviewHeader;

// A block of exactly `size` bytes (whole words, so it can be read as words).
struct HeapBlock {
    explicit HeapBlock(std::size_t size = kPreviewBlockSize) : words(size / 4), size(size) {
        initPreviewHeader(data());
    }
    unsigned char* data() { return reinterpret_cast<unsigned char*>(words.data()); }
    std::vector<std::uint32_t> words;
    std::size_t size;
};

struct Sink {
    std::vector<unsigned char> pixels;
    int calls = 0;
    FrameTarget target() {
        return [this](std::uint32_t w, std::uint32_t h) {
            ++calls;
            pixels.assign(std::size_t(w) * h * 4, 0);
            return pixels.data();
        };
    }
};

// A header a correct writer would never publish; `capacity` 0 keeps the block's own word.
struct BadFrame {
    const char* name;
    std::size_t blockSize;
    std::uint32_t sequence, width, height, capacity;
    FrameRead expected;
};

TEST(PreviewFrame, SkipsDamagedFramesWithoutReadingOutsideTheBlock) {
    const std::size_t full = kPreviewBlockSize;
    const BadFrame cases[] = {
        {"sequence odd", full, 7, 4, 4, 0, FrameRead::Incomplete},
        {"no frame yet", full, 0, 4, 4, 0, FrameRead::Incomplete},
        {"zero width", full, 8, 0, 4, 0, FrameRead::BadSize},
        {"larger than the capacity", full, 8, 1281, 720, 0, FrameRead::BadSize},
        {"capacity word raised past the block", full, 8, 1281, 720, 0xffffffffu,
         FrameRead::BadSize},
        {"capacity word lowered", full, 8, 10, 10, 399, FrameRead::BadSize},
        // 65536 * 16384 * 4 = 2^32: 0 in 32-bit arithmetic.
        {"size wrapping 32 bits", full, 8, 65536, 16384, 0, FrameRead::BadSize},
        {"width * height wrapping 32 bits", full, 8, 0xffffffffu, 0xffffffffu, 0,
         FrameRead::BadSize},
        // A mapping shorter than the layout: the capacity word still claims the full area.
        {"short mapping", kPreviewHeaderSize + 400, 8, 20, 20, 0, FrameRead::BadSize},
        {"shorter than the header", 60, 0, 0, 0, 0, FrameRead::NoBlock},
        {"wrong magic", full, 8, 4, 4, 0, FrameRead::NoBlock},
    };
    for (const BadFrame& c : cases) {
        SCOPED_TRACE(c.name);
        HeapBlock block(std::max<std::size_t>(c.blockSize, kPreviewHeaderSize));
        if (c.capacity)
            storePreviewWord(block.data(), kPreviewCapacityOffset, c.capacity);
        writePreviewHeader(block.data(), c.sequence, c.width, c.height);
        if (c.expected == FrameRead::NoBlock && c.blockSize == full)
            storePreviewWord(block.data(), kPreviewMagicOffset, 0x56505650u);
        Sink sink;
        std::uint32_t sequence = 99;
        EXPECT_EQ(readPreviewFrame(block.data(), c.blockSize, 0, sink.target(), &sequence),
                  c.expected);
        EXPECT_EQ(sink.calls, 0);
        EXPECT_EQ(sequence, 99u);
    }
}

TEST(PreviewFrame, TakesEachCompleteFrameOnceUpToTheWholeArea) {
    HeapBlock block;
    publishPreviewFrame(block.data(), 1280, 720, 0x00a0b0c0u);
    Sink sink;
    std::uint32_t sequence = 0;
    ASSERT_EQ(readPreviewFrame(block.data(), block.size, 0, sink.target(), &sequence),
              FrameRead::Taken);
    EXPECT_EQ(sequence, 2u);
    ASSERT_EQ(sink.pixels.size(), kPreviewPixelBytes);
    // Memory order blue, green, red, unused - the last pixel of the area included.
    const unsigned char* last = sink.pixels.data() + kPreviewPixelBytes - 4;
    EXPECT_EQ(last[0], 0xc0);
    EXPECT_EQ(last[1], 0xb0);
    EXPECT_EQ(last[2], 0xa0);

    EXPECT_EQ(readPreviewFrame(block.data(), block.size, sequence, sink.target(), &sequence),
              FrameRead::Unchanged);
    publishPreviewFrame(block.data(), 2, 3, 7);
    EXPECT_EQ(readPreviewFrame(block.data(), block.size, sequence, sink.target(), &sequence),
              FrameRead::Taken);
    EXPECT_EQ(sequence, 4u);
    EXPECT_EQ(sink.pixels.size(), 2u * 3u * 4u);
}

TEST(PreviewFrame, DropsACopyThatTheWriterChangedMeanwhile) {
    HeapBlock block;
    publishPreviewFrame(block.data(), 8, 8, 1);
    std::vector<unsigned char> out;
    // The writer starts the next frame between the checks and the copy.
    const FrameTarget interrupted = [&](std::uint32_t w, std::uint32_t h) {
        rectest::beginPreviewFrame(block.data());
        out.resize(std::size_t(w) * h * 4);
        return out.data();
    };
    std::uint32_t sequence = 0;
    EXPECT_EQ(readPreviewFrame(block.data(), block.size, 0, interrupted, &sequence),
              FrameRead::Torn);
    EXPECT_EQ(sequence, 0u);
    EXPECT_EQ(readPreviewFrame(
                  block.data(), block.size, 0, [](auto, auto) { return nullptr; }, &sequence),
              FrameRead::Incomplete);

    publishPreviewFrame(block.data(), 8, 8, 2); // the writer finishes
    EXPECT_EQ(readPreviewFrame(
                  block.data(), block.size, 0, [](auto, auto) -> unsigned char* { return nullptr; },
                  &sequence),
              FrameRead::NoTarget);
}

class PreviewBlockFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-preview-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("QUORVEL_RUNTIME_DIR", dir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("QUORVEL_RUNTIME_DIR");
        ::chmod(dir_.c_str(), 0700);
        std::filesystem::remove_all(dir_);
    }
    std::string path(unsigned long pid) const {
        return dir_ + "/QuorvelPreview-" + std::to_string(pid);
    }
    static void writeText(const std::string& file, const char* text) {
        std::FILE* f = std::fopen(file.c_str(), "w");
        std::fputs(text, f);
        std::fclose(f);
    }
    std::string dir_;
};

TEST_F(PreviewBlockFile, IsAPrivateFileWithAFreshHeaderRemovedOnRelease) {
    for (const bool leftByACrashedRun : {false, true}) {
        if (leftByACrashedRun)
            writeText(path(4242), "QVPVold frame data");
        PreviewBlock block;
        ASSERT_TRUE(block.create(4242)) << block.error();
        EXPECT_EQ(block.name(), path(4242));
        struct stat st {};
        ASSERT_EQ(::stat(path(4242).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(std::size_t(st.st_size), kPreviewBlockSize);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()), 4), "QVPV");
        EXPECT_EQ(loadPreviewWord(block.data(), kPreviewCapacityOffset), 3686400u);
        for (std::size_t offset = kPreviewSequenceOffset; offset < kPreviewHeaderSize; offset += 4)
            EXPECT_EQ(loadPreviewWord(block.data(), offset), 0u) << offset;
        block.release();
        EXPECT_FALSE(block.valid());
        EXPECT_FALSE(std::filesystem::exists(path(4242)));
    }
}

TEST_F(PreviewBlockFile, RefusesANameInUseNotAPlainFileOfOursOrAnUnsafeFolder) {
    PreviewBlock first;
    ASSERT_TRUE(first.create(7));
    PreviewBlock second; // the same process id while the first one lives
    EXPECT_FALSE(second.create(7));
    EXPECT_EQ(loadPreviewWord(first.data(), 0), kPreviewMagic);

    const std::string victim = dir_ + "/victim";
    writeText(victim, "keep");
    ASSERT_EQ(::symlink(victim.c_str(), path(8).c_str()), 0);
    EXPECT_FALSE(second.create(8));
    EXPECT_TRUE(std::filesystem::is_symlink(path(8)));
    EXPECT_EQ(std::filesystem::file_size(victim), 4u);

    ASSERT_EQ(::mkdir(path(9).c_str(), 0700), 0);
    EXPECT_FALSE(second.create(9));
    EXPECT_TRUE(std::filesystem::is_directory(path(9)));

    // A runtime folder others may write to is refused, with the reason.
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    EXPECT_FALSE(second.create(12));
    EXPECT_FALSE(second.valid());
    EXPECT_FALSE(second.error().empty());
}

// The tool can truncate the file under the mapping; reading past its end would fault. A short
// file is read as torn, down to the header, and a whole one again once it has regrown.
TEST_F(PreviewBlockFile, AShortenedFileIsReadAsTornNotAFault) {
    PreviewBlock block;
    ASSERT_TRUE(block.create(13)) << block.error();
    publishPreviewFrame(block.data(), 640, 360, 0x11);
    Sink sink;
    std::uint32_t sequence = 0;
    for (const off_t length : {off_t(kPreviewHeaderSize + 1000), off_t(8), off_t(0)}) {
        SCOPED_TRACE(length);
        ASSERT_EQ(::truncate(path(13).c_str(), length), 0);
        EXPECT_NE(readPreviewFrame(block.data(), block.size(), 0, sink.target(), &sequence),
                  FrameRead::Taken);
    }
    ASSERT_EQ(::truncate(path(13).c_str(), off_t(kPreviewBlockSize)), 0);
    initPreviewHeader(block.data());
    publishPreviewFrame(block.data(), 640, 360, 0x22);
    EXPECT_EQ(readPreviewFrame(block.data(), block.size(), 0, sink.target(), &sequence),
              FrameRead::Taken);
}

} // namespace
} // namespace qv::rec
