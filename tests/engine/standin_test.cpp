// The stand-in engine process end to end: its socket, its meters file, its life cycle and its
// saved document, driven by a raw client in a private runtime folder.

#include "standin_support.h"

#include "config/mixer_config.h"
#include "engine/meter_block.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace qv::test {
namespace {

using nlohmann::json;

json ping(int reqId) {
    return json{{"cmd", "ping"}, {"reqId", reqId}};
}

// Whether `client` is served: a ping with `reqId` is answered within `timeout`.
bool served(RawClient& client, int reqId, Ms timeout = 3000ms) {
    if (!client.send(ping(reqId)))
        return false;
    const auto reply = client.reply(timeout);
    return reply && (*reply)["reqId"] == reqId;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A listening or stale socket at `path`, made by the test itself.
int bindSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class StandInTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.path().empty()); }
    // Sanitizer reports of the engine process land in its error output.
    void TearDown() override {
        const std::string output = engine.errorOutput();
        EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
        EXPECT_EQ(output.find("runtime error"), std::string::npos) << output;
    }

    // Starts the engine and connects a client to it.
    RawClient startAndConnect(const std::vector<std::string>& args = {}) {
        EXPECT_TRUE(engine.start(dir.path(), args));
        RawClient client;
        EXPECT_TRUE(client.connect(engineSocket(dir))) << engine.errorOutput();
        return client;
    }

    TempDir dir;
    EngineProcess engine;
};

TEST_F(StandInTest, AnswersRequestsAndPushesEventsAfterSubscribe) {
    RawClient client = startAndConnect();
    client.send(ping(1));
    const auto reply = client.reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, (json{{"ok", true}, {"version", "demo"}, {"pid", 0}, {"reqId", 1}}));

    client.send({{"cmd", "subscribe"}, {"on", true}, {"reqId", 3}});
    client.send({{"cmd", "setSource"}, {"id", "app:chrome.exe"}, {"gainDb", -5}, {"reqId", 4}});
    json m;
    ASSERT_EQ(client.read(m), RawClient::Read::Message);
    EXPECT_EQ(m["reqId"], 3);
    // The state event may come at any moment; the config event must precede the reply.
    std::vector<std::string> seen;
    bool stateSeen = false;
    while (client.read(m, 1500ms) == RawClient::Read::Message) {
        if (m.value("event", "") == "state") {
            stateSeen = true;
            EXPECT_TRUE(m["state"]["uptimeSec"].is_number());
        } else {
            seen.push_back(m.contains("event") ? m["event"].get<std::string>() : "reply");
        }
        if (stateSeen && seen.size() == 2)
            break;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"config", "reply"}));
    EXPECT_TRUE(stateSeen) << "no state event within the period";
}

// Every way of asking the engine to end: it ends with status 0 and removes its socket and meters
// file.
struct Ending {
    const char* command; // or nullptr: a signal
    int signo;
};

class EndingTest : public StandInTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(EndingTest, EndsCleanly) {
    RawClient client = startAndConnect();
    if (GetParam().command) {
        client.send({{"cmd", GetParam().command}, {"reqId", 11}});
        const auto reply = client.reply();
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, (json{{"ok", true}, {"reqId", 11}}));
    } else {
        ASSERT_TRUE(served(client, 1));
        engine.signal(GetParam().signo);
    }
    EXPECT_EQ(engine.waitExit(3000ms), 0);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Ways, EndingTest,
                         ::testing::Values(Ending{"quit", 0}, Ending{"shutdown", 0},
                                           Ending{nullptr, SIGTERM}, Ending{nullptr, SIGINT}));

TEST_F(StandInTest, SecondEngineRefusesToStart) {
    RawClient client = startAndConnect();
    EngineProcess second;
    ASSERT_TRUE(second.start(dir.path()));
    EXPECT_EQ(second.waitExit(3000ms), 1);
    EXPECT_FALSE(second.errorOutput().empty());
    // The first one is unharmed.
    EXPECT_TRUE(served(client, 2));
    EXPECT_TRUE(std::filesystem::exists(engineSocket(dir)));
}

