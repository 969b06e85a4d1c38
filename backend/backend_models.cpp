// Backend: the role lists, the presence predicates and rebuildModels, which turns the mirror and
// the engine's runtime inputs into the list models and derived properties.
//
// The rows themselves are built in backend_rows.cpp, the plain properties in backend_derived.cpp.

#include "backend/backend_internal.h"
#include "backend/list_model.h"

#include <cmath>
#include <string_view>
#include <unordered_map>

namespace qv::ui {

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
// of the runtime inputs, so QML never sees a half-updated mixer. The order matters to QML: the
// devices first (source rows name them), then channels and sources, then the plain
// properties, and `changed()` last so bindings read a consistent whole.
void Backend::rebuildModels() {
    m_rowsHeld = false;
    RowContext ctx;
    ctx.now = clockMs();
    ctx.windows = gatherWindowsDefaults();
    ctx.deviceOrder.reserve(m_config.devices.size());
    for (DeviceKind kind : {DeviceKind::Physical, DeviceKind::VirtualMic})
        for (const Device& d : m_config.devices)
            if (d.kind == kind)
                ctx.deviceOrder.push_back(&d);
    ctx.deviceOk.reserve(ctx.deviceOrder.size());
    for (const Device* d : ctx.deviceOrder) {
        ctx.deviceOk.push_back(deviceOk(*d));
        ctx.deviceIds.push_back(qstr(d->id));
        ctx.deviceNames.push_back(qstr(d->name));
    }
    prepareRouting(ctx);
    prepareMicDiagnosis(ctx);

    const QList<QVariantMap> deviceRows = buildDeviceRows(ctx);
    bool same = deviceRows == m_devices->rows();
    m_devices->setRows(deviceRows);

    Derived next;
    QList<QVariantMap> sourceRows;
    QList<QVariantMap> channelRows;
    buildSourceAndChannelRows(ctx, sourceRows, channelRows, next);
    same = same && channelRows == m_channels->rows() && sourceRows == m_sources->rows();
    m_channels->setRows(channelRows);
    m_sources->setRows(sourceRows);

    computeDerived(ctx, channelRows, next);
    for (size_t i = 0; i < ctx.deviceOk.size() && !next.anyFailing; ++i)
        next.anyFailing = !ctx.deviceOk[i];
    // The engine's state arrives every second and mostly changes nothing shown; handing QML the
    // same values again would re-run every binding on the derived properties (and give the
    // reference strip a new row map) for nothing.
    if (same && m_revision > 0 && next == m_derived)
        return;
    m_derived = std::move(next);

    ++m_revision;
    emit changed();
    followBlink();
}

bool Backend::Derived::operator==(const Derived& o) const {
    return hidden == o.hidden && inputsList == o.inputsList && outputsList == o.outputsList &&
           renderEndpoints == o.renderEndpoints && cableOutputs == o.cableOutputs &&
           cableInputs == o.cableInputs && mics == o.mics && scenes == o.scenes &&
           settings == o.settings && windows == o.windows && sampleChannel == o.sampleChannel &&
           virtualMic == o.virtualMic && vbCable == o.vbCable &&
           unavailableCount == o.unavailableCount && anyExpanded == o.anyExpanded &&
           anyMicVisible == o.anyMicVisible && micMuted == o.micMuted && hasMic == o.hasMic &&
           voiceOn == o.voiceOn && voiceViaDriver == o.voiceViaDriver &&
           sceneModified == o.sceneModified && monitorName == o.monitorName &&
           currentSceneName == o.currentSceneName && anyFailing == o.anyFailing;
}

// Who plays where, the routing relation of the document (playsOn), for all pairs at once: a
// device's own source set is walked once instead of being searched for every source.
void Backend::prepareRouting(RowContext& ctx) const {
    const size_t sourceCount = m_config.sources.size();
    const size_t deviceCount = ctx.deviceOrder.size();
    ctx.plays.assign(sourceCount * deviceCount, 0);
    std::unordered_map<std::string_view, size_t> index;
    index.reserve(sourceCount);
    for (size_t i = 0; i < sourceCount; ++i)
        index.emplace(m_config.sources[i].id, i);
    auto routable = [](const Source& s) {
        return s.kind == SourceKind::App || s.kind == SourceKind::System;
    };
    for (size_t j = 0; j < deviceCount; ++j) {
        const Device& d = *ctx.deviceOrder[j];
        if (d.kind == DeviceKind::VirtualMic) {
            for (size_t i = 0; i < sourceCount; ++i) {
                const Source& s = m_config.sources[i];
                ctx.plays[i * deviceCount + j] = s.kind == SourceKind::PhysicalInput &&
                                                 (s.targets.allApps || !s.targets.apps.empty());
            }
        } else if (d.mode == DeviceMode::All) {
            for (size_t i = 0; i < sourceCount; ++i)
                ctx.plays[i * deviceCount + j] = routable(m_config.sources[i]);
        } else {
            for (const std::string& id : d.sources) {
                auto it = index.find(id);
                if (it != index.end() && routable(m_config.sources[it->second]))
                    ctx.plays[it->second * deviceCount + j] = 1;
            }
        }
    }
}

const Backend::DeviceRuntime* Backend::deviceRuntime(const std::string& id) const {
    auto it = m_deviceRuntime.find(id);
    return it == m_deviceRuntime.end() ? nullptr : &it->second;
}

// Until the engine has reported its running state nothing counts as missing or broken, so the
// first frames do not flash errors for devices that are merely not reported yet.
bool Backend::deviceOk(const Device& d) const {
    if (d.state == DeviceState::Disabled)
        return false;
    if (!m_haveState)
        return true;
    const DeviceRuntime* r = deviceRuntime(d.id);
    return !r || (r->available && r->error.empty());
}

bool Backend::devicePresent(const Device& d) const {
    if (!m_haveState)
        return true;
    const DeviceRuntime* r = deviceRuntime(d.id);
    return r && r->available;
}

bool Backend::sourcePresent(const Source& s) const {
    return sourcePresentAt(s, clockMs());
}

// An application that has just gone quiet (a pause between songs, a call on hold) keeps its
// strip for 15 s instead of flickering out and back.
bool Backend::sourcePresentAt(const Source& s, qint64 now) const {
    constexpr qint64 kKeepAfterPlayingMs = 15000;
    if (!m_haveState)
        return true;
    const auto runtime = m_sourceRuntime.find(s.id);
    switch (s.kind) {
    case SourceKind::PhysicalInput:
        return runtime != m_sourceRuntime.end() && runtime->second.available;
    case SourceKind::System:
        return true;
    case SourceKind::App:
        break;
    }
    if (runtime != m_sourceRuntime.end() && runtime->second.playing)
        return true;
    const auto last = m_lastPlaying.find(s.id);
    return last != m_lastPlaying.end() && now - last->second < kKeepAfterPlayingMs;
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

Backend::Json Backend::strips() const {
    // Gains are stored as float; rounded to the fader's hundredths they print as typed (-6.3,
    // not -6.300000190734863).
    auto db = [](float v) { return std::round(double(v) * 100.0) / 100.0; };
    Json list = Json::array();
    for (const Source& s : m_config.sources)
        list.push_back({{"id", s.id},
                        {"name", s.name},
                        {"kind", toString(s.kind)},
                        {"gainDb", db(s.gainDb)},
                        {"mute", s.mute},
                        {"available", sourcePresent(s)}});
    for (const Device& d : m_config.devices)
        list.push_back({{"id", d.id},
                        {"name", d.name},
                        {"kind", toString(d.kind)},
                        {"gainDb", db(d.gainDb)},
                        {"mute", d.mute},
                        {"available", deviceOk(d)}});
    return list;
}

QString Backend::monitorOutputName() const {
    // Physical devices come first in device order, so the first usable one is the answer.
    for (const Device& d : m_config.devices)
        if (d.kind == DeviceKind::Physical && deviceOk(d))
            return QString::fromStdString(d.name);
    return {};
}

} // namespace qv::ui
