// The stand-in engine process end to end: its socket, its meters file, its life cycle and its
// saved document, driven by a raw client in a private runtime folder.

#include "config/mixer_config.h"
#include "engine/meter_block.h"
#include "tests/support/framed_peer.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qv::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// quorvel-engine started with QUORVEL_RUNTIME_DIR = runtimeDir, its stderr kept in a file;
// killed at the end if it still runs.
class EngineProcess {
public:
    EngineProcess() = default;
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;
    ~EngineProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool start(const std::string& runtimeDir, std::vector<std::string> args = {}) {
        // The child inherits the environment as it is at the spawn; the tests run on one thread.
        const ScopedEnv runtime("QUORVEL_RUNTIME_DIR", runtimeDir.c_str());
        args.insert(args.begin(), QV_ENGINE_PATH);
        std::vector<char*> argv;
        for (std::string& s : args)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, stderrFile_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int rc =
            ::posix_spawn(&pid_, QV_ENGINE_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0)
            pid_ = -1;
        return rc == 0;
    }
    // The exit code once the process ended within `timeout` (-1 for a signal), else nothing.
    std::optional<int> waitExit(Ms timeout = 3000ms) {
        const bool ended =
            waitUntil([&] { return pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_; },
                      int(timeout.count()));
        if (!ended)
            return std::nullopt;
        pid_ = -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    void signal(int signo) { ::kill(pid_, signo); }
    std::string errorOutput() const { return readFile(stderrFile_); }

private:
    TempDir stderrDir_{"qv-engine-stderr"};
    std::string stderrFile_ = stderrDir_.file("stderr");
    pid_t pid_ = -1;
    int status_ = 0;
};

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

// The reply to `request` sent with `reqId`, or a discarded value.
json ask(RawClient& client, json request, const json& reqId, Ms timeout = 3000ms) {
    request["reqId"] = reqId;
    if (!client.send(request))
        return json(json::value_t::discarded);
    return client.reply(timeout).value_or(json(json::value_t::discarded));
}

// Whether `client` is served: a ping with `reqId` is answered within `timeout`.
bool served(RawClient& client, int reqId, Ms timeout = 3000ms) {
    const json reply = ask(client, {{"cmd", "ping"}}, reqId, timeout);
    return !reply.is_discarded() && reply["reqId"] == reqId;
}

// Reads until the connection ends; how many messages came before the end (-1: it did not end).
int readUntilClosed(RawClient& client) {
    json m;
    int read = 0;
    RawClient::Read r;
    while ((r = client.read(m, 3000ms)) == RawClient::Read::Message)
        ++read;
    return r == RawClient::Read::Closed ? read : -1;
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
        EXPECT_TRUE(client.connect(socket)) << engine.errorOutput();
        return client;
    }

    TempDir dir;
    const std::string socket = dir.file("QUORVEL.Engine");
    EngineProcess engine;
};

// Its meters block is read by the interface end to end (tst_engine_e2e); here only the file.
TEST_F(StandInTest, AnswersRequestsAndPushesEventsAfterSubscribe) {
    RawClient client = startAndConnect();
    struct stat meters {};
    ASSERT_EQ(::stat(dir.file("QUORVEL.Meters").c_str(), &meters), 0);
    EXPECT_EQ(meters.st_size, static_cast<off_t>(kMeterBlockSize));
    EXPECT_EQ(meters.st_mode & 0777, 0600u);
    EXPECT_EQ(ask(client, {{"cmd", "ping"}}, 1),
              (json{{"ok", true}, {"version", "demo"}, {"pid", 0}, {"reqId", 1}}));

    EXPECT_EQ(ask(client, {{"cmd", "subscribe"}, {"on", true}}, 3)["ok"], true);
    client.send({{"cmd", "setSource"}, {"id", "app:chrome.exe"}, {"gainDb", -5}, {"reqId", 4}});
    // The state event may come at any moment; the config event must precede the reply.
    std::vector<std::string> seen;
    bool stateSeen = false;
    json m;
    while (client.read(m, 1500ms) == RawClient::Read::Message) {
        if (m.value("event", "") == "state") {
            stateSeen = true;
            EXPECT_TRUE(m["state"]["uptimeSec"].is_number());
        } else {
            seen.push_back(m.value("event", "reply"));
        }
        if (stateSeen && seen.size() == 2)
            break;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"config", "reply"}));
    EXPECT_TRUE(stateSeen) << "no state event within the period";
}

