// The demo engine's published payloads: running state, endpoint list and document.

#include "engine/demo_engine.h"

#include "config/endpoints.h"

namespace qv {

using nlohmann::json;

namespace {

bool isCableName(std::string_view name) {
    return endpointDeviceName(name) == "vb-audio virtual cable";
}

bool uses(const Source& s, std::string_view endpointId) {
    return !s.endpointId.empty() && s.endpointId == endpointId;
}

bool uses(const Device& d, std::string_view endpointId) {
    return (!d.endpointId.empty() && d.endpointId == endpointId) ||
           (!d.recordEndpointId.empty() && d.recordEndpointId == endpointId);
}

} // namespace

json DemoEngine::configPayload() const {
    json doc = json::parse(serializeConfig(config_), nullptr, false);
    return doc.is_discarded() ? json::object() : doc;
}

json DemoEngine::endpointsPayload() const {
    json list = json::array();
    for (const DemoEndpoint& e : endpoints_) {
        json inConfig = json::array();
        for (const Source& s : config_.sources) {
            if (uses(s, e.info.id))
                inConfig.push_back(s.id);
        }
        for (const Device& d : config_.devices) {
            if (uses(d, e.info.id))
                inConfig.push_back(d.id);
        }
        json item = {{"id", e.info.id},
                     {"name", e.info.name},
                     {"render", e.info.render},
                     {"active", e.info.active},
                     {"isDefault", e.info.isDefault},
                     {"hardwareId", e.info.hardwareId},
                     {"inConfig", std::move(inConfig)}};
        if (!e.tag.empty())
            item["quorvel"] = e.tag;
        list.push_back(std::move(item));
    }
    return list;
}

// Whether Windows playing into endpoint `e` would reach the virtual microphone.
bool DemoEngine::passesLoopTest(const DemoEndpoint& e) const {
    if (const Device* vmic = config_.findDevice(kVirtualMicId)) {
        if (!vmic->external)
            return false;
        return vmic->endpointId == e.info.id ||
               (isCableName(e.info.name) && isCableName(vmic->endpointName));
    }
    return config_.settings.virtualMicAuto && isCableName(e.info.name);
}

json DemoEngine::state(int64_t clockMs) const {
    json driver = {{"installed", driverPresent_}};
    if (driverPresent_) {
        json own = json::object();
        for (const DemoEndpoint& e : endpoints_) {
            if (e.tag == "sink" || e.tag == "mic" || e.tag == "micFeed")
                own[e.tag] = {
                    {"id", e.info.id}, {"name", e.info.name}, {"isDefault", e.info.isDefault}};
        }
        driver["endpoints"] = std::move(own);
        driver["appEndpoints"] = 4;
    }

    std::string loop;
    for (const DemoEndpoint& e : endpoints_) {
        if (e.info.render && e.info.active && e.info.isDefault && passesLoopTest(e))
            loop = e.info.name;
    }

    json listenOn = json::array();
    json micBypass = json::array();
    if (issues_) {
        micBypass.push_back(
            {{"mic", "in:demo-mic"},
             {"apps", json::array({{{"exe", "telegram.exe"}, {"name", "Telegram"}}})}});
        listenOn.push_back("CABLE Output (VB-Audio Virtual Cable)");
    }

    json sources = json::array();
    for (const Source& s : config_.sources) {
        json item = {{"id", s.id}, {"name", s.name}, {"kind", toString(s.kind)}};
        if (s.kind == SourceKind::App)
            item["playing"] = true;
        if (s.kind == SourceKind::PhysicalInput)
            item["available"] = endpointActive(s.endpointId);
        sources.push_back(std::move(item));
    }

    json devices = json::array();
    for (const Device& d : config_.devices) {
        const bool available = endpointActive(d.endpointId);
        json item = {{"id", d.id},
                     {"name", d.name},
                     {"available", available},
                     {"enabled", d.state != DeviceState::Disabled}};
        if (available)
            item["latencyMs"] = d.kind == DeviceKind::VirtualMic ? 6.0 : 9.8;
        devices.push_back(std::move(item));
    }

    return {{"latencyMs", 9.8},
            {"locked", true},
            {"cpu", {{"percentTotal", 0.4}, {"avgPercentTotal", 0.4}}},
            {"configPath", configPath_},
            {"uptimeSec", static_cast<double>(clockMs) / 1000.0},
            {"driver", std::move(driver)},
            {"windowsOutputLoop", loop},
            {"listenOn", std::move(listenOn)},
            {"micBypass", std::move(micBypass)},
            {"sources", std::move(sources)},
            {"devices", std::move(devices)}};
}

} // namespace qv
