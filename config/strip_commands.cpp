// Strip and routing commands: the edits behind every fader, switch, effect knob and routing
// checkbox of the mixer. setSource runs for every live fader step, so it reads the command in
// place and never copies or re-serialises the document.

#include "config/catalogue.h"
#include "config/command_fields.h"
#include "config/commands_internal.h"

#include <algorithm>
#include <string_view>

namespace qv::cmd {

namespace {

using fields::boolean;
using fields::number;
using fields::object;
using fields::storeBool;
using fields::storeNumber;

// The text of `key` without a copy; missing or not a string reads as empty.
std::string_view textView(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    if (it == obj.end() || !it->is_string())
        return {};
    return it->get_ref<const std::string&>();
}

// A text field is given when it is present and not null; its value follows the text rule.
bool given(const json& obj, std::string_view key) {
    auto it = obj.find(key);
    return it != obj.end() && !it->is_null();
}

std::string noSource(std::string_view id) {
    return "нет источника " + fields::quoted(id);
}

std::string noDevice(std::string_view id) {
    return "нет устройства " + fields::quoted(id);
}

// A refusal that still reports whether earlier fields of the same command changed the document.
CommandResult refusedAfter(bool changed, std::string message) {
    CommandResult r = fields::refused(std::move(message));
    r.changed = changed;
    return r;
}

// Every app source id is in `set` (and there is at least one app source).
bool holdsEveryApp(const MixerConfig& c, const std::set<std::string>& set) {
    bool any = false;
    for (const Source& s : c.sources) {
        if (s.kind != SourceKind::App)
            continue;
        any = true;
        if (!set.count(s.id))
            return false;
    }
    return any;
}

std::set<std::string> appsExcept(const MixerConfig& c, std::string_view exceptId) {
    std::set<std::string> out;
    for (const Source& s : c.sources)
        if (s.kind == SourceKind::App && s.id != exceptId)
            out.insert(s.id);
    return out;
}

void toggle(std::set<std::string>& set, const std::string& id) {
    if (!set.erase(id))
        set.insert(id);
}

Source* findMic(MixerConfig& c, std::string_view id) {
    Source* s = c.findSource(id);
    return s && s->kind == SourceKind::PhysicalInput ? s : nullptr;
}

bool applySourceEq(InputEq& eq, const json& edit) {
    bool changed = storeNumber(eq.low, number(edit, "low"), -12, 12);
    changed |= storeNumber(eq.mid, number(edit, "mid"), -12, 12);
    changed |= storeNumber(eq.high, number(edit, "high"), -12, 12);
    return changed;
}

} // namespace

CommandResult setSource(MixerConfig& c, const json& command) {
    const std::string_view id = textView(command, "id");
    Source* s = c.findSource(id);
    if (!s)
        return fields::refused(noSource(id));

    bool changed = false;
    if (std::string_view name = textView(command, "name"); !name.empty() && s->name != name) {
        s->name = name;
        changed = true;
    }
    changed |= storeNumber(s->gainDb, number(command, "gainDb"), -60, 12);
    changed |= storeBool(s->mute, boolean(command, "mute"));
    changed |= storeBool(s->solo, boolean(command, "solo"));
    changed |= storeBool(s->mono, boolean(command, "mono"));

    if (const json* fx = object(command, "fx")) {
        changed |= storeNumber(s->fx.gate, number(*fx, "gate"), 0, 10);
        changed |= storeNumber(s->fx.comp, number(*fx, "comp"), 0, 10);
        changed |= storeNumber(s->fx.pan, number(*fx, "pan"), -1, 1);
        changed |= storeBool(s->fx.noiseSuppression, boolean(*fx, "noiseSuppression"));
        if (const json* voice = object(*fx, "voice")) {
            VoiceFx& v = s->fx.voice;
            changed |= storeBool(v.on, boolean(*voice, "on"));
            if (given(*voice, "preset")) {
                const std::string_view preset = textView(*voice, "preset");
                if (!findVoicePreset(preset))
                    return refusedAfter(changed,
                                        "голос: неизвестный вариант " + fields::quoted(preset));
                if (v.preset != preset) {
                    v.preset = preset;
                    changed = true;
                }
            }
            changed |= storeNumber(v.pitch, number(*voice, "pitch"), -12, 12);
        }
        if (const json* eq = object(*fx, "eq"))
            changed |= applySourceEq(s->fx.eq, *eq);
    }

    if (auto monitor = boolean(command, "monitor")) {
        if (s->kind != SourceKind::PhysicalInput)
            return refusedAfter(changed, "«Слышать себя» — только для микрофона");
        changed |= fields::store(s->monitor, *monitor);
    }

    if (const json* ui = object(command, "ui")) {
        changed |= storeBool(s->ui.collapsed, boolean(*ui, "collapsed"));
        changed |= storeBool(s->ui.hidden, boolean(*ui, "hidden"));
        changed |= storeBool(s->ui.alwaysShow, boolean(*ui, "alwaysShow"));
    }
    return fields::accepted(changed);
}

CommandResult setDevice(MixerConfig& c, const json& command) {
    const std::string_view id = textView(command, "id");
    Device* d = c.findDevice(id);
    if (!d)
        return fields::refused(noDevice(id));

    bool changed = false;
    if (std::string_view name = textView(command, "name"); !name.empty() && d->name != name) {
        d->name = name;
        changed = true;
    }
    changed |= storeNumber(d->gainDb, number(command, "gainDb"), -60, 12);
    changed |= storeBool(d->mute, boolean(command, "mute"));

    if (given(command, "mode")) {
        const std::string_view mode = textView(command, "mode");
        if (mode != "all" && mode != "apps")
            return refusedAfter(changed, "режим устройства: \"all\" или \"apps\"");
        // The routed set is kept on purpose: switching back to "apps" restores the old choice.
        changed |= fields::store(d->mode, mode == "all" ? DeviceMode::All : DeviceMode::Apps);
    }

    if (auto it = command.find("sources"); it != command.end() && it->is_array()) {
        std::set<std::string> routed;
        for (const json& e : *it)
            if (e.is_string() && c.findSource(e.get_ref<const std::string&>()))
                routed.insert(e.get_ref<const std::string&>());
        changed |= fields::store(d->sources, routed);
    }

    changed |= storeBool(d->autoAddNewApps, boolean(command, "autoAddNewApps"));
    if (const json* ui = object(command, "ui"))
        changed |= storeBool(d->ui.collapsed, boolean(*ui, "collapsed"));
    changed |= storeNumber(d->latencyCompMs, number(command, "latencyCompMs"), 0, 500);
    changed |= storeBool(d->exclusiveMode, boolean(command, "exclusiveMode"));
    changed |= storeBool(d->align, boolean(command, "align"));

    if (auto enabled = boolean(command, "enabled")) {
        // Enabling only lifts a user's "disabled"; whether the endpoint is present is the
        // engine's call, so an unavailable device stays unavailable.
        if (*enabled && d->state == DeviceState::Disabled)
            changed |= fields::store(d->state, DeviceState::Available);
        else if (!*enabled && d->state != DeviceState::Disabled)
            changed |= fields::store(d->state, DeviceState::Disabled);
    }

    if (const json* eq = object(command, "eq")) {
        EqEditResult r = applyDeviceEq(d->eq, *eq);
        changed |= r.changed;
        if (!r.error.empty())
            return refusedAfter(changed, std::move(r.error));
    }
    return fields::accepted(changed);
}

CommandResult toggleRoute(MixerConfig& c, const json& command) {
    const std::string_view sourceId = textView(command, "source");
    const std::string_view deviceId = textView(command, "device");
    Source* s = c.findSource(sourceId);
    if (!s)
        return fields::refused(noSource(sourceId));
    Device* d = c.findDevice(deviceId);
    if (!d)
        return fields::refused(noDevice(deviceId));

    if (d->kind == DeviceKind::Physical && s->kind == SourceKind::System) {
        d->mode = d->mode == DeviceMode::Apps ? DeviceMode::All : DeviceMode::Apps;
        d->sources.clear();
    } else if (d->kind == DeviceKind::Physical && s->kind == SourceKind::App) {
        if (d->mode == DeviceMode::Apps) {
            d->sources.erase(std::string(kSystemSourceId));
            toggle(d->sources, s->id);
            // Once every application is ticked, "all" says the same and also covers
            // applications that start later.
            if (holdsEveryApp(c, d->sources)) {
                d->mode = DeviceMode::All;
                d->sources.clear();
            }
        } else {
            d->mode = DeviceMode::Apps;
            d->sources = appsExcept(c, s->id);
        }
    }
    return fields::accepted(true, {{"on", playsOn(*s, *d)}});
}

CommandResult setDeviceAll(MixerConfig& c, const json& command) {
    const std::string_view deviceId = textView(command, "device");
    Device* d = c.findDevice(deviceId);
    if (!d)
        return fields::refused(noDevice(deviceId));
    if (d->kind == DeviceKind::VirtualMic)
        return fields::refused(fields::quoted(d->name) + " настраивается через микрофоны");
    const bool on = boolean(command, "on").value_or(false);
    bool changed = fields::store(d->mode, on ? DeviceMode::All : DeviceMode::Apps);
    changed |= !d->sources.empty();
    d->sources.clear();
    return fields::accepted(changed);
}

CommandResult toggleMicTarget(MixerConfig& c, const json& command) {
    const std::string_view micId = textView(command, "mic");
    const std::string_view appId = textView(command, "app");
    Source* mic = findMic(c, micId);
    if (!mic)
        return fields::refused("нет микрофона " + fields::quoted(micId));
    const Source* app = c.findSource(appId);
    if (!app || app->kind != SourceKind::App)
        return fields::refused("нет приложения " + fields::quoted(appId));

    SourceTargets& t = mic->targets;
    if (t.allApps) {
        t.allApps = false;
        t.apps = appsExcept(c, app->id);
    } else {
        toggle(t.apps, app->id);
        if (holdsEveryApp(c, t.apps)) {
            t.allApps = true;
            t.apps.clear();
        }
    }
    return fields::accepted(true);
}

CommandResult setMicAll(MixerConfig& c, const json& command) {
    const std::string_view micId = textView(command, "mic");
    Source* mic = findMic(c, micId);
    if (!mic)
        return fields::refused("нет микрофона " + fields::quoted(micId));
    bool changed = fields::store(mic->targets.allApps, boolean(command, "on").value_or(false));
    changed |= !mic->targets.apps.empty();
    mic->targets.apps.clear();
    return fields::accepted(changed);
}

CommandResult removeDevice(MixerConfig& c, const json& command) {
    const std::string_view id = textView(command, "id");
    Device* d = c.findDevice(id);
    if (!d)
        return fields::refused(noDevice(id));
    c.devices.erase(c.devices.begin() + (d - c.devices.data()));
    keepVolumeKnobOnDevice(c);
    return fields::accepted(true);
}

void keepVolumeKnobOnDevice(MixerConfig& c) {
    std::string& knob = c.settings.volumeKnob;
    if (!knob.empty() && knob != "off" && !c.findDevice(knob))
        knob.clear();
}

CommandResult removeSource(MixerConfig& c, const json& command) {
    const std::string_view id = textView(command, "id");
    Source* s = c.findSource(id);
    if (!s)
        return fields::refused(noSource(id));
    if (s->kind == SourceKind::System)
        return fields::refused("«Все звуки» не удаляется — его можно скрыть");
    const std::string removed = s->id;
    c.sources.erase(c.sources.begin() + (s - c.sources.data()));
    // Devices and microphones may name it; stale ids would be ignored by routing but would
    // silently come back to life if an application with the same executable were added again.
    for (Device& d : c.devices)
        d.sources.erase(removed);
    for (Source& other : c.sources)
        other.targets.apps.erase(removed);
    return fields::accepted(true);
}

} // namespace qv::cmd