// Every way of asking the engine to end: it ends with status 0 and removes its socket and meters
// file.
TEST_F(StandInTest, EndsCleanlyOnQuitShutdownAndSignals) {
    for (const auto& [command, signo] :
         {std::pair{"quit", 0}, {"shutdown", 0}, {"", SIGTERM}, {"", SIGINT}}) {
        SCOPED_TRACE(std::string(command) + std::to_string(signo));
        RawClient client = startAndConnect();
        if (signo == 0) {
            EXPECT_EQ(ask(client, {{"cmd", command}}, 11), (json{{"ok", true}, {"reqId", 11}}));
        } else {
            ASSERT_TRUE(served(client, 1));
            engine.signal(signo);
        }
        EXPECT_EQ(engine.waitExit(), 0);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{});
    }
}

// A second engine, or one finding another program answering on its socket, refuses to start
// and leaves the socket alone; a stale socket nobody listens on is replaced.
TEST_F(StandInTest, SocketOfAnotherProgramIsLeftAloneAStaleOneReplaced) {
    const int listener = bindSocket(socket);
    ASSERT_GE(listener, 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_TRUE(engine.start(dir.path()));
    EXPECT_EQ(engine.waitExit(), 1);
    EXPECT_TRUE(fs::exists(socket));
    ::close(listener); // the file stays, nobody listens

    RawClient client = startAndConnect();
    EXPECT_TRUE(served(client, 3));
    EngineProcess second;
    ASSERT_TRUE(second.start(dir.path()));
    EXPECT_EQ(second.waitExit(), 1);
    EXPECT_FALSE(second.errorOutput().empty());
    EXPECT_TRUE(served(client, 4)); // the first one is unharmed
    EXPECT_TRUE(fs::exists(socket));
}

TEST_F(StandInTest, HostileClientsLeaveTheEngineServingTheNext) {
    struct Case {
        const char* name;
        std::string bytes;
        bool expectClosed;
    };
    const Case cases[] = {
        {"length 0", frameHeader(0) + "{}", true},
        {"cut frame", frameHeader(100) + R"({"cmd":"ping")", false},
        {"not objects",
         frameHeader(5) + "[1,2]" + frameHeader(3) + "\"x\"" + frameHeader(8) + "not json", false},
    };
    ASSERT_TRUE(engine.start(dir.path()));
    int reqId = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawClient hostile;
        ASSERT_TRUE(hostile.connect(socket));
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
        ASSERT_TRUE(next.connect(socket));
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
    EXPECT_EQ(*reply, (json{{"ok", false}, {"reqId", 7}, {"error", (*reply)["error"]}}));

    // The reply copies the id, which makes it just too large for a frame.
    const json tooLarge =
        ask(client, {{"cmd", "ping"}}, std::string(64u * 1024u * 1024u - 30u, 'x'), 30000ms);
    ASSERT_FALSE(tooLarge.is_discarded()) << engine.errorOutput();
    EXPECT_EQ(tooLarge["ok"], false);
    EXPECT_TRUE(tooLarge["error"].is_string());
    EXPECT_TRUE(served(client, 8));
}

// A client that connects while another is served is served at once; the older one is let go.
TEST_F(StandInTest, NewClientIsServedAtOnce) {
    RawClient first = startAndConnect();
    ASSERT_TRUE(served(first, 1));
    RawClient second;
    ASSERT_TRUE(second.connect(socket));
    EXPECT_TRUE(served(second, 2, 1000ms));
    EXPECT_GE(readUntilClosed(first), 0);
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
    ASSERT_TRUE(next.connect(socket));
    EXPECT_TRUE(served(next, 1, 10000ms)) << engine.errorOutput();
    // What was already in the socket can still be read, then the connection ends.
    const int read = readUntilClosed(hostile);
    EXPECT_GE(read, 0);
    EXPECT_LT(read, sent);
}

TEST_F(StandInTest, ConfigIsSavedAfterEveryChangeAndReloaded) {
    TempDir folder;
    const std::string path = folder.file("config.json");
    {
        RawClient client = startAndConnect({"--config", path});
        EXPECT_EQ(ask(client, {{"cmd", "getState"}}, 1)["state"]["configPath"], path);
        EXPECT_FALSE(fs::exists(path)); // nothing changed yet

        ask(client, {{"cmd", "setSource"}, {"id", "app:chrome.exe"}, {"gainDb", -5}}, 2);
        MixerConfig saved;
        std::string error;
        ASSERT_TRUE(parseConfig(readFile(path), saved, error)) << error;
        ASSERT_NE(saved.findSource("app:chrome.exe"), nullptr);
        EXPECT_EQ(saved.findSource("app:chrome.exe")->gainDb, -5);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"config.json"});
        EXPECT_EQ(fs::status(path).permissions() & (fs::perms::group_all | fs::perms::others_all),
                  fs::perms::none);
        ask(client, {{"cmd", "quit"}}, 3);
        ASSERT_EQ(engine.waitExit(), 0);
    }
    RawClient client = startAndConnect({"--config", path});
    MixerConfig reloaded;
    std::string error;
    ASSERT_TRUE(
        parseConfig(ask(client, {{"cmd", "getConfig"}}, 1)["config"].dump(), reloaded, error));
    ASSERT_NE(reloaded.findSource("app:chrome.exe"), nullptr);
    EXPECT_EQ(reloaded.findSource("app:chrome.exe")->gainDb, -5);
}

