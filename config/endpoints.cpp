// What an endpoint is (an ordinary device or one of the product's own driver endpoints), how
// the two sides of a virtual cable find each other, and the recent-endpoint lists.
#include "config/endpoints.h"
#include "config/commands_internal.h"

#include <algorithm>
#include <array>

namespace qv {
namespace {

constexpr size_t kRecentLimit = 16;
constexpr std::string_view kSoftwareDevicePrefix = "root#";

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return out;
}

// Voicemeeter names its recording sides differently from its playback sides.
struct RecordingEnd {
    std::string_view playback;
    std::string_view recording;
};
constexpr std::array<RecordingEnd, 3> kRecordingEnds{{
    {"voicemeeter input", "voicemeeter out b1"},
    {"voicemeeter aux input", "voicemeeter out b2"},
    {"voicemeeter vaio3 input", "voicemeeter out b3"},
}};

std::vector<std::string> wantedRecordingNames(const std::string& base) {
    std::vector<std::string> wanted;
    if (const size_t pos = base.rfind("input"); pos != std::string::npos)
        wanted.push_back(std::string(base).replace(pos, 5, "output"));
    for (const RecordingEnd& end : kRecordingEnds) {
        if (base == end.playback) {
            wanted.emplace_back(end.recording);
            break;
        }
    }
    return wanted;
}

} // namespace

EndpointClass classifyEndpoint(const EndpointInfo& e) {
    if (!e.hardwareId.starts_with(kSoftwareDevicePrefix))
        return {};
    const std::string& tag = e.topologyName;
    if (!e.render)
        return tag == "topologymic" ? EndpointClass{4, 0} : EndpointClass{};
    if (tag == "topologyquorvel")
        return {1, 0};
    if (tag == "topologymicfeed")
        return {2, 0};
    constexpr std::string_view appPrefix = "topologyapp";
    if (tag.size() == appPrefix.size() + 1 && tag.starts_with(appPrefix)) {
        const char digit = tag.back();
        if (digit >= '1' && digit <= '8')
            return {3, digit - '0'};
    }
    return {};
}

std::string endpointBaseName(std::string_view name) {
    const size_t pos = name.find(" (");
    return lowerAscii(pos == std::string_view::npos ? name : name.substr(0, pos));
}

std::string endpointDeviceName(std::string_view name) {
    const size_t pos = name.find(" (");
    if (pos == std::string_view::npos || !name.ends_with(')'))
        return {};
    const size_t first = pos + 2;
    return lowerAscii(name.substr(first, name.size() - 1 - first));
}

std::string recordingTwin(const std::vector<EndpointInfo>& endpoints, std::string_view renderId) {
    const EndpointInfo* playback = nullptr;
    for (const EndpointInfo& e : endpoints)
        if (e.render && e.id == renderId)
            playback = &e;
    if (!playback)
        return {};

    for (const std::string& wanted : wantedRecordingNames(endpointBaseName(playback->name))) {
        for (const EndpointInfo& e : endpoints)
            if (!e.render && e.active && endpointBaseName(e.name) == wanted)
                return e.id;
    }

    // A software device (a virtual cable) enumerates both sides under one hardware id; a
    // physical device may share it between several inputs, so only a unique match counts.
    if (!playback->hardwareId.starts_with(kSoftwareDevicePrefix))
        return {};
    const EndpointInfo* twin = nullptr;
    for (const EndpointInfo& e : endpoints) {
        if (e.render || !e.active || e.hardwareId != playback->hardwareId)
            continue;
        if (twin)
            return {};
        twin = &e;
    }
    return twin ? twin->id : std::string();
}

std::optional<EndpointInfo> findCableInput(const std::vector<EndpointInfo>& endpoints) {
    const EndpointInfo* first = nullptr;
    for (const EndpointInfo& e : endpoints) {
        if (!e.render || !e.active)
            continue;
        const std::string base = endpointBaseName(e.name);
        const bool looksLikeCable =
            base == "cable input" || endpointDeviceName(e.name) == "vb-audio virtual cable";
        if (!looksLikeCable || recordingTwin(endpoints, e.id).empty())
            continue;
        if (base == "cable input")
            return e;
        if (!first)
            first = &e;
    }
    if (first)
        return *first;
    return std::nullopt;
}

bool autoSetupVirtualMic(MixerConfig& config, const std::vector<EndpointInfo>& endpoints) {
    if (!config.settings.virtualMicAuto || config.findDevice(kVirtualMicId))
        return false;
    const std::optional<EndpointInfo> cable = findCableInput(endpoints);
    if (!cable)
        return false;
    const std::string twinId = recordingTwin(endpoints, cable->id);
    const auto twin = std::find_if(endpoints.begin(), endpoints.end(), [&](const EndpointInfo& e) {
        return !e.render && e.id == twinId;
    });
    if (twinId.empty() || twin == endpoints.end())
        return false;
    cmd::attachCableAsVirtualMic(config, *cable, *twin);
    return true;
}

void pushRecent(std::vector<std::string>& list, std::string_view id) {
    if (id.empty())
        return;
    std::erase(list, id);
    list.insert(list.begin(), std::string(id));
    if (list.size() > kRecentLimit)
        list.resize(kRecentLimit);
}

} // namespace qv
