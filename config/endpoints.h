#pragma once
// Endpoint classification, name helpers, the pairing of a virtual cable's two sides, the
// recent-endpoint lists and the automatic virtual-microphone set-up.

#include "config/commands.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct EndpointClass {
    int cls = 0;   // 0 ordinary, 1 mixer input, 2 virtual-mic feed, 3 per-app input, 4 own mic
    int index = 0; // for class 3: the application slot 1..8
};

EndpointClass classifyEndpoint(const EndpointInfo& e);

// Lower-case (ASCII) text before the first " (", or the whole name.
std::string endpointBaseName(std::string_view name);
// Lower-case (ASCII) text between the first " (" and the final ")", or empty.
std::string endpointDeviceName(std::string_view name);

// The id of the recording twin of playback endpoint `renderId`, or empty.
std::string recordingTwin(const std::vector<EndpointInfo>& endpoints, std::string_view renderId);

// The VB-CABLE playback endpoint, if any.
std::optional<EndpointInfo> findCableInput(const std::vector<EndpointInfo>& endpoints);

// The automatic form of setVirtualMic; returns whether the document changed.
bool autoSetupVirtualMic(MixerConfig& config, const std::vector<EndpointInfo>& endpoints);

// Moves `id` to the front of a recent list (unique, at most 16); an empty id is ignored.
void pushRecent(std::vector<std::string>& list, std::string_view id);

} // namespace qv
