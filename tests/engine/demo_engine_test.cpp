// The demo engine's world, requests, events and state.

#include "config/endpoints.h"
#include "engine/demo_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qv {
namespace {

using nlohmann::json;

constexpr int64_t kNow = 2500;

json request(std::string cmd, json fields = json::object(), int reqId = 7) {
    fields["cmd"] = std::move(cmd);
    fields["reqId"] = reqId;
    return fields;
}

// The engine's answer to one request, split into its events and its reply.
struct Answer {
    std::vector<json> events;
    json reply;
};

Answer ask(DemoEngine& engine, json req) {
    std::vector<json> messages = engine.handle(req, kNow);
    Answer a;
    if (messages.empty())
        return a;
    a.reply = messages.back();
    messages.pop_back();
    a.events = std::move(messages);
    return a;
}

std::vector<std::string> eventNames(const Answer& a) {
    std::vector<std::string> names;
    for (const json& e : a.events)
        names.push_back(e.value("event", ""));
    return names;
}

std::vector<std::string> defaults(const DemoEngine& engine) {
    std::vector<std::string> ids;
    for (const DemoEndpoint& e : engine.endpoints()) {
        if (e.info.isDefault)
            ids.push_back(e.info.id);
    }
    return ids;
}

const json* findById(const json& list, std::string_view id) {
    for (const json& item : list) {
        if (item.value("id", "") == id)
            return &item;
    }
    return nullptr;
}

struct WorldCase {
    bool windowsDefault;
    bool driverPresent;
    std::vector<std::string> defaults;
};

class DemoWorldTest : public ::testing::TestWithParam<WorldCase> {};

TEST_P(DemoWorldTest, FlagsShapeTheWorld) {
    const WorldCase& c = GetParam();
    DemoEngine engine(c.windowsDefault, c.driverPresent);
    EXPECT_EQ(defaults(engine), c.defaults);
    EXPECT_EQ(engine.config().findDevice(kVirtualMicId) != nullptr, c.driverPresent);
    const json state = engine.state(kNow);
    EXPECT_EQ(state["driver"]["installed"], c.driverPresent);
    EXPECT_EQ(state["driver"].contains("endpoints"), c.driverPresent);

    // The driver's endpoints exist only with the driver, are reported with their product tag,
    // and the model's classification (which refuses them as strips) knows each of them.
    const json list = engine.endpointsPayload();
    bool anyProduct = false;
    for (const DemoEndpoint& e : engine.endpoints()) {
        const json* item = findById(list, e.info.id);
        ASSERT_NE(item, nullptr) << e.info.id;
        EXPECT_EQ(item->contains("quorvel"), !e.tag.empty()) << e.info.id;
        EXPECT_EQ(classifyEndpoint(e.info).cls != 0, !e.tag.empty()) << e.info.id;
        anyProduct = anyProduct || !e.tag.empty();
    }
    EXPECT_EQ(anyProduct, c.driverPresent);
}

INSTANTIATE_TEST_SUITE_P(Flags, DemoWorldTest,
                         ::testing::Values(WorldCase{true, true, {"demo-sink", "demo-vmic"}},
                                           WorldCase{false, true, {"demo-spk", "demo-mic"}},
                                           WorldCase{true, false, {"demo-spk", "demo-mic"}},
                                           WorldCase{false, false, {"demo-spk", "demo-mic"}}));

TEST(DemoEngineTest, AssignWindowsDefaultsMovesThemToTheProductEndpoints) {
    DemoEngine engine(false, true);
    ask(engine, request("subscribe", {{"on", true}}));
    const Answer a = ask(engine, request("assignWindowsDefaults"));
    EXPECT_EQ(a.reply["ok"], true);
    EXPECT_EQ(eventNames(a), std::vector<std::string>{"endpoints"});
    EXPECT_EQ(defaults(engine), (std::vector<std::string>{"demo-sink", "demo-vmic"}));
    EXPECT_EQ((*findById(a.events[0]["endpoints"], "demo-vmic"))["isDefault"], true);
}

TEST(DemoEngineTest, AssignWindowsDefaultsWithoutDriverIsRefused) {
    DemoEngine engine(true, false);
    ask(engine, request("subscribe", {{"on", true}}));
    const Answer a = ask(engine, request("assignWindowsDefaults"));
    EXPECT_EQ(a.reply["ok"], false);
    EXPECT_EQ(a.reply["error"], "драйвер QUORVEL не установлен");
    EXPECT_TRUE(a.events.empty());
    EXPECT_EQ(defaults(engine), (std::vector<std::string>{"demo-spk", "demo-mic"}));
}

TEST(DemoEngineTest, WindowsOutputOnTheCableThatFeedsTheMicIsALoop) {
    // Without the driver and with the automatic virtual microphone on, the cable is what
    // feeds the microphone.
    DemoEngine engine(true, false);
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], "");
    const Answer a = ask(engine, request("setWindowsDefault", {{"endpointId", "demo-cable-in"}}));
    EXPECT_EQ(a.reply["ok"], true);
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], "CABLE Input (VB-Audio Virtual Cable)");
    // Recording defaults are untouched.
    EXPECT_EQ(defaults(engine), (std::vector<std::string>{"demo-mic", "demo-cable-in"}));
}

