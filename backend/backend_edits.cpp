// Backend: the edit path (local apply, refusal, rebuild, send), the merging of live edits and
// the QML invokables built on it.

#include "backend/backend.h"

#include "backend/json_variant.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace qv::ui {

using Json = nlohmann::json;

namespace {

// The commands of the configuration model: the mirror applies them before they are sent.
bool isModelCommand(std::string_view cmd) {
    static constexpr std::array<std::string_view, 20> kModel = {
        "setSource",   "setDevice",     "toggleRoute",   "setDeviceAll", "toggleMicTarget",
        "setMicAll",   "setVirtualMic", "replaceDevice", "replaceInput", "saveScene",
        "updateScene", "applyScene",    "renameScene",   "deleteScene",  "addDevice",
        "addInput",    "removeDevice",  "removeSource",  "setSettings",  "setConfig"};
    for (std::string_view name : kModel)
        if (name == cmd)
            return true;
    return false;
}

std::string_view commandName(const Json& command) {
    if (!command.is_object())
        return {};
    auto it = command.find("cmd");
    if (it == command.end() || !it->is_string())
        return {};
    return it->get_ref<const std::string&>();
}

// Merges a newer live command into the stored one: objects member by member, anything else
// replaced, so {"fx": {"gate": 1}} followed by {"fx": {"comp": 2}} keeps both.
void mergeInto(Json& stored, const Json& newer) {
    for (auto it = newer.begin(); it != newer.end(); ++it) {
        auto have = stored.find(it.key());
        if (have != stored.end() && have->is_object() && it->is_object())
            mergeInto(*have, *it);
        else
            stored[it.key()] = *it;
    }
}

Json fieldsObject(const QVariantMap& fields) {
    Json obj = variantToJson(fields);
    return obj.is_object() ? obj : Json::object();
}

std::string utf8(const QString& s) {
    return s.toStdString();
}

} // namespace

// ---- The edit path ----

void Backend::sendEdit(const Json& command) {
    if (isModelCommand(commandName(command))) {
        // Applied to a copy: a command the model refuses may have stored some fields before the
        // refusal, and since nothing of it is sent, the mirror must not show them either.
        MixerConfig candidate = m_config;
        const CommandResult result = applyCommand(candidate, command, m_endpoints);
        if (result.handled && !result.ok) {
            refuseEdit(QString::fromStdString(result.error));
            return;
        }
        m_config = std::move(candidate);
        if (result.changed) {
            mirrorChanged();
            rebuildModels();
        }
    }
    sendRequest(command);
}

void Backend::refuseEdit(const QString& text) {
    showToast(text);
    emit editRefused(text);
}

