// Backend: the plain properties QML binds to besides the three lists - Windows defaults, the
// endpoint pickers of the add dialog, the cable and virtual-microphone diagnostics, the
// microphone summary, the settings and the scene list. Computed in the second half of every
// rebuild, after the rows.

#include "backend/backend_internal.h"

#include "config/commands.h"
#include "config/endpoints.h"

#include <set>

namespace qv::ui {

using Json = nlohmann::json;

namespace {

QVariantMap endpointEntry(const EndpointInfo& e) {
    return OrderedMap()
        .add(QStringLiteral("endpointId"), qstr(e.id))
        .add(QStringLiteral("name"), qstr(e.name))
        .take();
}

// An add-dialog entry; keys in order (see OrderedMap).
QVariantMap pickerEntry(const QString& endpointId, const QString& id, const QString& label,
                        const QString& name, bool on, const QString& sub) {
    return OrderedMap()
        .add(QStringLiteral("endpointId"), endpointId)
        .add(QStringLiteral("id"), id)
        .add(QStringLiteral("label"), label)
        .add(QStringLiteral("name"), name)
        .add(QStringLiteral("on"), on)
        .add(QStringLiteral("sub"), sub)
        .take();
}

// The name of the last endpoint of the list with this id; empty when none.
QString endpointName(const std::vector<EndpointInfo>& endpoints, const std::string& id) {
    QString name;
    for (const EndpointInfo& e : endpoints)
        if (e.id == id)
            name = qstr(e.name);
    return name;
}

// An add-dialog entry for a strip whose endpoint Windows does not list at the moment.
QVariantMap absentStripEntry(const std::string& id, const std::string& name,
                             const std::string& endpointId, const std::string& endpointName) {
    const bool named = !endpointName.empty();
    return pickerEntry(qstr(endpointId), qstr(id),
                       named && endpointName != name ? qstr(name) : QString(),
                       qstr(named ? endpointName : name), true,
                       QStringLiteral("Сейчас не подключено — настройки сохранены"));
}

} // namespace

Backend::WindowsDefaults Backend::gatherWindowsDefaults() const {
    WindowsDefaults w;
    w.driverPresent = m_driverInstalled;
    const std::string& systemId = m_config.settings.systemEndpointId;
    for (const EndpointInfo& e : m_endpoints) {
        const auto tagIt = m_endpointTags.find(e.id);
        const std::string_view tag =
            tagIt == m_endpointTags.end() ? std::string_view() : std::string_view(tagIt->second);
        if (e.active && tagIt != m_endpointTags.end())
            w.driverPresent = true;
        if (e.isDefault && e.active) {
            if (e.render) {
                w.defaultOut = qstr(e.name);
                w.sinkDefault = tag == "sink";
            } else {
                w.defaultIn = qstr(e.name);
                w.micDefault = tag == "mic";
            }
        }
        if (e.active && e.render && (systemId.empty() ? e.isDefault : e.id == systemId))
            w.systemName = qstr(e.name);
    }
    return w;
}

void Backend::computeEndpointPickers(Derived& out) const {
    const std::string& systemId = m_config.settings.systemEndpointId;
    bool sinkActive = false;
    for (const EndpointInfo& e : m_endpoints) {
        auto tag = m_endpointTags.find(e.id);
        if (e.active && tag != m_endpointTags.end() && tag->second == "sink")
            sinkActive = true;
    }
    // Owners: the last strip of each kind on an endpoint (configuration order).
    std::map<std::string, const Source*> micOwner;
    for (const Source& s : m_config.sources)
        if (s.kind == SourceKind::PhysicalInput)
            micOwner[s.endpointId] = &s;
    std::map<std::string, const Device*> outputOwner;
    for (const Device& d : m_config.devices)
        if (d.kind == DeviceKind::Physical)
            outputOwner[d.endpointId] = &d;
    const Device* vm = m_config.findDevice(kVirtualMicId);
    const Device* externalVm = vm && vm->external ? vm : nullptr;

    auto listable = [this](const EndpointInfo& e) {
        return e.active && m_endpointTags.find(e.id) == m_endpointTags.end();
    };

    // The two ends of an outside cable may be any endpoint not already a strip, and not the
    // output the all-sounds source records (the voice would come back in the headphones).
    for (const EndpointInfo& e : m_endpoints) {
        if (!listable(e))
            continue;
        if (!e.render) {
            if (micOwner.count(e.id) == 0)
                out.cableInputs.append(endpointEntry(e));
            continue;
        }
        const bool system = e.id == systemId || (systemId.empty() && !sinkActive && e.isDefault);
        if (outputOwner.count(e.id) == 0 && !system)
            out.cableOutputs.append(endpointEntry(e));
    }

    // The add dialog: the outside cable's endpoints are the virtual microphone's, never strips.
    std::set<std::string> listedIn;
    std::set<std::string> listedOut;
    for (const EndpointInfo& e : m_endpoints) {
        if (!listable(e))
            continue;
        if (externalVm && (e.id == externalVm->endpointId || e.id == externalVm->recordEndpointId))
            continue;
        QString ownerId;
        QString ownerName;
        if (e.render) {
            out.renderEndpoints.append(endpointEntry(e));
            if (auto it = outputOwner.find(e.id); it != outputOwner.end()) {
                ownerId = qstr(it->second->id);
                ownerName = qstr(it->second->name);
            }
        } else if (auto it = micOwner.find(e.id); it != micOwner.end()) {
            ownerId = qstr(it->second->id);
            ownerName = qstr(it->second->name);
        }
        const QString name = qstr(e.name);
        QString sub = QStringLiteral("Подключено");
        if (e.isDefault)
            sub = e.render ? QStringLiteral("Подключено · по умолчанию в Windows")
                           : QStringLiteral("Подключено · микрофон Windows по умолчанию");
        QVariantMap entry =
            pickerEntry(qstr(e.id), ownerId, ownerName != name ? ownerName : QString(), name,
                        !ownerId.isEmpty(), sub);
        if (e.render) {
            out.outputsList.append(std::move(entry));
            listedOut.insert(e.id);
        } else {
            out.inputsList.append(std::move(entry));
            listedIn.insert(e.id);
        }
    }
    for (const Device& d : m_config.devices)
        if (d.kind == DeviceKind::Physical && listedOut.count(d.endpointId) == 0)
            out.outputsList.append(absentStripEntry(d.id, d.name, d.endpointId, d.endpointName));
    for (const Source& s : m_config.sources)
        if (s.kind == SourceKind::PhysicalInput && listedIn.count(s.endpointId) == 0)
            out.inputsList.append(absentStripEntry(s.id, s.name, s.endpointId, s.endpointName));
}

// The scene list only changes with the mirror; comparing the current scene with the live mix
// serialises the whole document, so it is not redone for every engine state message.
void Backend::computeScenes(Derived& out) {
    if (m_scenesGeneration == m_configGeneration) {
        out.scenes = m_derived.scenes;
        out.currentSceneName = m_derived.currentSceneName;
        out.sceneModified = m_derived.sceneModified;
        return;
    }
    m_scenesGeneration = m_configGeneration;
    const Json list = Json::parse(m_config.scenes, nullptr, false);
    if (list.is_discarded() || !list.is_array())
        return;
    bool found = false;
    for (const Json& scene : list) {
        if (!scene.is_object())
            continue;
        auto text = [&scene](const char* key) {
            auto it = scene.find(key);
            return it != scene.end() && it->is_string() ? it->get<std::string>() : std::string();
        };
        const std::string id = text("id");
        const bool current = id == m_config.settings.currentScene;
        bool modified = false;
        if (current) {
            auto stored = scene.find("config");
            modified = stored == scene.end() || *stored != sceneSnapshot(m_config);
        }
        const QString name = qstr(text("name"));
        out.scenes.append(QVariantMap{{QStringLiteral("id"), qstr(id)},
                                      {QStringLiteral("name"), name},
                                      {QStringLiteral("current"), current},
                                      {QStringLiteral("modified"), modified}});
        if (current && !found) {
            found = true;
            out.currentSceneName = name;
            out.sceneModified = modified;
        }
    }
}

void Backend::computeDerived(const RowContext& ctx, const QList<QVariantMap>& channelRows,
                             Derived& out) {
    const WindowsDefaults& w = ctx.windows;

    // Outputs: what is broken, where monitoring plays, whether the voice has a way out.
    QVariantList placeholderChips;
    for (size_t i = 0; i < ctx.deviceOrder.size(); ++i) {
        const Device& d = *ctx.deviceOrder[i];
        const bool enabled = d.state != DeviceState::Disabled;
        const bool ok = ctx.deviceOk[i];
        const bool physical = d.kind == DeviceKind::Physical;
        if (enabled && !ok)
            ++out.unavailableCount;
        if (physical && !d.ui.collapsed)
            out.anyExpanded = true;
        if (enabled && ok && physical && out.monitorName.isEmpty())
            out.monitorName = qstr(d.name);
        if (enabled && ok && !physical)
            out.voiceViaDriver = true;
        if (physical)
            placeholderChips.append(QVariantMap{{QStringLiteral("id"), qstr(d.id)},
                                                {QStringLiteral("label"), qstr(d.name)},
                                                {QStringLiteral("on"), false},
                                                {QStringLiteral("virt"), false},
                                                {QStringLiteral("ok"), true},
                                                {QStringLiteral("all"), false}});
    }

    // Microphones.
    bool allMuted = true;
    for (const Source& s : m_config.sources) {
        if (s.kind != SourceKind::PhysicalInput)
            continue;
        out.hasMic = true;
        allMuted = allMuted && s.mute;
        out.voiceOn = out.voiceOn || s.fx.voice.on;
        out.mics.append(QVariantMap{{QStringLiteral("id"), qstr(s.id)},
                                    {QStringLiteral("name"), qstr(s.name)},
                                    {QStringLiteral("voiceOn"), s.fx.voice.on},
                                    {QStringLiteral("preset"), qstr(s.fx.voice.preset)},
                                    {QStringLiteral("pitch"), double(s.fx.voice.pitch)}});
    }
    out.micMuted = out.hasMic && allMuted;

    // QML measures a channel strip's height on this row, so one exists even without microphones.
    if (!channelRows.isEmpty()) {
        out.sampleChannel = channelRows.first();
    } else {
        out.sampleChannel = {{QStringLiteral("id"), QString()},
                             {QStringLiteral("kind"), QStringLiteral("app")},
                             {QStringLiteral("kindLabel"), QStringLiteral("Прил.")},
                             {QStringLiteral("name"), QString()},
                             {QStringLiteral("subtitle"), QString()},
                             {QStringLiteral("icon"), QString()},
                             {QStringLiteral("gainDb"), 0.0},
                             {QStringLiteral("mute"), false},
                             {QStringLiteral("solo"), false},
                             {QStringLiteral("mono"), false},
                             {QStringLiteral("gate"), 0.0},
                             {QStringLiteral("comp"), 0.0},
                             {QStringLiteral("pan"), 0.0},
                             {QStringLiteral("noise"), false},
                             {QStringLiteral("voice"), QString()},
                             {QStringLiteral("collapsed"), false},
                             {QStringLiteral("chips"), placeholderChips},
                             {QStringLiteral("available"), true},
                             {QStringLiteral("isMic"), true},
                             {QStringLiteral("targets"), QString()},
                             {QStringLiteral("hasTargets"), false},
                             {QStringLiteral("monitor"), false}};
    }

    computeScenes(out);

    // The virtual microphone and the VB-CABLE driver.
    const Device* vm = m_config.findDevice(kVirtualMicId);
    const bool external = vm && vm->external;
    out.virtualMic = {
        {QStringLiteral("mode"), !vm        ? QStringLiteral("none")
                                 : external ? QStringLiteral("cable")
                                            : QStringLiteral("driver")},
        {QStringLiteral("ok"), vm && vm->state != DeviceState::Disabled && deviceOk(*vm)},
        {QStringLiteral("driver"), w.driverPresent},
        {QStringLiteral("renderId"), external ? qstr(vm->endpointId) : QString()},
        {QStringLiteral("renderName"), external ? qstr(vm->endpointName) : QString()},
        {QStringLiteral("recordId"), external ? qstr(vm->recordEndpointId) : QString()},
        {QStringLiteral("recordName"), external ? qstr(vm->recordEndpointName) : QString()},
        {QStringLiteral("appName"), !vm        ? QString()
                                    : external ? qstr(vm->recordEndpointName)
                                               : QStringLiteral("QUORVEL Mic")}};

    if (const std::optional<EndpointInfo> cable = findCableInput(m_endpoints)) {
        const std::string recordId = recordingTwin(m_endpoints, cable->id);
        out.vbCable = {{QStringLiteral("present"), true},
                       {QStringLiteral("inUse"), external && endpointDeviceName(vm->endpointName) ==
                                                                 "vb-audio virtual cable"},
                       {QStringLiteral("renderId"), qstr(cable->id)},
                       {QStringLiteral("renderName"), qstr(cable->name)},
                       {QStringLiteral("recordId"), qstr(recordId)},
                       {QStringLiteral("recordName"),
                        recordId.empty() ? QString() : endpointName(m_endpoints, recordId)}};
    } else {
        out.vbCable = {{QStringLiteral("present"), false}, {QStringLiteral("inUse"), false}};
    }

    computeEndpointPickers(out);

    const Settings& st = m_config.settings;
    QVariantMap hotkeys;
    for (const auto& [action, spec] : st.hotkeys)
        hotkeys.insert(qstr(action), qstr(spec));
    out.settings = {{QStringLiteral("sampleRate"), uint(st.sampleRate)},
                    {QStringLiteral("bufferMs"), double(st.bufferMs)},
                    {QStringLiteral("safetyMs"), double(st.safetyMs)},
                    {QStringLiteral("autoSizeWindow"), st.autoSizeWindow},
                    {QStringLiteral("density"), qstr(st.density)},
                    {QStringLiteral("autoHideDisconnected"), st.autoHideDisconnected},
                    {QStringLiteral("startWithWindows"), st.startWithWindows},
                    {QStringLiteral("systemEndpointId"), qstr(st.systemEndpointId)},
                    {QStringLiteral("volumeKnob"), qstr(st.volumeKnob)},
                    {QStringLiteral("videoFolder"), qstr(st.videoFolder)},
                    {QStringLiteral("audioFolder"), qstr(st.audioFolder)},
                    {QStringLiteral("hotkeys"), hotkeys}};

    out.windows = {{QStringLiteral("known"), m_connected && !m_endpoints.empty()},
                   {QStringLiteral("driver"), w.driverPresent},
                   {QStringLiteral("sinkDefault"), w.sinkDefault},
                   {QStringLiteral("micDefault"), w.micDefault},
                   {QStringLiteral("ok"), w.driverPresent && w.sinkDefault && w.micDefault},
                   {QStringLiteral("defaultOut"), w.defaultOut},
                   {QStringLiteral("defaultIn"), w.defaultIn},
                   {QStringLiteral("systemName"), w.systemName}};
}

} // namespace qv::ui