TEST(DemoEngineTest, OwnVirtualMicMakesNoLoopUntilTheCableFeedsIt) {
    DemoEngine engine(true, true);
    ask(engine, request("setWindowsDefault", {{"endpointId", "demo-cable-in"}}));
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], "");

    ask(engine, request("setWindowsDefault", {{"endpointId", "demo-spk"}}));
    const Answer chosen =
        ask(engine,
            request("setVirtualMic", {{"endpointId", "demo-cable-in"}, {"recordEndpointId", ""}}));
    ASSERT_EQ(chosen.reply["ok"], true) << chosen.reply.dump();
    EXPECT_EQ(chosen.reply["recordEndpointId"], "demo-cable-out");
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], "");
    // The cable's two sides are now in use by the virtual microphone.
    const json list = engine.endpointsPayload();
    EXPECT_EQ((*findById(list, "demo-cable-out"))["inConfig"], json::array({"virtual_mic"}));

    ask(engine, request("setWindowsDefault", {{"endpointId", "demo-cable-in"}}));
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], "CABLE Input (VB-Audio Virtual Cable)");
}

TEST(DemoEngineTest, SetWindowsDefaultRefusesWhatCannotBeADefaultOutput) {
    DemoEngine engine(true, true);
    ask(engine, request("subscribe", {{"on", true}}));
    for (const char* id : {"nope", "demo-mic", "demo-usb", ""}) {
        const Answer a = ask(engine, request("setWindowsDefault", {{"endpointId", id}}));
        EXPECT_EQ(a.reply["ok"], false) << id;
        EXPECT_EQ(a.reply["error"], std::string("нет устройства вывода с ID «") + id + "»");
        EXPECT_TRUE(a.events.empty()) << id;
    }
    EXPECT_EQ(defaults(engine), (std::vector<std::string>{"demo-sink", "demo-vmic"}));
}

TEST(DemoEngineTest, InactiveMicrophoneIsUnavailable) {
    DemoEngine engine(true, true);
    const json state = engine.state(kNow);
    EXPECT_EQ((*findById(state["sources"], "in:demo-in3"))["available"], false);
    EXPECT_EQ((*findById(state["sources"], "in:demo-mic"))["available"], true);
    EXPECT_EQ((*findById(state["sources"], "app:chrome.exe"))["playing"], true);
    EXPECT_FALSE(findById(state["sources"], "system")->contains("available"));

    const json* usb = findById(state["devices"], "out:demo-usb");
    EXPECT_EQ((*usb)["available"], false);
    EXPECT_FALSE(usb->contains("latencyMs"));
    EXPECT_TRUE(findById(state["devices"], "out:demo-hp")->contains("latencyMs"));
    EXPECT_EQ(state["uptimeSec"], 2.5);
}

TEST(DemoEngineTest, RefusedModelCommandChangesNothingAndSendsNoEvent) {
    DemoEngine engine(true, true);
    ask(engine, request("subscribe", {{"on", true}}));
    const std::string before = serializeConfig(engine.config());
    const uint64_t revision = engine.configRevision();

    // The gain comes before the refused field, so a model run in place would keep it.
    const Answer a =
        ask(engine,
            request("setSource", {{"id", "app:chrome.exe"}, {"gainDb", -1}, {"monitor", true}}));
    EXPECT_EQ(a.reply["ok"], false);
    EXPECT_EQ(a.reply["error"], "«Слышать себя» — только для микрофона");
    EXPECT_EQ(a.reply["reqId"], 7);
    EXPECT_TRUE(a.events.empty());
    EXPECT_EQ(serializeConfig(engine.config()), before);
    EXPECT_EQ(engine.configRevision(), revision);
}

TEST(DemoEngineTest, UnknownCommandsAreNamed) {
    DemoEngine engine(true, true);
    for (const char* cmd : {"quit", "applyMicDefault", ""}) {
        const Answer a = ask(engine, request(cmd));
        EXPECT_EQ(a.reply["ok"], false);
        EXPECT_EQ(a.reply["error"], std::string("неизвестная команда «") + cmd + "»");
    }
}

