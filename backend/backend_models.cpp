// Backend: the runtime inputs from the engine's "endpoints" and "state" messages, the row
// predicates and rebuildModels, which turns the mirror and those inputs into the list models
// and derived properties.
//
// The rows themselves are filled in here as the row building grows; until the engine has
// reported its running state every device counts as ok and every source as present.

#include "backend/backend.h"

#include "backend/list_model.h"

namespace qv::ui {

using Json = nlohmann::json;

namespace {

std::string textOr(const Json& obj, const char* key, std::string fallback = {}) {
    auto it = obj.find(key);
    return it != obj.end() && it->is_string() ? it->get<std::string>() : std::move(fallback);
}

bool boolOr(const Json& obj, const char* key, bool fallback) {
    auto it = obj.find(key);
    return it != obj.end() && it->is_boolean() ? it->get<bool>() : fallback;
}

} // namespace

QStringList Backend::channelRoleNames() {
    return {"id",     "kind",    "kindLabel",  "name",      "subtitle", "icon",
            "gainDb", "mute",    "solo",       "mono",      "gate",     "comp",
            "pan",    "noise",   "voice",      "collapsed", "chips",    "available",
            "isMic",  "targets", "hasTargets", "monitor",   "bypass",   "defaultIssue"};
}

QStringList Backend::sourceRoleNames() {
    return {"id",           "kind",      "kindLabel", "kindLong",   "name",      "visible",
            "hiddenManual", "onDevices", "onNames",   "playsCount", "icon",      "reason",
            "isSystem",     "isMic",     "isApp",     "targetsAll", "targetIds", "targets",
            "monitor",      "gainDb",    "mute"};
}

QStringList Backend::deviceRoleNames() {
    return {"id",           "kind",      "virt",           "name",          "endpointName",
            "ok",           "enabled",   "stateText",      "gainDb",        "mute",
            "mode",         "sources",   "autoAddNewApps", "latencyCompMs", "exclusiveMode",
            "align",        "removable", "error",          "latencyMs",     "playing",
            "playingCount", "collapsed", "eqBands",        "eqPreset",      "eqPresetName",
            "eqOn"};
}

// Every row and derived property is recomputed here at once, after every change of the mirror or
// of the runtime inputs, so QML never sees a half-updated mixer; `revision` then tells bindings
// that anything may have moved.
void Backend::rebuildModels() {
    ++m_revision;
    emit changed();
}

void Backend::applyEndpoints(const Json& payload) {
    if (!payload.is_array())
        return;
    m_endpoints.clear();
    m_endpointTags.clear();
    for (const Json& element : payload) {
        if (!element.is_object())
            continue;
        EndpointInfo e;
        e.id = textOr(element, "id");
        e.name = textOr(element, "name");
        e.hardwareId = textOr(element, "hardwareId");
        e.render = boolOr(element, "render", true);
        e.active = boolOr(element, "active", false);
        e.isDefault = boolOr(element, "isDefault", false);
        e.isDefaultComm = boolOr(element, "isDefaultComm", e.isDefault);
        auto tag = element.find("quorvel");
        if (tag != element.end() && tag->is_string())
            m_endpointTags[e.id] = tag->get<std::string>();
        m_endpoints.push_back(std::move(e));
    }
    rebuildModels();
}

void Backend::applyState(const Json& payload) {
    if (!payload.is_object())
        return;
    m_lastState = payload;
    emit stateChanged();
    rebuildModels();
}

bool Backend::deviceOk(const Device& d) const {
    return d.state != DeviceState::Disabled;
}

bool Backend::sourcePresent(const Source&) const {
    return true;
}

bool Backend::sourceVisible(const Source& s) const {
    if (s.ui.hidden)
        return false;
    return !m_config.settings.autoHideDisconnected || sourcePresent(s) || s.ui.alwaysShow;
}

bool Backend::anyMicVoiceOn() const {
    for (const Source& s : m_config.sources)
        if (s.kind == SourceKind::PhysicalInput && s.fx.voice.on)
            return true;
    return false;
}

QString Backend::monitorOutputName() const {
    // Physical devices come first in device order, so the first usable one is the answer.
    for (const Device& d : m_config.devices)
        if (d.kind == DeviceKind::Physical && d.state != DeviceState::Disabled && deviceOk(d))
            return QString::fromStdString(d.name);
    return {};
}

} // namespace qv::ui
