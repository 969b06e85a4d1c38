// Backend: Windows endpoints and diagnostics - the requests that change Windows' default devices
// (the engine changes them; we ask and then re-read the endpoint list), the sound settings panel,
// the pairing of a cable's two ends, the strip endpoint replacement and its candidates, and the
// default-microphone issue shown on a microphone strip.

#include "backend/backend_internal.h"
#include "backend/windows_sound.h"

#include "config/endpoints.h"

#include <QProcess>

#include <algorithm>

namespace qv::ui {

namespace {

std::string utf8(const QString& s) {
    return s.toStdString();
}

} // namespace

// ---- Requests to the engine ----

void Backend::setWindowsDefault(const QString& endpointId) {
    // The engine's loop warning depends on the Windows output: ask for the state at once
    // rather than waiting for its next periodic one.
    requestThenEndpoints({{"cmd", "setWindowsDefault"}, {"endpointId", utf8(endpointId)}},
                         [this] { requestState(); });
}

void Backend::applyMicDefault(const QString& micId) {
    requestThenEndpoints({{"cmd", "applyMicDefault"}, {"mic", utf8(micId)}});
}

void Backend::assignWindowsDefaults() {
    requestThenEndpoints({{"cmd", "assignWindowsDefaults"}}, [this] {
        showToast(QStringLiteral("QUORVEL назначен в Windows выводом и микрофоном по умолчанию"));
    });
}

void Backend::openWindowsSound(int tab) {
    // Nothing to report when it cannot be opened: the user simply sees no panel.
    const sound_panel::Command c = sound_panel::command(tab);
    if (!c.program.isEmpty())
        QProcess::startDetached(c.program, c.arguments);
}

// ---- Endpoint choices ----

QString Backend::suggestRecord(const QString& renderId) const {
    return qstr(recordingTwin(m_endpoints, utf8(renderId)));
}

void Backend::setVirtualMic(const QString& renderId, const QString& recordId) {
    sendEdit({{"cmd", "setVirtualMic"},
              {"endpointId", utf8(renderId)},
              {"recordEndpointId", utf8(recordId)}});
}

void Backend::replaceEndpoint(const QString& id, const QString& endpointId) {
    const char* cmd = id.startsWith(QLatin1String("in:")) ? "replaceInput" : "replaceDevice";
    sendEdit({{"cmd", cmd}, {"id", utf8(id)}, {"endpointId", utf8(endpointId)}});
}

// The endpoints a strip may move to: not already a strip, not its own, the recently used first.
QVariantList Backend::replaceCandidates(const QString& id) const {
    const bool input = id.startsWith(QLatin1String("in:"));
    const std::string sid = utf8(id);
    QString current;
    if (input) {
        if (const Source* s = m_config.findSource(sid))
            current = qstr(s->endpointId);
    } else if (const Device* d = m_config.findDevice(sid)) {
        current = qstr(d->endpointId);
    }
    const QVariantList& pool = input ? m_derived.inputsList : m_derived.outputsList;
    const std::vector<std::string>& recent =
        input ? m_config.settings.recentInputs : m_config.settings.recentOutputs;

    struct Candidate {
        size_t rank;
        QVariant entry;
    };
    std::vector<Candidate> picked;
    for (const QVariant& v : pool) {
        const QVariantMap entry = v.toMap();
        const QString endpointId = entry.value(QStringLiteral("endpointId")).toString();
        if (entry.value(QStringLiteral("on")).toBool() || endpointId == current)
            continue;
        const std::string eid = utf8(endpointId);
        const auto at = std::find(recent.begin(), recent.end(), eid);
        picked.push_back({size_t(at - recent.begin()), v}); // not listed: after all listed ones
    }
    std::stable_sort(picked.begin(), picked.end(),
                     [](const Candidate& a, const Candidate& b) { return a.rank < b.rank; });
    QVariantList out;
    out.reserve(qsizetype(picked.size()));
    for (Candidate& c : picked)
        out.append(std::move(c.entry));
    return out;
}

// ---- Default-microphone diagnosis ----

void Backend::prepareMicDiagnosis(RowContext& ctx) const {
    // Where the changed voice goes: into the virtual microphone when it works (the product's own
    // recording endpoint, or the outside cable's recording end), else the microphone's own.
    const Device* vm = m_config.findDevice(kVirtualMicId);
    if (vm && vm->state != DeviceState::Disabled && deviceOk(*vm)) {
        ctx.vmDecidesTarget = true;
        if (vm->external) {
            ctx.vmTargetId = vm->recordEndpointId;
        } else {
            for (const EndpointInfo& e : m_endpoints) {
                auto tag = m_endpointTags.find(e.id);
                if (e.active && !e.render && tag != m_endpointTags.end() && tag->second == "mic")
                    ctx.vmTargetId = e.id;
            }
        }
    }
    for (const EndpointInfo& e : m_endpoints) {
        if (!e.active || e.render)
            continue;
        ctx.activeRecording.push_back(&e);
        if (e.isDefault)
            ctx.defaultRecordId = e.id;
        if (e.isDefaultComm)
            ctx.commRecordId = e.id;
    }
}

QString Backend::defaultMicIssue(const Source& mic, const RowContext& ctx) const {
    // A microphone heard only by chosen applications is not affected by Windows' default.
    if (!mic.targets.allApps)
        return {};
    const std::string& target = ctx.vmDecidesTarget ? ctx.vmTargetId : mic.endpointId;
    auto nameOf = [&ctx](const std::string& id) {
        QString name;
        for (const EndpointInfo* e : ctx.activeRecording)
            if (e->id == id)
                name = qstr(e->name);
        return name;
    };
    const QString targetName = nameOf(target);
    if (targetName.isEmpty())
        return {};
    auto nameOrNone = [&nameOf](const std::string& id) {
        const QString name = id.empty() ? QString() : nameOf(id);
        return name.isEmpty() ? QStringLiteral("нет") : name;
    };
    if (ctx.defaultRecordId != target)
        return QStringLiteral("Микрофон Windows по умолчанию — «%1», а голос с изменением идёт в "
                              "«%2»: программы с микрофоном «По умолчанию» его не слышат")
            .arg(nameOrNone(ctx.defaultRecordId), targetName);
    if (ctx.commRecordId != target)
        return QStringLiteral(
                   "Микрофон Windows для связи (звонки, Telegram) — «%1», а голос с изменением "
                   "идёт в «%2»")
            .arg(nameOrNone(ctx.commRecordId), targetName);
    return {};
}

} // namespace qv::ui
