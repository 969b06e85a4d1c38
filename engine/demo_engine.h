#pragma once
// The demo engine: a complete simulated mixer (its world, its answers to every request, its
// running state and its level meters) without Qt and without I/O. DemoTransport runs it inside
// the interface; the stand-in engine process serves it over the real channel.

#include "config/commands.h"
#include "config/mixer_config.h"
#include "engine/meter_block.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// One endpoint of the simulated Windows, with the product tag the engine reports for it.
struct DemoEndpoint {
    EndpointInfo info;
    std::string tag; // "sink", "mic", "micFeed", "app"; empty for ordinary endpoints
};

struct DemoWorld {
    MixerConfig config;
    std::vector<DemoEndpoint> endpoints;
};

// The fixed demo world: microphones, applications, outputs and the simulated endpoint list.
DemoWorld makeDemoWorld(bool windowsDefault, bool driverPresent);

// The meters' noise generator: one linear congruential state for the whole process, so that
// every demo engine in it draws from the same sequence.
inline constexpr uint32_t kDemoNoiseSeed = 12345;
float nextDemoNoise();
void resetDemoNoise(uint32_t state = kDemoNoiseSeed);

// Compact UTF-8 JSON as the engine writes it: no whitespace, non-ASCII as is, invalid UTF-8
// replaced rather than thrown on.
std::string dumpMessage(const nlohmann::json& message);

// The answer to a request nested deeper than a message may be: an error, carrying the request's
// reqId when that could still be read from what `parseJsonText` kept of it.
nlohmann::json tooDeepReply(const nlohmann::json& pruned);

class DemoEngine {
public:
    DemoEngine(bool windowsDefault, bool driverPresent);

    // Handles one request and returns the messages it produces in the order they are sent:
    // the events the request caused, then its reply. A request that is not a JSON object
    // produces nothing; one nested too deeply is answered with tooDeepReply.
    std::vector<std::string> handle(std::string_view request, int64_t clockMs);
    std::vector<nlohmann::json> handle(const nlohmann::json& request, int64_t clockMs);

    // The periodic state event, produced only while a client is subscribed.
    std::vector<std::string> tick(int64_t clockMs) const;

    // Writes one meters snapshot into `out`. The sequence word stays 0: publishing the block
    // under the sequence protocol is the writer's job.
    void fillMeters(MeterBlock& out, int64_t clockMs);

    nlohmann::json state(int64_t clockMs) const;
    nlohmann::json endpointsPayload() const;
    nlohmann::json configPayload() const;

    bool subscribed() const { return subscribed_; }
    // Forgets the subscription of a client that went away; the next one subscribes again.
    void endSession() { subscribed_ = false; }

    const MixerConfig& config() const { return config_; }
    // Takes over a document read from elsewhere (the stand-in engine's saved file).
    void replaceConfig(MixerConfig config);
    // Increments at every change of the document, so a caller can tell when to save it.
    uint64_t configRevision() const { return revision_; }
    void setConfigPath(std::string path) { configPath_ = std::move(path); }

    const std::vector<DemoEndpoint>& endpoints() const { return endpoints_; }
    std::vector<EndpointInfo> endpointInfos() const;
    uint64_t meterFrame() const { return meterFrame_; }

private:
    using json = nlohmann::json;
    struct Output;

    void handleModelCommand(const json& request, const std::string& cmd, Output& out);
    void setWindowsDefault(const json& request, Output& out);
    void assignWindowsDefaults(Output& out);
    void demoCable(const json& request, Output& out);
    const DemoEndpoint* findEndpoint(std::string_view id) const;
    bool endpointActive(std::string_view id) const;
    bool passesLoopTest(const DemoEndpoint& e) const;

    bool driverPresent_;
    MixerConfig config_;
    std::vector<DemoEndpoint> endpoints_;
    bool issues_ = false;
    bool subscribed_ = false;
    uint64_t revision_ = 0;
    uint64_t meterFrame_ = 0;
    std::string configPath_;
    std::array<float, 64> phases_{};
};

} // namespace qv
