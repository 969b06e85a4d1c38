// Endpoint classification, name helpers, the pairing of a cable's two sides, the cable search,
// the automatic virtual microphone and the recent lists.
#include "config/endpoints.h"

#include "model_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace qv;
using namespace qv::test;

TEST(EndpointClasses, FollowHardwareIdDirectionAndTag) {
    struct Case {
        const char* hardwareId;
        bool render;
        const char* tag;
        int cls, index;
    };
    const Case cases[] = {
        {"root#media#0000", true, "topologyquorvel", 1, 0},
        {"hdaudio#func_01", true, "topologyquorvel", 0, 0},
        {"ROOT#MEDIA#0000", true, "topologyquorvel", 0, 0},
        {"sw#root#x", true, "topologyquorvel", 0, 0},
        {"root#media#0000", true, "TopologyQuorvel", 0, 0},
        {"root#media#0000", false, "topologyquorvel", 0, 0},
        {"root#media#0000", true, "topologymicfeed", 2, 0},
        {"root#media#0000", true, "topologyapp1", 3, 1},
        {"root#media#0000", true, "topologyapp8", 3, 8},
        {"root#media#0000", true, "topologyapp9", 0, 0},
        {"root#media#0000", true, "topologyapp0", 0, 0},
        {"root#media#0000", true, "topologyapp33", 0, 0},
        {"root#media#0000", false, "topologyapp3", 0, 0},
        {"root#media#0000", false, "topologymic", 4, 0},
        {"root#media#0000", true, "topologymic", 0, 0},
    };
    for (const Case& c : cases) {
        EndpointInfo e = playback("id", "name", c.hardwareId, c.tag);
        e.render = c.render;
        const EndpointClass got = classifyEndpoint(e);
        EXPECT_EQ(got.cls, c.cls) << c.hardwareId << " " << c.tag << " " << c.render;
        EXPECT_EQ(got.index, c.index) << c.hardwareId << " " << c.tag;
    }
}