TEST_F(StandInTest, AnotherProgramAnsweringOnTheSocketIsLeftAlone) {
    const int listener = bindSocket(engineSocket(dir));
    ASSERT_GE(listener, 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_TRUE(engine.start(dir.path()));
    EXPECT_EQ(engine.waitExit(3000ms), 1);
    EXPECT_TRUE(std::filesystem::exists(engineSocket(dir)));
    ::close(listener);
}

TEST_F(StandInTest, StaleSocketIsReplaced) {
    const int stale = bindSocket(engineSocket(dir));
    ASSERT_GE(stale, 0);
    ::close(stale); // the file stays, nobody listens
    RawClient client = startAndConnect();
    EXPECT_TRUE(served(client, 3));
}

TEST_F(StandInTest, HostileClientsLeaveTheEngineServingTheNext) {
    struct Case {
        const char* name;
        std::string bytes;
        bool expectClosed;
    };
    const Case cases[] = {
        {"length 0", frameHeader(0) + "{}", true},
        {"length over the limit", frameHeader(64u * 1024u * 1024u + 1u), true},
        {"cut frame", frameHeader(100) + R"({"cmd":"ping")", false},
        {"not objects",
         frameHeader(5) + "[1,2]" + frameHeader(3) + "\"x\"" + frameHeader(8) + "not json", false},
    };
    ASSERT_TRUE(engine.start(dir.path()));
    int reqId = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawClient hostile;
        ASSERT_TRUE(hostile.connect(engineSocket(dir)));
        ASSERT_TRUE(hostile.sendRaw(c.bytes));
        json m;
        if (c.expectClosed) {
            EXPECT_EQ(hostile.read(m), RawClient::Read::Closed);
        } else if (std::string_view(c.name) == "not objects") {
            // Ignored without a reply: the next answer on this connection is the ping's.
            EXPECT_TRUE(served(hostile, ++reqId));
        }
        hostile.close();

        RawClient next;
        ASSERT_TRUE(next.connect(engineSocket(dir)));
        EXPECT_TRUE(served(next, ++reqId));
    }
}

// Requests the engine cannot use as they are still get an answer, and the engine serves on.
TEST_F(StandInTest, RequestsTooDeepOrWithRepliesTooLargeAreAnsweredWithAnError) {
    RawClient client = startAndConnect();
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    ASSERT_TRUE(client.sendFrame(R"({"cmd":"ping","reqId":)" + deep + "}"));
    auto reply = client.reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)["ok"], false);
    EXPECT_FALSE(reply->contains("reqId"));
    ASSERT_TRUE(client.sendFrame(R"({"cmd":"ping","reqId":7,"pad":)" + deep + "}"));
    reply = client.reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)["ok"], false);
    EXPECT_EQ((*reply)["reqId"], 7);

    // The reply copies the id, which makes it just too large for a frame.
    const std::string id(64u * 1024u * 1024u - 30u, 'x');
    ASSERT_TRUE(client.sendFrame(R"({"cmd":"ping","reqId":")" + id + R"("})"));
    reply = client.reply(30000ms);
    ASSERT_TRUE(reply) << engine.errorOutput();
    EXPECT_EQ((*reply)["ok"], false);
    EXPECT_TRUE((*reply)["error"].is_string());

    EXPECT_TRUE(served(client, 8));
}

// A client that connects while another is served is served at once; the older one is let go.
TEST_F(StandInTest, NewClientIsServedAtOnce) {
    RawClient first = startAndConnect();
    ASSERT_TRUE(served(first, 1));
    RawClient second;
    ASSERT_TRUE(second.connect(engineSocket(dir)));
    EXPECT_TRUE(served(second, 2, 1000ms));
    json m;
    RawClient::Read r;
    while ((r = first.read(m, 3000ms)) == RawClient::Read::Message) {
    }
    EXPECT_EQ(r, RawClient::Read::Closed);
}

TEST_F(StandInTest, ClientThatNeverReadsIsDropped) {
    RawClient hostile = startAndConnect();
    // Each reply carries the request's id back: 1 MiB per reply, far more than the engine holds
    // for a client.
    const std::string request = json{{"cmd", "ping"}, {"reqId", std::string(1 << 20, 'x')}}.dump();
    int sent = 0;
    while (sent < 40 && hostile.sendFrame(request))
        ++sent;
    EXPECT_GT(sent, 10);

    RawClient next;
    ASSERT_TRUE(next.connect(engineSocket(dir)));
    EXPECT_TRUE(served(next, 1, 10000ms)) << engine.errorOutput();

    // What was already in the socket can still be read, then the connection ends.
    json m;
    RawClient::Read r;
    int read = 0;
    while ((r = hostile.read(m, 3000ms)) == RawClient::Read::Message)
        ++read;
    EXPECT_EQ(r, RawClient::Read::Closed);
    EXPECT_LT(read, sent);
}

// One consistent snapshot copied under the sequence protocol.
bool readSnapshot(const MeterBlock* shared, MeterBlock& out, uint32_t& sequence) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const uint32_t before = __atomic_load_n(&shared->sequence, __ATOMIC_ACQUIRE);
        if (before & 1u)
            continue;
        std::memcpy(&out, shared, sizeof out);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (__atomic_load_n(&shared->sequence, __ATOMIC_RELAXED) == before) {
            sequence = before;
            return true;
        }
    }
    return false;
}

