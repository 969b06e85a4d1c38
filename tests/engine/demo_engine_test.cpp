// The demo engine's world, requests, events, state and meters block.

#include "config/endpoints.h"
#include "engine/demo_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <tuple>

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
    for (const DemoEndpoint& e : engine.endpoints())
        if (e.info.isDefault)
            ids.push_back(e.info.id);
    return ids;
}

const json* findById(const json& list, std::string_view id) {
    for (const json& item : list)
        if (item.value("id", "") == id)
            return &item;
    return nullptr;
}

TEST(DemoEngineTest, FlagsShapeTheWorld) {
    using Ids = std::vector<std::string>;
    const std::tuple<bool, bool, Ids> cases[] = {
        {true, true, {"demo-sink", "demo-vmic"}},
        {false, true, {"demo-spk", "demo-mic"}},
        {true, false, {"demo-spk", "demo-mic"}},
        {false, false, {"demo-spk", "demo-mic"}},
    };
    for (const auto& [windowsDefault, driver, expectedDefaults] : cases) {
        SCOPED_TRACE(std::to_string(windowsDefault) + std::to_string(driver));
        DemoEngine engine(windowsDefault, driver);
        EXPECT_EQ(defaults(engine), expectedDefaults);
        EXPECT_EQ(engine.config().findDevice(kVirtualMicId) != nullptr, driver);
        const json state = engine.state(kNow);
        EXPECT_EQ(state["driver"]["installed"], driver);
        EXPECT_EQ(state["driver"].contains("endpoints"), driver);

        // The driver's endpoints exist only with the driver, are reported with their product
        // tag, and the model's classification (which refuses them as strips) knows each of them.
        const json list = engine.endpointsPayload();
        bool anyProduct = false;
        for (const DemoEndpoint& e : engine.endpoints()) {
            const json* item = findById(list, e.info.id);
            ASSERT_NE(item, nullptr) << e.info.id;
            EXPECT_EQ(item->contains("quorvel"), !e.tag.empty()) << e.info.id;
            EXPECT_EQ(classifyEndpoint(e.info).cls != 0, !e.tag.empty()) << e.info.id;
            anyProduct = anyProduct || !e.tag.empty();
        }
        EXPECT_EQ(anyProduct, driver);
    }
}

// With and without the driver and the automatic virtual microphone on, the Windows output is a
// loop only on the cable that feeds the microphone.
TEST(DemoEngineTest, WindowsOutputOnTheCableThatFeedsTheMicIsALoop) {
    const std::string cable = "CABLE Input (VB-Audio Virtual Cable)";
    DemoEngine noDriver(true, false);
    EXPECT_EQ(noDriver.state(kNow)["windowsOutputLoop"], "");
    EXPECT_EQ(
        ask(noDriver, request("setWindowsDefault", {{"endpointId", "demo-cable-in"}})).reply["ok"],
        true);
    EXPECT_EQ(noDriver.state(kNow)["windowsOutputLoop"], cable);
    // Recording defaults are untouched.
    EXPECT_EQ(defaults(noDriver), (std::vector<std::string>{"demo-mic", "demo-cable-in"}));

    DemoEngine engine(true, true); // its own virtual microphone: the cable feeds nothing yet
    ask(engine, request("setWindowsDefault", {{"endpointId", "demo-cable-in"}}));
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], "");
    ask(engine, request("setWindowsDefault", {{"endpointId", "demo-spk"}}));
    const Answer chosen =
        ask(engine,
            request("setVirtualMic", {{"endpointId", "demo-cable-in"}, {"recordEndpointId", ""}}));
    ASSERT_EQ(chosen.reply["ok"], true) << chosen.reply.dump();
    EXPECT_EQ(chosen.reply["recordEndpointId"], "demo-cable-out");
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], "");
    EXPECT_EQ((*findById(engine.endpointsPayload(), "demo-cable-out"))["inConfig"],
              json::array({"virtual_mic"}));
    ask(engine, request("setWindowsDefault", {{"endpointId", "demo-cable-in"}}));
    EXPECT_EQ(engine.state(kNow)["windowsOutputLoop"], cable);
}

