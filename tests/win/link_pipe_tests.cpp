// The engine link over the real Windows named pipe: the core with the Win32 primitives against an
// engine end created by the test.

#include "tests/win/win_test_support.h"

#include "engine/framing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace qv::wintest {
namespace {

using link::LinkCore;
using Clock = std::chrono::steady_clock;

std::unique_ptr<LinkCore> startCore(Probe& probe) {
    link::LinkOptions options;
    options.autoStart = false;
    options.retryMs = 50;
    options.retryAfterLossMs = 50;
    auto core = std::make_unique<LinkCore>(options, probe.callbacks());
    core->start();
    return core;
}

// Bytes that differ from position to position, so a lost or repeated chunk shows.
std::string pattern(std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = char('a' + (i * 7 + i / 65536) % 26);
    return out;
}

TEST(WinLink, ExchangesMessagesAndReconnectsWhenTheEngineDropsThePipe) {
    PipeServer server;
    ASSERT_TRUE(server.valid());
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.connected == 1; }));
    EXPECT_TRUE(core->isConnected());

    // Each send is one pipe message, in order.
    core->send(R"({"op":"ping","reqId":1})");
    core->send(R"({"op":"getConfig","reqId":2})");
    EXPECT_EQ(server.receive(), R"({"op":"ping","reqId":1})");
    EXPECT_EQ(server.receive(), R"({"op":"getConfig","reqId":2})");
    ASSERT_TRUE(server.send(R"({"event":"state"})"));
    ASSERT_TRUE(server.send(R"({"event":"config"})"));
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.messages.size() == 2; }));
    EXPECT_EQ(probe.messages[0], R"({"event":"state"})");
    EXPECT_EQ(probe.messages[1], R"({"event":"config"})");

    server.disconnect();
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return !p.statuses.empty(); }));
    EXPECT_EQ(probe.statuses[0], link::kStatusLost);

    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.connected == 2; }));
    core->send(R"({"op":"subscribe"})");
    EXPECT_EQ(server.receive(), R"({"op":"subscribe"})");
}

TEST(WinLink, DeliversMessagesOfAnySizeWhole) {
    PipeServer server;
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    // Around the 65536-byte read size, and a message that needs several reads.
    const std::size_t sizes[] = {1, 65535, 65536, 65537, 200000, 3};
    for (std::size_t size : sizes)
        ASSERT_TRUE(server.send(pattern(size))) << size;
    ASSERT_TRUE(probe.waitFor([&](const Probe& p) { return p.messages.size() == 6; }));
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        EXPECT_TRUE(probe.messages[i] == pattern(sizes[i])) << "message " << i;
}

TEST(WinLink, WaitsForABusyPipeWithoutStartingTheEngine) {
    PipeServer server(1);
    // Another client holds the only instance.
    HANDLE other = CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(server.accept());

    link::os::Wakeup wake;
    const auto before = Clock::now();
    link::os::Channel::waitBusy(wake, LinkCore::kBusyWaitMs);
    const auto waited = Clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(150));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));

    Probe probe;
    auto core = startCore(probe);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(core->isConnected());
    // A busy engine is running: nothing may try to start another one.
    EXPECT_TRUE(probe.waitFor([](const Probe& p) { return p.launchChecks == 0; }, 0));

    CloseHandle(other);
    server.disconnect();
    ASSERT_TRUE(server.accept());
    EXPECT_TRUE(probe.waitFor([](const Probe& p) { return p.connected == 1; }));
}

TEST(WinLink, StopEndsAPendingReadPromptly) {
    PipeServer server;
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.connected == 1; }));

    const auto before = Clock::now();
    core.reset(); // the I/O thread sits in its wait with a read outstanding
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(2000));
    EXPECT_TRUE(server.clientGone());
    EXPECT_TRUE(probe.statuses.empty()); // leaving is not a lost connection
}

TEST(WinLink, StopEndsAWriteThatTheEngineNeverReads) {
    PipeServer server;
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.connected == 1; }));
    // Far more than the pipe buffers: the write stays pending while nobody reads.
    core->send(pattern(8 * 1024 * 1024));
    core->send("behind it");
    // The big one is being written (and stays so): only the second still waits in the queue.
    ASSERT_TRUE(eventually([&] { return core->queuedMessages().size() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(core->queuedMessages(), std::vector<std::string>{"behind it"});

    const auto before = Clock::now();
    core.reset();
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(2000));
}

TEST(WinLink, AMessageOverTheLimitEndsTheConnection) {
    PipeServer server;
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.connected == 1; }));

    // Whether this write reports failure once the client has given up differs between systems;
    // what counts is the client side.
    server.send(std::string(link::kMaxMessageBytes + 1, 'x'), 20000);
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return !p.statuses.empty(); }));
    EXPECT_EQ(probe.statuses[0], link::kStatusLost);
    EXPECT_TRUE(probe.messages.empty());
}

} // namespace
} // namespace qv::wintest