TEST(EndpointNames, BaseAndDeviceName) {
    struct Case {
        std::string name, base, device;
    };
    const Case cases[] = {
        {"CABLE Input (VB-Audio Virtual Cable)", "cable input", "vb-audio virtual cable"},
        {"Speakers", "speakers", ""},
        {"Mic (USB (2))", "mic", "usb (2)"},
        {"Line (Realtek) extra", "line", ""},
        {"Наушники (Realtek HD)", "Наушники", "realtek hd"}, // only ASCII letters are lowered
        {"A(B)", "a(b)", ""},
        {"X ()", "x", ""},
        {" (Y)", "", "y"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(endpointBaseName(c.name), c.base) << c.name;
        EXPECT_EQ(endpointDeviceName(c.name), c.device) << c.name;
    }
}

TEST(RecordingTwin, ByName) {
    const std::vector<EndpointInfo> eps = {
        playback("cab-in", "CABLE Input (VB-Audio Virtual Cable)", "root#cable"),
        inactive(recording("old-out", "CABLE Output (VB-Audio Virtual Cable)", "x")),
        recording("cab-out", "CABLE Output (VB-Audio Virtual Cable)", "y"),
        playback("aux-in", "Voicemeeter AUX Input (VB-Audio Voicemeeter VAIO)"),
        recording("b2", "Voicemeeter Out B2 (VB-Audio Voicemeeter VAIO)"),
        playback("in-in", "Input Input (Odd)"),
        recording("in-out", "Input Output (Odd)"),
        recording("in-out-2", "Output Input (Odd)"),
        playback("spk", "Speakers (Realtek)", "root#spk"),
    };
    EXPECT_EQ(recordingTwin(eps, "cab-in"), "cab-out"); // the inactive namesake is skipped
    EXPECT_EQ(recordingTwin(eps, "aux-in"), "b2");      // via the Voicemeeter table
    EXPECT_EQ(recordingTwin(eps, "in-in"), "in-out");   // only the last "input" is replaced
    EXPECT_EQ(recordingTwin(eps, "spk"), "");
    EXPECT_EQ(recordingTwin(eps, "cab-out"), ""); // a recording endpoint has no twin
    EXPECT_EQ(recordingTwin(eps, "missing"), "");

    // The renamed name is tried before the table's.
    std::vector<EndpointInfo> both = eps;
    both.push_back(recording("aux-out", "Voicemeeter AUX Output (VB-Audio Voicemeeter VAIO)"));
    EXPECT_EQ(recordingTwin(both, "aux-in"), "aux-out");

    // Of endpoints sharing an id, the last playback one is the one paired.
    const EndpointInfo dup[] = {playback("dup", "Speakers"), recording("dup", "CABLE Output"),
                                playback("dup", "CABLE Input")};
    EXPECT_EQ(recordingTwin({dup[0], dup[1], dup[2]}, "dup"), "dup");
    EXPECT_EQ(recordingTwin({dup[2], dup[1], dup[0]}, "dup"), "");
}

TEST(RecordingTwin, SoftwareHardwareIdFallback) {
    const auto play = [](std::string hw) {
        return playback("p", "Virtual Speaker", std::move(hw));
    };
    const EndpointInfo twin = recording("r1", "Virtual Mic", "root#vad#0001");
    const EndpointInfo other = recording("r2", "Another Mic", "root#vad#0001");

    EXPECT_EQ(recordingTwin({play("root#vad#0001"), twin}, "p"), "r1");
    EXPECT_EQ(recordingTwin({play("root#vad#0001"), twin, inactive(other)}, "p"), "r1");
    EXPECT_EQ(recordingTwin({play("root#vad#0001"), twin, other}, "p"), ""); // two: ambiguous
    EXPECT_EQ(recordingTwin(
                  {play("ROOT#vad#0001"), recording("r1", "Virtual Mic", "ROOT#vad#0001")}, "p"),
              ""); // the software prefix is compared case-sensitively
    EXPECT_EQ(recordingTwin({play("usb#vid_1"), recording("r1", "Virtual Mic", "usb#vid_1")}, "p"),
              ""); // hardware devices share ids between unrelated endpoints
}

TEST(FindCableInput, PrefersTheExactCableName) {
    const EndpointInfo hifi = playback("hifi", "Hi-Fi Cable Input (VB-Audio Virtual Cable)");
    const EndpointInfo hifiOut =
        recording("hifi-out", "Hi-Fi Cable Output (VB-Audio Virtual Cable)");
    const EndpointInfo cable = playback("cab", "CABLE Input (VB-Audio Virtual Cable)");
    const EndpointInfo cableOut = recording("cab-out", "CABLE Output (VB-Audio Virtual Cable)");
    const EndpointInfo lonely = playback("lonely", "CABLE Input (Other)");

    EXPECT_EQ(findCableInput({hifi, hifiOut, cable, cableOut})->id, "cab");
    EXPECT_EQ(findCableInput({hifi, hifiOut, inactive(cable), cableOut})->id, "hifi");
    EXPECT_EQ(findCableInput({lonely, hifi, hifiOut})->id, "hifi"); // no twin, no candidate
    EXPECT_EQ(findCableInput({cable, inactive(cableOut)}), std::nullopt);
    EXPECT_EQ(findCableInput({playback("spk", "Speakers"), recording("mic", "Mic")}), std::nullopt);
}

TEST(RecentLists, NewestFirstUniqueAtMostSixteen) {
    std::vector<std::string> list;
    for (const char* id : {"A", "B", "A", ""})
        pushRecent(list, id);
    EXPECT_EQ(list, (std::vector<std::string>{"A", "B"}));

    list = {"X", "Y", "X"};
    pushRecent(list, "X");
    EXPECT_EQ(list, (std::vector<std::string>{"X", "Y"}));

    list.clear();
    for (int i = 0; i < 17; ++i)
        pushRecent(list, "ep" + std::to_string(i));
    ASSERT_EQ(list.size(), 16u);
    EXPECT_EQ(list.front(), "ep16");
    EXPECT_EQ(list.back(), "ep1");
}

TEST(AutoVirtualMic, TakesTheCableOnceWhileAutomatic) {
    std::vector<EndpointInfo> eps = {
        playback("spk", "Speakers (Realtek)"),
        playback("cab", "CABLE Input (VB-Audio Virtual Cable)", "root#cable"),
        recording("cab-out", "CABLE Output (VB-Audio Virtual Cable)", "root#cable"),
    };
    MixerConfig c;
    c.sources = {microphone("m1"), microphone("m2"), application("game.exe")};
    const MixerConfig before = c;

    c.settings.virtualMicAuto = false;
    EXPECT_FALSE(autoSetupVirtualMic(c, eps));
    c.settings.virtualMicAuto = true;
    EXPECT_FALSE(autoSetupVirtualMic(c, {eps[0], eps[1]})); // no recording side, no cable
    EXPECT_EQ(serializeConfig(c), serializeConfig(before));

    ASSERT_TRUE(autoSetupVirtualMic(c, eps));
    const Device* mic = c.findDevice(kVirtualMicId);
    ASSERT_NE(mic, nullptr);
    EXPECT_TRUE(mic->external && mic->kind == DeviceKind::VirtualMic);
    EXPECT_EQ(mic->name, "CABLE Output (VB-Audio Virtual Cable)");
    EXPECT_EQ(mic->endpointId + " " + mic->recordEndpointId, "cab cab-out");
    EXPECT_TRUE(c.settings.virtualMicAuto);
    EXPECT_TRUE(c.sources[0].targets.allApps && c.sources[1].targets.allApps);
    EXPECT_FALSE(autoSetupVirtualMic(c, eps)); // the virtual microphone exists now

    // Microphones that already feed it are left as they are.
    c = before;
    c.sources[1].targets.apps = {"app:game.exe"};
    ASSERT_TRUE(autoSetupVirtualMic(c, eps));
    EXPECT_FALSE(c.sources[0].targets.allApps || c.sources[1].targets.allApps);
}

} // namespace
