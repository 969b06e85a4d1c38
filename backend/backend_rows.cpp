// Backend: the rows of qv.devices, qv.sources and qv.channels, built from the mirror, the endpoint
// list and the engine's running state. Every row is rebuilt on every rebuild; ListModel::setRows
// then announces only what really differs, so building them afresh is simpler than tracking
// which inputs each row depends on. Row keys are written in key order (see OrderedMap).

#include "backend/backend_internal.h"

#include "config/catalogue.h"

#include <QUrl>

#include <algorithm>
#include <cmath>

namespace qv::ui {

namespace {

QString kindName(SourceKind k) {
    switch (k) {
    case SourceKind::PhysicalInput:
        return QStringLiteral("physical_input");
    case SourceKind::System:
        return QStringLiteral("system");
    case SourceKind::App:
        break;
    }
    return QStringLiteral("app");
}

QString kindLabel(SourceKind k) {
    switch (k) {
    case SourceKind::PhysicalInput:
        return QStringLiteral("Физ.");
    case SourceKind::System:
        return QStringLiteral("Все");
    case SourceKind::App:
        break;
    }
    return QStringLiteral("Прил.");
}

QString kindLong(SourceKind k) {
    switch (k) {
    case SourceKind::PhysicalInput:
        return QStringLiteral("Микрофон или вход");
    case SourceKind::System:
        return QStringLiteral("Весь звук Windows");
    case SourceKind::App:
        break;
    }
    return QStringLiteral("Приложение");
}

// Microphones first, then the all-sounds source, then applications.
int kindRank(SourceKind k) {
    switch (k) {
    case SourceKind::PhysicalInput:
        return 0;
    case SourceKind::System:
        return 1;
    case SourceKind::App:
        break;
    }
    return 2;
}

// Bands are stored as floats, so the tolerance window is rounded the same way: a band set to
// exactly 0.05 dB still counts as flat.
bool bandsFlat(const std::array<float, kEqBands>& bands) {
    constexpr float lo = -0.05f;
    constexpr float hi = 0.05f;
    return std::all_of(bands.begin(), bands.end(), [](float b) { return b >= lo && b <= hi; });
}

// The engine's error codes in words the user can act on; anything else is shown as it came.
QString runtimeErrorText(const std::string& error) {
    auto has = [&error](std::string_view what) { return error.find(what) != std::string::npos; };
    if (has("DEVICE_IN_USE"))
        return QStringLiteral("Устройство занято другой программой в монопольном режиме (например, "
                              "Voicemeeter или игра). Освободите его там — QUORVEL подключится "
                              "сам.");
    if (has("DEVICE_INVALIDATED") || has("недоступно"))
        return QStringLiteral("Устройство пропало из Windows — ждём, когда появится.");
    if (has("UNSUPPORTED_FORMAT"))
        return QStringLiteral("Устройство не принимает формат звука QUORVEL. Проверьте его формат "
                              "в «Параметры → Звук».");
    return qstr(error);
}

QString appIconUrl(const Source& s) {
    if (s.kind != SourceKind::App || s.exePath.empty())
        return {};
    // Only RFC 3986 unreserved characters stay as they are; the provider decodes the rest.
    return QStringLiteral("image://appicon/") +
           QString::fromLatin1(QUrl::toPercentEncoding(qstr(s.exePath)));
}

QStringList sortedIds(const std::set<std::string>& ids) {
    // std::set<std::string> already iterates in ascending byte order.
    QStringList out;
    out.reserve(qsizetype(ids.size()));
    for (const std::string& id : ids)
        out.append(qstr(id));
    return out;
}

} // namespace

QList<QVariantMap> Backend::buildDeviceRows(const RowContext& ctx) const {
    static const QVariantMap prototype = rowPrototype(deviceRoleNames());
    QList<QVariantMap> rows;
    rows.reserve(qsizetype(ctx.deviceOrder.size()));
    for (size_t i = 0; i < ctx.deviceOrder.size(); ++i) {
        const Device& d = *ctx.deviceOrder[i];
        const bool ok = ctx.deviceOk[i];
        const bool physical = d.kind == DeviceKind::Physical;
        const bool enabled = d.state != DeviceState::Disabled;
        const DeviceRuntime* runtime = deviceRuntime(d.id);

        QString stateText;
        if (!enabled)
            stateText = QStringLiteral("Выключено");
        else if (!devicePresent(d))
            stateText = QStringLiteral("Недоступно — ждём подключения, настройки сохранены");
        else if (ok && physical)
            stateText = QStringLiteral("Подключено");
        else if (ok)
            stateText = ctx.windows.micDefault
                            ? QStringLiteral("Виртуальный микрофон · выбран в Windows")
                            : QStringLiteral("Виртуальный микрофон");
        else
            stateText = QStringLiteral("Подключено, но не открывается — см. ниже");
        if (physical && !d.endpointName.empty() && d.endpointName != d.name)
            stateText += QStringLiteral(" · ") + qstr(d.endpointName);

        QString playing;
        int playingCount = -1;
        if (!physical || d.mode != DeviceMode::All) {
            QStringList names;
            for (size_t k = 0; k < m_config.sources.size(); ++k) {
                const Source& s = m_config.sources[k];
                if (s.kind != SourceKind::System && ctx.sourcePlaysOn(k, i))
                    names.append(qstr(s.name));
            }
            playing = names.join(QStringLiteral(", "));
            playingCount = int(names.size());
        } else {
            playing = QStringLiteral("Все звуки");
        }

        QVariantList bands;
        bands.reserve(kEqBands);
        for (float b : d.eq.bands)
            bands.append(double(b));
        const bool flat = bandsFlat(d.eq.bands);
        QString presetName;
        if (const EqPreset* preset = findEqPreset(d.eq.preset))
            presetName = qstr(preset->name);
        else
            presetName = flat ? QStringLiteral("Ровно") : QStringLiteral("Своя настройка");

        RowFiller row(prototype);
        row.add(QStringLiteral("align"), d.align)
            .add(QStringLiteral("autoAddNewApps"), d.autoAddNewApps)
            .add(QStringLiteral("collapsed"), d.ui.collapsed)
            .add(QStringLiteral("enabled"), enabled)
            .add(QStringLiteral("endpointName"), qstr(d.endpointName))
            .add(QStringLiteral("eqBands"), bands)
            .add(QStringLiteral("eqOn"), !flat)
            .add(QStringLiteral("eqPreset"), qstr(d.eq.preset))
            .add(QStringLiteral("eqPresetName"), presetName)
            .add(QStringLiteral("error"), runtime ? runtimeErrorText(runtime->error) : QString())
            .add(QStringLiteral("exclusiveMode"), d.exclusiveMode)
            .add(QStringLiteral("gainDb"), double(d.gainDb))
            .add(QStringLiteral("id"), ctx.deviceIds[i])
            .add(QStringLiteral("kind"),
                 physical ? QStringLiteral("physical") : QStringLiteral("virtual_mic"))
            .add(QStringLiteral("latencyCompMs"), double(d.latencyCompMs))
            .add(QStringLiteral("latencyMs"), runtime ? runtime->latencyMs : -1.0)
            .add(QStringLiteral("mode"),
                 d.mode == DeviceMode::All ? QStringLiteral("all") : QStringLiteral("apps"))
            .add(QStringLiteral("mute"), d.mute)
            .add(QStringLiteral("name"), ctx.deviceNames[i])
            .add(QStringLiteral("ok"), ok)
            .add(QStringLiteral("playing"), playing)
            .add(QStringLiteral("playingCount"), playingCount)
            .add(QStringLiteral("removable"), physical)
            .add(QStringLiteral("sources"), sortedIds(d.sources))
            .add(QStringLiteral("stateText"), stateText)
            .add(QStringLiteral("virt"), !physical);
        rows.append(row.take());
    }
    return rows;
}

void Backend::buildSourceAndChannelRows(const RowContext& ctx, QList<QVariantMap>& sourceRows,
                                        QList<QVariantMap>& channelRows, Derived& out) const {
    static const QVariantMap sourcePrototype = rowPrototype(sourceRoleNames());
    static const QVariantMap channelPrototype = rowPrototype(channelRoleNames());
    std::vector<const Source*> order;
    order.reserve(m_config.sources.size());
    for (const Source& s : m_config.sources)
        order.push_back(&s);
    std::stable_sort(order.begin(), order.end(), [](const Source* a, const Source* b) {
        return kindRank(a->kind) < kindRank(b->kind);
    });

    const bool autoHide = m_config.settings.autoHideDisconnected;
    sourceRows.reserve(qsizetype(order.size()));
    for (const Source* sp : order) {
        const Source& s = *sp;
        const size_t index = size_t(sp - m_config.sources.data());
        const bool mic = s.kind == SourceKind::PhysicalInput;
        const bool present = sourcePresentAt(s, ctx.now);
        const bool visible = !s.ui.hidden && (!autoHide || present || s.ui.alwaysShow);

        QString reason;
        if (visible) {
            if (s.ui.alwaysShow && !present)
                reason = QStringLiteral("показан всегда");
        } else if (s.ui.hidden) {
            reason = QStringLiteral("Скрыт вручную");
        } else if (mic) {
            reason = QStringLiteral("Нет устройства — скрыт автоматически");
        } else {
            reason = QStringLiteral("Не воспроизводит звук — скрыт автоматически");
        }

        // Where a non-microphone source plays, over the output strips in device-row order.
        QStringList onDevices;
        QStringList onNames;
        if (!mic) {
            for (size_t i = 0; i < ctx.deviceOrder.size(); ++i) {
                const Device& d = *ctx.deviceOrder[i];
                if (d.kind != DeviceKind::Physical || !ctx.sourcePlaysOn(index, i))
                    continue;
                onDevices.append(ctx.deviceIds[i]);
                onNames.append(ctx.deviceOk[i]
                                   ? ctx.deviceNames[i]
                                   : QStringLiteral("%1 (недоступно)").arg(ctx.deviceNames[i]));
            }
        }

        // Which applications hear a microphone.
        QString targets;
        QStringList targetIds;
        if (mic && s.targets.allApps) {
            targets = QStringLiteral("Все приложения");
        } else if (mic && !s.targets.apps.empty()) {
            QStringList names;
            for (const Source& other : m_config.sources) {
                if (s.targets.apps.count(other.id) == 0)
                    continue;
                targetIds.append(qstr(other.id));
                names.append(qstr(other.name));
            }
            targets = names.join(QStringLiteral(", "));
        }

        const QString id = qstr(s.id);
        const QString name = qstr(s.name);
        const QString icon = appIconUrl(s);
        const QString kLabel = kindLabel(s.kind);

        RowFiller row(sourcePrototype);
        row.add(QStringLiteral("gainDb"), double(s.gainDb))
            .add(QStringLiteral("hiddenManual"), s.ui.hidden)
            .add(QStringLiteral("icon"), icon)
            .add(QStringLiteral("id"), id)
            .add(QStringLiteral("isApp"), s.kind == SourceKind::App)
            .add(QStringLiteral("isMic"), mic)
            .add(QStringLiteral("isSystem"), s.kind == SourceKind::System)
            .add(QStringLiteral("kind"), kindName(s.kind))
            .add(QStringLiteral("kindLabel"), kLabel)
            .add(QStringLiteral("kindLong"), kindLong(s.kind))
            .add(QStringLiteral("monitor"), mic && s.monitor)
            .add(QStringLiteral("mute"), s.mute)
            .add(QStringLiteral("name"), name)
            .add(QStringLiteral("onDevices"), onDevices)
            .add(QStringLiteral("onNames"), onNames.join(QStringLiteral(", ")))
            .add(QStringLiteral("playsCount"), int(onDevices.size()))
            .add(QStringLiteral("reason"), reason)
            .add(QStringLiteral("targetIds"), targetIds)
            .add(QStringLiteral("targets"), targets)
            .add(QStringLiteral("targetsAll"), mic && s.targets.allApps)
            .add(QStringLiteral("visible"), visible);
        sourceRows.append(row.take());

        if (!mic)
            continue;
        if (!visible) {
            out.hidden.append(QVariantMap{{QStringLiteral("id"), id},
                                          {QStringLiteral("name"), name},
                                          {QStringLiteral("reason"), reason},
                                          {QStringLiteral("removable"), true}});
            continue;
        }

        const VoiceFx& voice = s.fx.voice;
        QString subtitle;
        if (voice.on) {
            const VoicePreset* preset = findVoicePreset(voice.preset);
            subtitle = QStringLiteral("Голос: %1 · ")
                           .arg(preset ? qstr(preset->name).toLower() : qstr(voice.preset));
        }
        if (!present)
            subtitle += QStringLiteral("Нет устройства · ");
        subtitle += qstr(s.endpointName);

        const auto bypass = m_micBypassApps.find(s.id);
        RowFiller ch(channelPrototype);
        ch.add(QStringLiteral("available"), present)
            .add(QStringLiteral("bypass"),
                 bypass != m_micBypassApps.end() ? bypass->second : QStringList())
            .add(QStringLiteral("chips"), QVariantList())
            .add(QStringLiteral("collapsed"), s.ui.collapsed)
            .add(QStringLiteral("comp"), double(s.fx.comp))
            .add(QStringLiteral("defaultIssue"), defaultMicIssue(s, ctx))
            .add(QStringLiteral("gainDb"), double(s.gainDb))
            .add(QStringLiteral("gate"), double(s.fx.gate))
            .add(QStringLiteral("hasTargets"), s.targets.allApps || !s.targets.apps.empty())
            .add(QStringLiteral("icon"), icon)
            .add(QStringLiteral("id"), id)
            .add(QStringLiteral("isMic"), true)
            .add(QStringLiteral("kind"), QStringLiteral("physical_input"))
            .add(QStringLiteral("kindLabel"), kLabel)
            .add(QStringLiteral("monitor"), s.monitor)
            .add(QStringLiteral("mono"), s.mono)
            .add(QStringLiteral("mute"), s.mute)
            .add(QStringLiteral("name"), name)
            .add(QStringLiteral("noise"), s.fx.noiseSuppression)
            // Halves away from zero, as the pan knob's label shows it.
            .add(QStringLiteral("pan"), double(std::lround(double(s.fx.pan) * 100.0)))
            .add(QStringLiteral("solo"), s.solo)
            .add(QStringLiteral("subtitle"), subtitle)
            .add(QStringLiteral("targets"), targets)
            .add(QStringLiteral("voice"), voice.on ? qstr(voice.preset) : QString());
        if (!s.ui.collapsed)
            out.anyExpanded = true;
        channelRows.append(ch.take());
    }
    out.anyMicVisible = !channelRows.isEmpty();
}

} // namespace qv::ui
