// The engine link's Win32 primitives: the core over the real named pipe against an engine end
// created by the test, and the meters block written by another process. Reading snapshots and
// refusing damaged ones are the portable core's tests.

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

bool connectedTimes(Probe& probe, int times) {
    return probe.waitFor([times](const Probe& p) { return p.connected == times; });
}

// Bytes that differ from position to position, so a lost or repeated chunk shows.
std::string pattern(std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = char('a' + (i * 7 + i / 65536) % 26);
    return out;
}

// Leaving at the end, with a read outstanding, is prompt and no lost connection.
TEST(WinLink, ExchangesMessagesReconnectsWhenTheEngineDropsThePipeAndStopsPromptly) {
    PipeServer server;
    ASSERT_TRUE(server.valid());
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(connectedTimes(probe, 1));
    EXPECT_TRUE(core->isConnected());

    // Each send is one pipe message, in order.
    core->send(R"({"op":"ping","reqId":1})");
    core->send(R"({"op":"getConfig","reqId":2})");
    EXPECT_EQ(server.receive(), R"({"op":"ping","reqId":1})");
    EXPECT_EQ(server.receive(), R"({"op":"getConfig","reqId":2})");
    ASSERT_TRUE(server.send(R"({"event":"state"})"));
    ASSERT_TRUE(server.send(R"({"event":"config"})"));
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return p.messages.size() == 2; }));
    EXPECT_EQ(probe.messages,
              (std::vector<std::string>{R"({"event":"state"})", R"({"event":"config"})"}));

    server.disconnect();
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return !p.statuses.empty(); }));
    EXPECT_EQ(probe.statuses[0], link::kStatusLost);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(connectedTimes(probe, 2));
    core->send(R"({"op":"subscribe"})");
    EXPECT_EQ(server.receive(), R"({"op":"subscribe"})");

    const auto before = Clock::now();
    core.reset();
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(2000));
    EXPECT_TRUE(server.clientGone());
    EXPECT_EQ(probe.statuses.size(), 1u);
}

// Around the 65536-byte read size and over several reads; over the limit ends the connection.
TEST(WinLink, DeliversMessagesOfAnySizeWholeUpToTheLimit) {
    PipeServer server;
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    const std::size_t sizes[] = {1, 65535, 65536, 65537, 200000, 3};
    for (std::size_t size : sizes)
        ASSERT_TRUE(server.send(pattern(size))) << size;
    ASSERT_TRUE(probe.waitFor([&](const Probe& p) { return p.messages.size() == 6; }));
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        EXPECT_TRUE(probe.messages[i] == pattern(sizes[i])) << "message " << i;

    // Whether this write reports failure once the client has given up differs between systems;
    // what counts is the client side.
    server.send(std::string(link::kMaxMessageBytes + 1, 'x'), 20000);
    ASSERT_TRUE(probe.waitFor([](const Probe& p) { return !p.statuses.empty(); }));
    EXPECT_EQ(probe.statuses[0], link::kStatusLost);
    EXPECT_EQ(probe.messages.size(), 6u);
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
    EXPECT_TRUE(connectedTimes(probe, 1));
}

TEST(WinLink, StopEndsAWriteThatTheEngineNeverReads) {
    PipeServer server;
    Probe probe;
    auto core = startCore(probe);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(connectedTimes(probe, 1));
    // Far more than the pipe buffers: the write stays pending while nobody reads, and only the
    // second message still waits in the queue.
    core->send(pattern(8 * 1024 * 1024));
    core->send("behind it");
    ASSERT_TRUE(eventually([&] { return core->queuedMessages().size() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(core->queuedMessages(), std::vector<std::string>{"behind it"});

    const auto before = Clock::now();
    core.reset();
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(2000));
}

TEST(WinMeterView, MapsTheWholeBlockOfAnotherProcessReadOnlyAndRefusesAShortOne) {
    link::os::MeterView view;
    EXPECT_FALSE(view.open()); // no engine, no block

    {
        HelperProcess shortWriter(helperProgram(), L"meters 4096");
        ASSERT_EQ(shortWriter.command(""), "ok");
        EXPECT_FALSE(view.open());
        EXPECT_EQ(view.data(), nullptr);
    }

    HelperProcess writer(helperProgram(), L"meters");
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
