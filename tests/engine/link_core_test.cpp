// The link's connect loop, its message queue and framing against a fake engine server, and
// reading the engine's meters block through a connected link.

#include "tests/engine/link_core_fixture.h"
#include "tests/support/meter_writer.h"

#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace qv::test;
using qv::MeterBlock;
using qv::link::LinkCore;

namespace {

const std::string kLost = "status:Связь с движком потеряна — переподключаюсь…";

} // namespace

// The link connects, reconnects after the engine went away, and an outgoing message too large
// for a frame ends only that connection.
TEST_F(LinkCoreTest, ReconnectsAfterTheEngineGoesAwayOrAnOversizedSend) {
    startConnected();
    server.close();
    ASSERT_TRUE(waitUntil([&] { return count("status:Движок QUORVEL не запущен") >= 2; }));
    EXPECT_FALSE(core->isConnected());
    const auto afterLoss = log();
    EXPECT_EQ(std::vector<std::string>(afterLoss.begin(), afterLoss.begin() + 2),
              (std::vector<std::string>{"connected", kLost}));

    ASSERT_TRUE(server.listen());
    ASSERT_TRUE(waitUntil([&] { return count("connected") == 2; }));
    core->send(std::string(qv::link::kMaxMessageBytes + 1, 'x'));
    ASSERT_TRUE(waitUntil([&] { return count("connected") == 3; }));
    core->send("{\"cmd\":\"ping\"}");
    ASSERT_TRUE(waitUntil([&] { return server.receivedCount() == 1; }));
    EXPECT_EQ(server.received()[0], "{\"cmd\":\"ping\"}");
}

// Out of descriptors the link cannot make its wake-up objects: it says so instead of waiting
// silently for a connection that never comes. Only the construction runs under the limit (the
// sanitizers' own checks need descriptors too).
TEST(LinkCoreWakeup, MissingWakeupObjectsAreReportedAsAStatus) {
    std::vector<std::string> statuses;
    qv::link::LinkCallbacks callbacks;
    callbacks.disconnected = [&statuses](const std::string& s) { statuses.push_back(s); };
    qv::link::LinkOptions options;
    options.autoStart = false;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::dup(0);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = rlim_t(lowestFree); // every descriptor number allowed is taken
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    auto core = std::make_unique<LinkCore>(std::move(options), std::move(callbacks));
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    core->start();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_FALSE(statuses[0].empty());
    EXPECT_FALSE(core->isConnected());
}

// Large messages arrive whole and in order. Whatever the engine sends is handed over as bytes;
// judging it is the receiver's business.
TEST_F(LinkCoreTest, MessagesArriveWholeInOrderAndUntouched) {
    startConnected();
    const std::string big = "{\"pad\":\"" + std::string(200000 - 10, 'x') + "\"}";
    const std::vector<std::string> sent = {"{\"n\":1}", big, "not json", "[1,2]",
                                           std::string("\xff\xfe\0x", 4)};
    for (const auto& m : sent)
        server.sendFrame(m);
    ASSERT_TRUE(waitUntil([&] { return messages().size() == sent.size(); }));
    EXPECT_EQ(messages(), sent);
}

// While disconnected the queue keeps only the newest messages, and drops them all on connect.
TEST_F(LinkCoreTest, QueueKeepsTheNewest513AndDropsThemOnConnect) {
    make(options());
    for (int i = 0; i < 600; ++i)
        core->send("m" + std::to_string(i));
    const auto queued = core->queuedMessages();
    ASSERT_EQ(queued.size(), LinkCore::kMaxQueued);
    EXPECT_EQ(queued.front(), "m87");
    EXPECT_EQ(queued.back(), "m599");

    ASSERT_TRUE(server.listen());
    core->start();
    ASSERT_TRUE(waitUntil([&] { return count("connected") == 1; }));
    core->send("fresh");
    ASSERT_TRUE(waitUntil([&] { return server.receivedCount() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(server.received(), std::vector<std::string>{"fresh"});
}

TEST_F(LinkCoreTest, SendsReachTheEngineInOrderFromSeveralThreads) {
    startConnected();
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t)
        senders.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i)
                core->send(std::to_string(t) + ":" + std::to_string(i));
        });
    for (auto& s : senders)
        s.join();
    ASSERT_TRUE(waitUntil([&] { return server.receivedCount() == 300; }));
    int last[3] = {-1, -1, -1};
    for (const auto& m : server.received()) {
        const int t = m[0] - '0';
        EXPECT_EQ(std::stoi(m.substr(2)), last[t] + 1) << m;
        last[t] = std::stoi(m.substr(2));
    }
}

// A broken or hostile peer ends the connection; what came before is delivered, nothing after,
// and the link connects again. Which lengths are bad is the framing's business (framing_test).
TEST_F(LinkCoreTest, ProtocolViolationsEndTheConnection) {
    struct Case {
        const char* name;
        std::string bytes;
        bool thenClose; // the bad lengths end the connection on their own
    };
    const Case cases[] = {
        {"length zero", frameHeader(0) + "xx", false},
        {"frame cut mid-way", frameHeader(100) + "{\"partial\":", true},
    };
    ASSERT_TRUE(server.listen());
    make(options());
    core->start();
    int connections = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(waitUntil([&] { return count("connected") == connections; }));
        ASSERT_TRUE(waitUntil([&] { return server.accepted() == connections; }));
        const std::size_t before = messages().size();
        server.sendFrame("{\"before\":true}");
        server.sendRaw(c.bytes);
        if (c.thenClose)
            server.dropClient();
        ++connections;
        ASSERT_TRUE(waitUntil([&] { return count("connected") == connections; }));
        const auto got = messages();
        ASSERT_EQ(got.size(), before + 1);
        EXPECT_EQ(got.back(), "{\"before\":true}");
    }
    EXPECT_EQ(count(kLost), 2);
}

// Destruction stays prompt when the writer is blocked on a peer that never reads, and while
// the link waits a long time to retry.
TEST_F(LinkCoreTest, DestructionIsPromptAgainstAPeerThatNeverReadsOrWhileWaitingToRetry) {
    const auto promptlyDestroyed = [this] {
        const auto started = std::chrono::steady_clock::now();
        core.reset();
        return std::chrono::steady_clock::now() - started < std::chrono::milliseconds(500);
    };
    ASSERT_TRUE(server.listen());
    server.setReading(false);
    make(options());
    core->start();
    ASSERT_TRUE(waitUntil([&] { return server.hasClient() && core->isConnected(); }));
    const std::string chunk(256 * 1024, 'z');
    for (int i = 0; i < 64; ++i)
        core->send(chunk);
    // The socket buffers fill up and the writer blocks; the queue stops draining.
    ASSERT_TRUE(waitUntil([&] { return !core->queuedMessages().empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(core->queuedMessages().empty());
    EXPECT_TRUE(promptlyDestroyed());

    server.close();
    const int notRunning = count("status:Движок QUORVEL не запущен");
    auto o = options();
    o.retryMs = 60'000;
    make(o);
    core->start();
    ASSERT_TRUE(waitUntil([&] { return count("status:Движок QUORVEL не запущен") > notRunning; }));
    EXPECT_TRUE(promptlyDestroyed());
}

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
