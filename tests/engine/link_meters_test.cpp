// Reading the engine's meters block through a connected link.

#include "tests/engine/link_core_fixture.h"
#include "tests/support/meter_writer.h"

#include <cstdio>
#include <unistd.h>

using namespace qv::test;
using qv::MeterBlock;

class MetersTest : public LinkCoreTest {
protected:
    void SetUp() override {
        metersPath = dir.file(qv::link::kMetersFileName);
        startConnected();
    }
    bool read() { return core->readMeters(&out); }
    // The engine replaced its block: the old file is unlinked, a new one holds `frame`.
    std::unique_ptr<MeterWriter> replaceBlock(uint64_t frame) {
        std::remove(metersPath.c_str());
        auto writer = std::make_unique<MeterWriter>(metersPath);
        writer->publish(frame);
        return writer;
    }

    std::string metersPath;
    MeterBlock out{};
};

TEST_F(MetersTest, OnlyNewValidFramesAreDelivered) {
    EXPECT_FALSE(read()); // no file yet
    {
        MeterWriter shorter(metersPath, qv::kMeterBlockSize - 1);
        EXPECT_FALSE(read());
    }
    MeterWriter writer(metersPath);
    ASSERT_TRUE(writer.ok());
    writer.publish(7, 3, 0.25f);
    ASSERT_TRUE(read());
    EXPECT_EQ(out.frame, 7u);
    EXPECT_EQ(out.count, 3u);
    EXPECT_STREQ(out.entries[2].id, "in:2");
    EXPECT_FLOAT_EQ(out.entries[2].left, 0.25f);
    EXPECT_FALSE(read()); // same frame: nothing new

    struct Case {
        const char* name;
        void (*spoil)(MeterBlock*);
    };
    const Case rejected[] = {
        {"writer never finishes", [](MeterBlock* b) { b->sequence |= 1u; }},
        {"foreign magic", [](MeterBlock* b) { b->magic = 0x12345678; }},
        {"other version", [](MeterBlock* b) { b->version = 2; }},
        {"count over 128", [](MeterBlock* b) { b->count = 129; }},
    };
    uint64_t frame = 8;
    for (const auto& c : rejected) {
        SCOPED_TRACE(c.name);
        writer.publish(frame++, 3, 0.75f);
        c.spoil(writer.block());
        EXPECT_FALSE(read());
        // Validated in the link's own buffer: the rejected copy never reaches the caller.
        EXPECT_EQ(out.frame, 7u);
        EXPECT_FLOAT_EQ(out.entries[2].left, 0.25f);
    }
    writer.publish(frame, 128);
    ASSERT_TRUE(read());
    EXPECT_EQ(out.frame, frame);
    EXPECT_EQ(out.count, 128u);

    server.close();
    ASSERT_TRUE(waitUntil([&] { return !core->isConnected(); }));
    writer.publish(frame + 1);
    EXPECT_FALSE(read()); // not connected
}

// A tool that truncates the file under the mapping must not fault the interface: the block is
// then torn, and a whole block written later is read again.
TEST_F(MetersTest, TruncatedBlockIsTornNotAFault) {
    {
        MeterWriter writer(metersPath);
        writer.publish(1);
        ASSERT_TRUE(read());
    }
    ASSERT_EQ(::truncate(metersPath.c_str(), 64), 0);
    EXPECT_FALSE(read());
    const auto whole = replaceBlock(2);
    ASSERT_TRUE(read());
    EXPECT_EQ(out.frame, 2u);
}

// The engine may replace its block (a restart); the old mapping then never changes again. It is
// opened afresh after 1501 ms without a new frame, and at once on a new connection.
TEST_F(MetersTest, ReplacedBlockIsReopenedWhenStaleOrOnANewConnection) {
    auto old = std::make_unique<MeterWriter>(metersPath);
    old->publish(1);
    ASSERT_TRUE(read());
    auto replacement = replaceBlock(50);
    now += 1500;
    EXPECT_FALSE(read()); // still the old, unchanged block
    now += 1;
    ASSERT_TRUE(read());
    EXPECT_EQ(out.frame, 50u);

    replacement = replaceBlock(51);
    EXPECT_FALSE(read());
    server.dropClient();
    ASSERT_TRUE(waitUntil([&] { return count("connected") == 2 && core->isConnected(); }));
    ASSERT_TRUE(read());
    EXPECT_EQ(out.frame, 51u);
}

// A writer publishing as fast as it can: every accepted snapshot is internally consistent.
TEST_F(MetersTest, ConcurrentWriterNeverYieldsATornSnapshot) {
    MeterWriter writer(metersPath);
    ASSERT_TRUE(writer.ok());
    writer.publish(1, 128, 1.0f);
    std::atomic<bool> stop{false};
    std::thread publisher([&] {
        // Every 50 µs: far faster than an engine's ~60 frames a second.
        for (uint64_t frame = 2; !stop; ++frame) {
            writer.publish(frame, 128, float(frame));
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    int accepted = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (accepted < 200 && std::chrono::steady_clock::now() < deadline) {
        if (!read())
            continue;
        ++accepted;
        for (int i = 0; i < qv::kMeterSlots; ++i) {
            ASSERT_EQ(out.entries[i].left, float(out.frame)) << "frame " << out.frame << " " << i;
            ASSERT_EQ(out.entries[i].right, float(out.frame));
        }
    }
    stop = true;
    publisher.join();
    EXPECT_EQ(accepted, 200);
}