TEST_F(StandInTest, UnreadableConfigIsKeptAsideAndTheDemoDocumentServed) {
    TempDir folder;
    const std::string path = folder.file("config.json");
    std::ofstream(path) << "{broken";
    RawClient client = startAndConnect({"--config", path});
    EXPECT_EQ(ask(client, {{"cmd", "getConfig"}}, 1)["config"]["sources"].size(), 8u);
    EXPECT_EQ(readFile(path + ".bad"), "{broken");
    EXPECT_FALSE(fs::exists(path));
}

// Saving the demo document would replace a file that was never read: the engine does not start.
// An unknown option is a usage error.
TEST_F(StandInTest, ConfigThatCannotBeReadOrMovedAsideStopsTheEngine) {
    TempDir folder;
    const std::string unreadable = folder.file("folder.json"); // reading a folder fails
    fs::create_directory(unreadable);
    const std::string stuck = folder.file("damaged.json"); // its ".bad" place is taken
    std::ofstream(stuck) << "{broken";
    fs::create_directories(stuck + ".bad/kept");
    for (const std::string& path : {unreadable, stuck}) {
        SCOPED_TRACE(path);
        EngineProcess process;
        ASSERT_TRUE(process.start(dir.path(), {"--config", path}));
        EXPECT_EQ(process.waitExit(5000ms), 1);
        EXPECT_NE(process.errorOutput().find(path), std::string::npos) << process.errorOutput();
    }
    EXPECT_TRUE(fs::is_directory(unreadable));
    EXPECT_EQ(readFile(stuck), "{broken");
    ASSERT_TRUE(engine.start(dir.path(), {"--bogus"}));
    EXPECT_EQ(engine.waitExit(), 2);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

// The refusals of a world without the driver are the demo engine's; here only the option counts.
TEST_F(StandInTest, DemoOptionsShapeTheWorld) {
    RawClient client = startAndConnect({"--demo-not-default", "--demo-no-driver"});
    const json endpoints = ask(client, {{"cmd", "listEndpoints"}}, 1)["endpoints"];
    ASSERT_FALSE(endpoints.empty());
    for (const json& e : endpoints)
        EXPECT_FALSE(e.contains("quorvel")) << e.dump(); // no endpoint of the product's driver
}

} // namespace
} // namespace qv::test