// A refused request changes nothing, sends no event and names its reason.
TEST(DemoEngineTest, RefusalsChangeNothingAndSendNoEvent) {
    const std::string noOutput = "нет устройства вывода с ID «";
    const struct {
        bool driver;
        json request;
        std::string error;
    } cases[] = {
        {false, request("assignWindowsDefaults"), "драйвер QUORVEL не установлен"},
        {true, request("setWindowsDefault", {{"endpointId", "nope"}}), noOutput + "nope»"},
        {true, request("setWindowsDefault", {{"endpointId", "demo-mic"}}), noOutput + "demo-mic»"},
        {true, request("setWindowsDefault", {{"endpointId", "demo-usb"}}), noOutput + "demo-usb»"},
        {true, request("setWindowsDefault", {{"endpointId", ""}}), noOutput + "»"},
        // The gain comes before the refused field, so a model run in place would keep it.
        {true, request("setSource", {{"id", "app:chrome.exe"}, {"gainDb", -1}, {"monitor", true}}),
         "«Слышать себя» — только для микрофона"},
        {true, request("quit"), "неизвестная команда «quit»"},
        {true, request("applyMicDefault"), "неизвестная команда «applyMicDefault»"},
        {true, request(""), "неизвестная команда «»"},
    };
    for (const auto& c : cases) {
        DemoEngine engine(true, c.driver);
        ask(engine, request("subscribe", {{"on", true}}));
        const std::string before = serializeConfig(engine.config());
        const uint64_t revision = engine.configRevision();
        const std::vector<std::string> defaultsBefore = defaults(engine);
        const Answer a = ask(engine, c.request);
        EXPECT_EQ(a.reply, (json{{"ok", false}, {"error", c.error}, {"reqId", 7}}));
        EXPECT_TRUE(a.events.empty()) << c.request.dump();
        EXPECT_EQ(serializeConfig(engine.config()), before) << c.request.dump();
        EXPECT_EQ(engine.configRevision(), revision) << c.request.dump();
        EXPECT_EQ(defaults(engine), defaultsBefore) << c.request.dump();
    }
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

// Events, and the state on every tick, only while subscribed; the session's end unsubscribes.
TEST(DemoEngineTest, EventsOnlyWhileSubscribedAndBeforeTheReply) {
    DemoEngine engine(true, true);
    Answer a = ask(engine, request("setSource", {{"id", "app:chrome.exe"}, {"gainDb", -9}}));
    EXPECT_TRUE(a.events.empty());
    EXPECT_EQ(a.reply["changed"], true);
    EXPECT_TRUE(engine.tick(kNow).empty());

    ask(engine, request("subscribe", {{"on", true}}));
    const auto ticks = engine.tick(4000);
    ASSERT_EQ(ticks.size(), 1u);
    const json event = json::parse(ticks[0]);
    EXPECT_EQ(event["event"], "state");
    EXPECT_EQ(event["state"]["uptimeSec"], 4.0);
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
    ask(engine, request("subscribe", {{"on", true}}));
    engine.endSession();
    EXPECT_TRUE(engine.tick(kNow).empty());
}

// Each command pushes the events of what it changed: the document, the endpoints, or both.
TEST(DemoEngineTest, CommandsPushTheEventsOfWhatTheyChange) {
    using Names = std::vector<std::string>;
    DemoEngine withDriver(false, true);
    DemoEngine noDriver(true, false);
    ask(withDriver, request("subscribe", {{"on", true}}));
    ask(noDriver, request("subscribe", {{"on", true}}));
    const struct {
        DemoEngine* engine;
        json request;
        Names events;
    } steps[] = {
        {&withDriver, request("assignWindowsDefaults"), {"endpoints"}},
        {&withDriver, request("addDevice", {{"endpointId", "demo-bt"}}), {"config", "endpoints"}},
        {&withDriver, request("removeSource", {{"id", "app:cs2.exe"}}), {"config", "endpoints"}},
        {&withDriver,
         request("toggleRoute", {{"source", "system"}, {"device", "out:demo-spk"}}),
         {"config"}},
        {&noDriver, request("demoCable", {{"on", false}}), {"endpoints"}},
        {&noDriver, request("demoCable", {{"on", true}}), {"config", "endpoints"}},
    };
    for (const auto& step : steps) {
        const Answer a = ask(*step.engine, step.request);
        EXPECT_EQ(a.reply["ok"], true) << step.request.dump();
        EXPECT_EQ(eventNames(a), step.events) << step.request.dump();
    }
    EXPECT_EQ(defaults(withDriver), (Names{"demo-sink", "demo-vmic"}));
    EXPECT_EQ((*findById(withDriver.endpointsPayload(), "demo-bt"))["inConfig"],
              json::array({"out:demo-bt"}));
    // Without the driver the cable coming back sets up the virtual microphone on it.
    const Device* vmic = noDriver.config().findDevice(kVirtualMicId);
    ASSERT_NE(vmic, nullptr);
    EXPECT_TRUE(vmic->external);
    EXPECT_EQ(vmic->recordEndpointId, "demo-cable-out");
}

// The reqId is copied as given; a request that is no object gets no answer at all.
TEST(DemoEngineTest, ReqIdIsCopiedAsGivenAndNonObjectsAreIgnored) {
    DemoEngine engine(true, true);
    json req = {{"cmd", "ping"}, {"reqId", "abc"}};
    EXPECT_EQ(ask(engine, req).reply,
              (json{{"ok", true}, {"version", "demo"}, {"pid", 0}, {"reqId", "abc"}}));
    req.erase("reqId");
    EXPECT_FALSE(ask(engine, req).reply.contains("reqId"));
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

class DemoMetersTest : public ::testing::Test {
protected:
    void SetUp() override { resetDemoNoise(); }
    std::unique_ptr<MeterBlock> block = std::make_unique<MeterBlock>();
};

// The levels are animation, so only what the meters rely on is checked: every source level is a
// linear amplitude in (0, 1], a mono source has equal sides, an inactive endpoint is silent, and
// the same noise seed gives the same block while time moves the levels.
TEST_F(DemoMetersTest, LevelsAreAmplitudesDrivenByTimeAndSeed) {
    DemoEngine engine(true, true);
    engine.fillMeters(*block, 1500);
    for (int i : {0, 1, 3, 7})
        for (float level : {block->entries[i].left, block->entries[i].right})
            EXPECT_TRUE(level > 0.0f && level <= 1.0f) << i << " " << level;
    EXPECT_EQ(block->entries[0].right, block->entries[0].left); // the USB microphone is mono
    EXPECT_NE(block->entries[1].right, block->entries[1].left);
    EXPECT_EQ(block->entries[2].left, 0.0f); // the webcam microphone's endpoint is inactive
    EXPECT_EQ(block->entries[2].right, 0.0f);

    auto again = std::make_unique<MeterBlock>();
    resetDemoNoise();
    DemoEngine(true, true).fillMeters(*again, 1500);
    EXPECT_EQ(std::memcmp(again->entries, block->entries, sizeof block->entries), 0);
    DemoEngine(true, true).fillMeters(*again, 4000);
    EXPECT_NE(again->entries[0].left, block->entries[0].left);
}

// Flags: 1 mono, 2 unavailable, 4 muted, 8 application. Devices sit after the sources.
TEST_F(DemoMetersTest, HeaderAndFlags) {
    DemoEngine engine(true, true);
    engine.fillMeters(*block, 0);
    EXPECT_EQ(block->magic, kMeterMagic);
    EXPECT_EQ(block->version, kMeterVersion);
    EXPECT_EQ(block->capacity, uint32_t(kMeterSlots));
    EXPECT_EQ(block->count, 12u);
    EXPECT_EQ(block->frame, 1u);
    EXPECT_EQ(block->entries[12].id[0], '\0');

    const struct {
        int slot;
        const char* id;
        uint32_t flags, mutedFlags; // mutedFlags 0: not muted here
    } entries[] = {{0, "in:demo-mic", 1, 5},      {2, "in:demo-in3", 3, 7},
                   {3, "app:discord.exe", 9, 13}, {4, "app:chrome.exe", 9, 0},
                   {7, "system", 1, 5},           {10, "out:demo-usb", 2, 0}};
    for (const auto& e : entries) {
        EXPECT_STREQ(block->entries[e.slot].id, e.id);
        EXPECT_EQ(block->entries[e.slot].flags, e.flags) << e.id;
        if (e.mutedFlags != 0) {
            const auto r =
                engine.handle(json{{"cmd", "setSource"}, {"id", e.id}, {"mute", true}}, 0);
            ASSERT_EQ(r.back()["ok"], true) << e.id;
        }
    }
    engine.fillMeters(*block, 100);
    for (const auto& e : entries)
        EXPECT_EQ(block->entries[e.slot].flags, e.mutedFlags ? e.mutedFlags : e.flags) << e.id;
}

TEST_F(DemoMetersTest, LongIdsAreCutOnACharacterBoundaryAndSlotsAreCapped) {
    DemoEngine engine(true, true);
    MixerConfig config = engine.config();
    Source longName;
    longName.id = "app:";
    for (int k = 0; k < 100; ++k)
        longName.id += "ж"; // two bytes each; 4 + 115 = 119 would split the 58th letter
    longName.exeName = longName.id.substr(4);
    config.sources.insert(config.sources.begin(), longName);
    for (int k = 0; k < 130; ++k) {
        Device d;
        d.id = "out:extra-" + std::to_string(k);
        config.devices.push_back(d);
    }
    engine.replaceConfig(config);
    engine.fillMeters(*block, 100);

    const std::string first(block->entries[0].id);
    EXPECT_EQ(first.size(), 118u);
    EXPECT_EQ(first, longName.id.substr(0, 118));
    EXPECT_EQ(block->count, 128u);
    EXPECT_STREQ(block->entries[127].id, "out:extra-114");
}

} // namespace
} // namespace qv