TEST_F(StandInTest, MetersFileIsPublishedWithTheSequenceProtocol) {
    RawClient client = startAndConnect();
    struct stat st {};
    ASSERT_EQ(::stat(metersFile(dir).c_str(), &st), 0);
    EXPECT_EQ(st.st_size, static_cast<off_t>(kMeterBlockSize));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const int fd = ::open(metersFile(dir).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    void* view = ::mmap(nullptr, kMeterBlockSize, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    ASSERT_NE(view, MAP_FAILED);
    const auto* shared = static_cast<const MeterBlock*>(view);

    auto snapshot = std::make_unique<MeterBlock>();
    uint32_t first = 0, second = 0;
    ASSERT_TRUE(readSnapshot(shared, *snapshot, first));
    const uint64_t firstFrame = snapshot->frame;
    EXPECT_EQ(snapshot->magic, kMeterMagic);
    // Every published frame moved the sequence by two.
    EXPECT_EQ(first, 2 * firstFrame);

    std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(readSnapshot(shared, *snapshot, second));
    EXPECT_GT(snapshot->frame, firstFrame + 2);
    EXPECT_EQ(second, 2 * snapshot->frame);
    ::munmap(view, kMeterBlockSize);
}

TEST_F(StandInTest, ConfigIsSavedAfterEveryChangeAndReloaded) {
    TempDir folder;
    const std::string path = folder.file("config.json");
    {
        RawClient client = startAndConnect({"--config", path});
        client.send({{"cmd", "getState"}, {"reqId", 1}});
        const auto state = client.reply();
        ASSERT_TRUE(state);
        EXPECT_EQ((*state)["state"]["configPath"], path);
        EXPECT_FALSE(std::filesystem::exists(path)); // nothing changed yet

        client.send({{"cmd", "setSource"}, {"id", "app:chrome.exe"}, {"gainDb", -5}, {"reqId", 2}});
        ASSERT_TRUE(client.reply());
        MixerConfig saved;
        std::string error;
        ASSERT_TRUE(parseConfig(readFile(path), saved, error)) << error;
        ASSERT_NE(saved.findSource("app:chrome.exe"), nullptr);
        EXPECT_EQ(saved.findSource("app:chrome.exe")->gainDb, -5);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"config.json"});
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0077, 0u);

        client.send({{"cmd", "quit"}, {"reqId", 3}});
        ASSERT_TRUE(client.reply());
        ASSERT_EQ(engine.waitExit(3000ms), 0);
    }
    RawClient client = startAndConnect({"--config", path});
    client.send({{"cmd", "getConfig"}, {"reqId", 1}});
    const auto reply = client.reply();
    ASSERT_TRUE(reply);
    bool found = false;
    for (const json& s : (*reply)["config"]["sources"]) {
        if (s["id"] == "app:chrome.exe") {
            found = true;
            EXPECT_EQ(s["gainDb"], -5.0);
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(StandInTest, UnreadableConfigIsKeptAsideAndTheDemoDocumentServed) {
    TempDir folder;
    const std::string path = folder.file("config.json");
    std::ofstream(path) << "{broken";
    RawClient client = startAndConnect({"--config", path});
    client.send({{"cmd", "getConfig"}, {"reqId", 1}});
    const auto reply = client.reply();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)["config"]["sources"].size(), 8u);
    EXPECT_EQ(readFile(path + ".bad"), "{broken");
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Saving the demo document would replace a file that was never read: the engine does not start.
TEST_F(StandInTest, ConfigThatCannotBeReadOrMovedAsideStopsTheEngine) {
    TempDir folder;
    const std::string unreadable = folder.file("folder.json"); // reading a folder fails
    std::filesystem::create_directory(unreadable);
    const std::string stuck = folder.file("damaged.json"); // its ".bad" place is taken
    std::ofstream(stuck) << "{broken";
    std::filesystem::create_directories(stuck + ".bad/kept");
    for (const std::string& path : {unreadable, stuck}) {
        SCOPED_TRACE(path);
        EngineProcess process;
        ASSERT_TRUE(process.start(dir.path(), {"--config", path}));
        EXPECT_EQ(process.waitExit(5000ms), 1);
        EXPECT_NE(process.errorOutput().find(path), std::string::npos) << process.errorOutput();
    }
    EXPECT_TRUE(std::filesystem::is_directory(unreadable));
    EXPECT_EQ(readFile(stuck), "{broken");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

// The refusals of a world without the driver are the demo engine's; here only the option counts.
TEST_F(StandInTest, DemoOptionsShapeTheWorld) {
    RawClient client = startAndConnect({"--demo-not-default", "--demo-no-driver"});
    client.send({{"cmd", "listEndpoints"}, {"reqId", 1}});
    const auto reply = client.reply();
    ASSERT_TRUE(reply);
    ASSERT_FALSE((*reply)["endpoints"].empty());
    for (const json& e : (*reply)["endpoints"])
        EXPECT_FALSE(e.contains("quorvel")) << e.dump(); // no endpoint of the product's driver
}

TEST_F(StandInTest, UnknownOptionIsAUsageError) {
    ASSERT_TRUE(engine.start(dir.path(), {"--bogus"}));
    EXPECT_EQ(engine.waitExit(3000ms), 2);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

} // namespace
} // namespace qv::test