TEST(DemoEngineTest, EventsOnlyWhileSubscribedAndBeforeTheReply) {
    DemoEngine engine(true, true);
    const json edit = request("setSource", {{"id", "app:chrome.exe"}, {"gainDb", -9}});
    Answer a = ask(engine, edit);
    EXPECT_TRUE(a.events.empty());
    EXPECT_EQ(a.reply["changed"], true);

    ask(engine, request("subscribe", {{"on", true}}));
    a = ask(engine, request("setSource", {{"id", "app:chrome.exe"}, {"gainDb", -12}}));
    ASSERT_EQ(eventNames(a), std::vector<std::string>{"config"});
    EXPECT_EQ(a.reply, (json{{"ok", true}, {"changed", true}, {"reqId", 7}}));
    const json& chrome = *findById(a.events[0]["config"]["sources"], "app:chrome.exe");
    EXPECT_EQ(chrome["gainDb"], -12.0);

    // The same value again changes nothing and pushes nothing.
    a = ask(engine, request("setSource", {{"id", "app:chrome.exe"}, {"gainDb", -12}}));
    EXPECT_TRUE(a.events.empty());
    EXPECT_EQ(a.reply["changed"], false);

    ask(engine, request("subscribe", {{"on", false}}));
    a = ask(engine, request("setSource", {{"id", "app:chrome.exe"}, {"gainDb", -3}}));
    EXPECT_TRUE(a.events.empty());
    EXPECT_TRUE(engine.tick(kNow).empty());
}

TEST(DemoEngineTest, EndpointCommandsPushConfigThenEndpoints) {
    DemoEngine engine(true, true);
    ask(engine, request("subscribe", {{"on", true}}));
    Answer a = ask(engine, request("addDevice", {{"endpointId", "demo-bt"}}));
    EXPECT_EQ(eventNames(a), (std::vector<std::string>{"config", "endpoints"}));
    EXPECT_EQ(a.reply["id"], "out:demo-bt");
    EXPECT_EQ((*findById(a.events[1]["endpoints"], "demo-bt"))["inConfig"],
              json::array({"out:demo-bt"}));

    a = ask(engine, request("removeSource", {{"id", "app:cs2.exe"}}));
    EXPECT_EQ(eventNames(a), (std::vector<std::string>{"config", "endpoints"}));

    a = ask(engine, request("toggleRoute", {{"source", "system"}, {"device", "out:demo-spk"}}));
    EXPECT_EQ(eventNames(a), std::vector<std::string>{"config"});
    EXPECT_EQ(a.reply["on"], false);
}

TEST(DemoEngineTest, DemoCableSetsUpTheVirtualMicWhenTheDriverIsMissing) {
    DemoEngine engine(true, false);
    ask(engine, request("subscribe", {{"on", true}}));
    Answer a = ask(engine, request("demoCable", {{"on", false}}));
    EXPECT_EQ(eventNames(a), std::vector<std::string>{"endpoints"});
    EXPECT_EQ((*findById(a.events[0]["endpoints"], "demo-cable-in"))["active"], false);

    a = ask(engine, request("demoCable", {{"on", true}}));
    EXPECT_EQ(eventNames(a), (std::vector<std::string>{"config", "endpoints"}));
    const Device* vmic = engine.config().findDevice(kVirtualMicId);
    ASSERT_NE(vmic, nullptr);
    EXPECT_TRUE(vmic->external);
    EXPECT_EQ(vmic->recordEndpointId, "demo-cable-out");
}

TEST(DemoEngineTest, ReqIdIsCopiedAsGiven) {
    DemoEngine engine(true, true);
    json req = {{"cmd", "ping"}, {"reqId", "abc"}};
    EXPECT_EQ(ask(engine, req).reply,
              (json{{"ok", true}, {"version", "demo"}, {"pid", 0}, {"reqId", "abc"}}));
    req.erase("reqId");
    EXPECT_FALSE(ask(engine, req).reply.contains("reqId"));
}

TEST(DemoEngineTest, NonObjectRequestsAreIgnored) {
    DemoEngine engine(true, true);
    for (const char* text : {"", "[1,2]", "\"ping\"", "{\"cmd\":", "42"})
        EXPECT_TRUE(engine.handle(std::string_view(text), kNow).empty()) << text;
}

TEST(DemoEngineTest, GetConfigRoundTrips) {
    DemoEngine engine(true, true);
    const json config = ask(engine, request("getConfig")).reply["config"];
    MixerConfig parsed;
    std::string error;
    ASSERT_TRUE(parseConfig(dumpMessage(config), parsed, error)) << error;
    EXPECT_EQ(serializeConfig(parsed), serializeConfig(engine.config()));
    EXPECT_EQ(config["devices"].size(), 4u);
}

TEST(DemoEngineTest, TickSendsTheStateWhileSubscribed) {
    DemoEngine engine(true, true);
    EXPECT_TRUE(engine.tick(kNow).empty());
    ask(engine, request("subscribe", {{"on", true}}));
    const auto ticks = engine.tick(4000);
    ASSERT_EQ(ticks.size(), 1u);
    const json event = json::parse(ticks[0]);
    EXPECT_EQ(event["event"], "state");
    EXPECT_EQ(event["state"]["uptimeSec"], 4.0);
    engine.endSession();
    EXPECT_TRUE(engine.tick(kNow).empty());
}

} // namespace
} // namespace qv