void Backend::queueLiveEdit(const std::string& key, const Json& command) {
    // A refused live edit is still sent: the engine refuses it too, and its error reply shows
    // the text and brings the engine's document back into the mirror.
    const CommandResult result = applyCommand(m_config, command, m_endpoints);
    if (result.changed) {
        mirrorChanged();
        rebuildModels();
    }
    auto it = m_pendingEdits.find(key);
    if (it != m_pendingEdits.end())
        mergeInto(it->second, command);
    else
        m_pendingEdits.emplace(key, command);
    // Not restarted by later edits: a burst goes out at most flushMs after its first edit.
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void Backend::flushPendingEdits() {
    m_flushTimer.stop();
    std::map<std::string, Json> edits;
    edits.swap(m_pendingEdits);
    for (auto& [key, command] : edits)
        sendRequest(std::move(command)); // applied locally when queued
    applyDeferredConfigIfIdle();
}

void Backend::stripEdit(const char* cmd, const std::string& id, Json fields, bool live) {
    Json command = fields.is_object() ? std::move(fields) : Json::object();
    command["cmd"] = cmd;
    command["id"] = id;
    const std::string key = (std::string_view(cmd) == "setSource" ? "s|" : "d|") + id;
    if (live) {
        queueLiveEdit(key, command);
        return;
    }
    // The value on release must reach the engine after the drag's merged values.
    auto it = m_pendingEdits.find(key);
    if (it != m_pendingEdits.end()) {
        Json pending = std::move(it->second);
        m_pendingEdits.erase(it);
        sendRequest(std::move(pending));
    }
    sendEdit(command);
}

// ---- Strips and routing ----

void Backend::setSource(const QString& id, const QVariantMap& fields, bool live) {
    stripEdit("setSource", utf8(id), fieldsObject(fields), live);
}

void Backend::setDevice(const QString& id, const QVariantMap& fields, bool live) {
    stripEdit("setDevice", utf8(id), fieldsObject(fields), live);
}

void Backend::toggleRoute(const QString& source, const QString& device) {
    sendEdit({{"cmd", "toggleRoute"}, {"source", utf8(source)}, {"device", utf8(device)}});
}

void Backend::setDeviceAll(const QString& device, bool on) {
    sendEdit({{"cmd", "setDeviceAll"}, {"device", utf8(device)}, {"on", on}});
}

void Backend::toggleMicTarget(const QString& mic, const QString& app) {
    sendEdit({{"cmd", "toggleMicTarget"}, {"mic", utf8(mic)}, {"app", utf8(app)}});
}

void Backend::setMicAll(const QString& mic, bool on) {
    sendEdit({{"cmd", "setMicAll"}, {"mic", utf8(mic)}, {"on", on}});
}

void Backend::addDevice(const QString& endpointId) {
    sendEdit({{"cmd", "addDevice"}, {"endpointId", utf8(endpointId)}});
}

void Backend::addInput(const QString& endpointId) {
    sendEdit({{"cmd", "addInput"}, {"endpointId", utf8(endpointId)}});
}

void Backend::removeDevice(const QString& id) {
    sendEdit({{"cmd", "removeDevice"}, {"id", utf8(id)}});
}

void Backend::removeSource(const QString& id) {
    sendEdit({{"cmd", "removeSource"}, {"id", utf8(id)}});
}

void Backend::setOutputAdded(const QString& endpointId, bool on) {
    if (on) {
        addDevice(endpointId);
        return;
    }
    const std::string endpoint = utf8(endpointId);
    for (const Device& d : m_config.devices) {
        if (d.kind == DeviceKind::Physical && d.endpointId == endpoint) {
            removeDevice(QString::fromStdString(d.id));
            return;
        }
    }
}

void Backend::setInputAdded(const QString& endpointId, bool on) {
    if (on) {
        addInput(endpointId);
        return;
    }
    const std::string endpoint = utf8(endpointId);
    for (const Source& s : m_config.sources) {
        if (s.kind == SourceKind::PhysicalInput && s.endpointId == endpoint) {
            removeSource(QString::fromStdString(s.id));
            return;
        }
    }
}

// ---- Scenes and settings ----

void Backend::saveScene(const QString& name) {
    sendEdit({{"cmd", "saveScene"}, {"name", utf8(name.trimmed())}});
}

void Backend::updateScene(const QString& id) {
    sendEdit({{"cmd", "updateScene"}, {"id", utf8(id)}});
}

void Backend::applyScene(const QString& id) {
    sendEdit({{"cmd", "applyScene"}, {"id", utf8(id)}});
}

void Backend::deleteScene(const QString& id) {
    sendEdit({{"cmd", "deleteScene"}, {"id", utf8(id)}});
}

void Backend::renameScene(const QString& id, const QString& name) {
    sendEdit({{"cmd", "renameScene"}, {"id", utf8(id)}, {"name", utf8(name.trimmed())}});
}

void Backend::setSettings(const QVariantMap& fields) {
    Json command = fieldsObject(fields);
    command["cmd"] = "setSettings";
    sendEdit(command);
}

void Backend::setHotkey(const QString& action, const QString& spec) {
    const std::string name = utf8(action);
    const std::string keys = utf8(spec);
    Json hotkeys = {{name, keys}};
    // A key combination triggers at most one action: whoever had it loses it.
    if (!keys.empty()) {
        for (const auto& [other, bound] : m_config.settings.hotkeys)
            if (other != name && bound == keys)
                hotkeys[other] = "";
    }
    sendEdit({{"cmd", "setSettings"}, {"hotkeys", hotkeys}});
}

// ---- Visibility ----

void Backend::setSourceShown(const QString& id, bool on) {
    if (on)
        showSource(id);
    else
        hideSource(id);
}

void Backend::hideSource(const QString& id) {
    stripEdit("setSource", utf8(id), {{"ui", {{"hidden", true}, {"alwaysShow", false}}}}, false);
}

void Backend::showSource(const QString& id) {
    const std::string sid = utf8(id);
    Json ui = {{"hidden", false}, {"collapsed", false}};
    // Shown while absent only if asked for: it would otherwise be hidden again automatically.
    if (const Source* s = m_config.findSource(sid); s && !sourcePresent(*s))
        ui["alwaysShow"] = true;
    stripEdit("setSource", sid, {{"ui", ui}}, false);
}

void Backend::setAllCollapsed(bool collapsed) {
    // Ids first: every edit replaces the mirror, so no reference into it survives an edit.
    std::vector<std::string> channelIds;
    for (const Source& s : m_config.sources)
        if (s.kind == SourceKind::PhysicalInput && sourceVisible(s) && s.ui.collapsed != collapsed)
            channelIds.push_back(s.id);
    std::vector<std::string> deviceIds;
    for (const Device& d : m_config.devices)
        if (d.kind == DeviceKind::Physical && d.ui.collapsed != collapsed)
            deviceIds.push_back(d.id);
    const Json fields = {{"ui", {{"collapsed", collapsed}}}};
    for (const std::string& id : channelIds)
        stripEdit("setSource", id, fields, false);
    for (const std::string& id : deviceIds)
        stripEdit("setDevice", id, fields, false);
}

// ---- Microphones, voice, monitoring ----

void Backend::setMicMuted(bool muted) {
    std::vector<std::string> ids;
    for (const Source& s : m_config.sources)
        if (s.kind == SourceKind::PhysicalInput && s.mute != muted)
            ids.push_back(s.id);
    for (const std::string& id : ids)
        stripEdit("setSource", id, {{"mute", muted}}, false);
}

void Backend::setVoice(const QString& id, const QVariantMap& voice) {
    const std::string wanted = utf8(id);
    std::vector<std::string> ids;
    for (const Source& s : m_config.sources)
        if (s.kind == SourceKind::PhysicalInput && (wanted.empty() || s.id == wanted))
            ids.push_back(s.id);
    const Json fields = {{"fx", {{"voice", fieldsObject(voice)}}}};
    for (const std::string& sid : ids)
        stripEdit("setSource", sid, fields, false);
}

void Backend::toggleVoice() {
    const bool hasMicrophone =
        std::any_of(m_config.sources.begin(), m_config.sources.end(),
                    [](const Source& s) { return s.kind == SourceKind::PhysicalInput; });
    if (!hasMicrophone) {
        refuseEdit(QStringLiteral("Голос менять не на чем: добавьте микрофон — «Добавить» → "
                                  "«Микрофоны»"));
        return;
    }
    const bool wasOn = anyMicVoiceOn();
    setVoice(QString(), QVariantMap{{QStringLiteral("on"), !wasOn}});
    showToast(wasOn ? QStringLiteral("Изменение голоса выключено")
                    : QStringLiteral("Изменение голоса включено"));
}

void Backend::setMonitor(const QString& mic, bool on) {
    const QString output = monitorOutputName();
    if (on && output.isEmpty()) {
        showToast(QStringLiteral(
            "Чтобы слышать себя, добавьте наушники: «Добавить» → «Наушники и колонки»"));
        return;
    }
    const std::string micId = utf8(mic);
    // Checked before the other microphones are switched off: a refusal (a strip that is gone,
    // not a microphone) must leave them as they were.
    MixerConfig trial = m_config;
    const CommandResult check =
        applyCommand(trial, {{"cmd", "setSource"}, {"id", micId}, {"monitor", on}}, m_endpoints);
    if (check.handled && !check.ok) {
        refuseEdit(QString::fromStdString(check.error));
        return;
    }
    // Only one microphone is monitored at a time.
    std::vector<std::string> others;
    for (const Source& s : m_config.sources)
        if (s.kind == SourceKind::PhysicalInput && s.monitor && s.id != micId)
            others.push_back(s.id);
    for (const std::string& id : others)
        stripEdit("setSource", id, {{"monitor", false}}, false);
    stripEdit("setSource", micId, {{"monitor", on}}, false);
    // A refused edit has already shown why; the hint would hide that text.
    const Source* s = m_config.findSource(micId);
    if (on && s && s->monitor)
        showToast(QStringLiteral("Вы слышите себя в «%1» — только для проверки, потом выключите")
                      .arg(output));
}

// ---- Requests outside the model ----

void Backend::demoSetCable(bool present) {
    if (!demo())
        return;
    requestThenEndpoints({{"cmd", "demoCable"}, {"on", present}});
}

void Backend::demoSetIssues(bool on) {
    if (!demo())
        return;
    sendRequest({{"cmd", "demoIssues"}, {"on", on}});
}

} // namespace qv::ui
