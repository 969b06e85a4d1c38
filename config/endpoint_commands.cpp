// Commands that bind strips to Windows endpoints. Each refuses every choice that would feed the
// mixer's own output back into itself, and says why in words the user can act on.
#include "config/command_fields.h"
#include "config/commands_internal.h"
#include "config/endpoints.h"

#include <algorithm>
#include <utility>

namespace qv::cmd {
namespace {

using fields::refused;

const EndpointInfo* findEndpoint(const Endpoints& eps, std::string_view id) {
    for (const EndpointInfo& e : eps)
        if (e.id == id)
            return &e;
    return nullptr;
}

// The virtual microphone when it is an outside cable rather than the product's own driver.
const Device* externalVirtualMic(const MixerConfig& c) {
    const Device* d = c.findDevice(kVirtualMicId);
    return d && d->external ? d : nullptr;
}

json idReply(const std::string& id) {
    return json{{"id", id}};
}

// Appends an output strip for `ep` unless it already has one; the first output of a document
// plays everything, later ones start empty so nothing doubles up unexpectedly.
bool addOutputDevice(MixerConfig& c, const EndpointInfo& ep, std::string& id) {
    id = "out:" + ep.id;
    if (c.findDevice(id))
        return false;
    const bool firstPhysical =
        std::none_of(c.devices.begin(), c.devices.end(),
                     [](const Device& d) { return d.kind == DeviceKind::Physical; });
    Device d;
    d.id = id;
    d.kind = DeviceKind::Physical;
    d.name = d.endpointName = ep.name;
    d.endpointId = ep.id;
    d.hardwareId = ep.hardwareId;
    d.mode = firstPhysical ? DeviceMode::All : DeviceMode::Apps;
    c.devices.push_back(std::move(d));
    return true;
}

bool addInputSource(MixerConfig& c, const EndpointInfo& ep, std::string& id) {
    id = "in:" + ep.id;
    if (c.findSource(id))
        return false;
    Source s;
    s.id = id;
    s.kind = SourceKind::PhysicalInput;
    s.name = s.endpointName = ep.name;
    s.endpointId = ep.id;
    s.hardwareId = ep.hardwareId;
    c.sources.push_back(std::move(s));
    return true;
}

// Rebinds a strip to `ep`. A name the user never changed follows the new endpoint's name.
template <typename Strip> void rebind(Strip& strip, const EndpointInfo& ep, std::string newId) {
    if (strip.name.empty() || strip.name == strip.endpointName)
        strip.name = ep.name;
    strip.id = std::move(newId);
    strip.endpointId = ep.id;
    strip.endpointName = ep.name;
    strip.hardwareId = ep.hardwareId;
}

bool moveDevice(MixerConfig& c, const std::string& id, const EndpointInfo& ep, std::string& newId) {
    Device* d = c.findDevice(id);
    if (!d || d->kind != DeviceKind::Physical)
        return false;
    newId = "out:" + ep.id;
    if (newId != d->id && c.findDevice(newId))
        return false;
    if (c.settings.volumeKnob == d->id)
        c.settings.volumeKnob = newId; // the knob follows the strip, not its old endpoint
    rebind(*d, ep, newId);
    if (d->state == DeviceState::Unavailable)
        d->state = DeviceState::Available;
    return true;
}

bool moveSource(MixerConfig& c, const std::string& id, const EndpointInfo& ep, std::string& newId) {
    Source* s = c.findSource(id);
    if (!s || s->kind != SourceKind::PhysicalInput)
        return false;
    newId = "in:" + ep.id;
    if (newId != s->id && c.findSource(newId))
        return false;
    const std::string oldId = s->id;
    rebind(*s, ep, newId);
    for (Device& d : c.devices)
        if (d.sources.erase(oldId) > 0)
            d.sources.insert(newId);
    return true;
}

CommandResult replaceStrip(MixerConfig& c, const json& cmd, const Endpoints& eps, bool input) {
    const std::string id = fields::text(cmd, "id");
    const EndpointInfo* ep = findEndpoint(eps, fields::text(cmd, "endpointId"));
    if (!ep || ep->render == input)
        return refused(input ? "нет микрофона с этим ID" : "нет устройства вывода с этим ID");
    if (classifyEndpoint(*ep).cls != 0)
        return refused(fields::quoted(ep->name) + " — служебное устройство QUORVEL");
    if (const Device* mic = externalVirtualMic(c);
        mic && (mic->endpointId == ep->id || mic->recordEndpointId == ep->id))
        return refused(fields::quoted(ep->name) + " — виртуальный микрофон QUORVEL");

    // A strip that is gone (removed meanwhile, or never of this kind) is named as missing; the
    // move below then fails only for an endpoint that another strip already uses.
    std::string oldEndpoint;
    if (input) {
        const Source* s = c.findSource(id);
        if (!s || s->kind != SourceKind::PhysicalInput)
            return refused("нет микрофона " + fields::quoted(id));
        oldEndpoint = s->endpointId;
    } else {
        const Device* d = c.findDevice(id);
        if (!d || d->kind != DeviceKind::Physical)
            return refused("нет устройства " + fields::quoted(id));
        oldEndpoint = d->endpointId;
    }

    std::string newId;
    const bool moved = input ? moveSource(c, id, *ep, newId) : moveDevice(c, id, *ep, newId);
    if (!moved)
        return refused(fields::quoted(ep->name) + " уже есть в QUORVEL — выберите другое");

    auto& recent = input ? c.settings.recentInputs : c.settings.recentOutputs;
    pushRecent(recent, oldEndpoint);
    pushRecent(recent, ep->id);
    return fields::accepted(true, idReply(newId));
}

// Whether the endpoint is where «Все звуки» are taken from: routing the voice there would play
// it back into the user's own headphones.
bool feedsAllSounds(const MixerConfig& c, const EndpointInfo& ep, const Endpoints& eps) {
    const std::string& system = c.settings.systemEndpointId;
    if (ep.id == system)
        return true;
    if (!system.empty() || !ep.isDefault)
        return false;
    return std::none_of(eps.begin(), eps.end(), [](const EndpointInfo& e) {
        return e.active && classifyEndpoint(e).cls == 1;
    });
}

} // namespace

CommandResult addDevice(MixerConfig& c, const json& cmd, const Endpoints& eps) {
    const std::string endpointId = fields::text(cmd, "endpointId");
    const EndpointInfo* ep = findEndpoint(eps, endpointId);
    if (!ep || !ep->render)
        return refused("нет устройства вывода с ID " + fields::quoted(endpointId));
    const std::string name = fields::quoted(ep->name);
    if (const Device* mic = externalVirtualMic(c); mic && mic->endpointId == ep->id)
        return refused(name + " — вход виртуального микрофона QUORVEL (Настройки → Голос)");
    switch (classifyEndpoint(*ep).cls) {
    case 1:
        return refused(name + " — вход микшера QUORVEL (через него идёт весь звук Windows); "
                              "вывод в него создал бы петлю");
    case 2:
        return refused(name + " — вход виртуального микрофона, он настраивается как «QUORVEL Mic»");
    case 3:
        return refused(name + " — служебный вход QUORVEL для отдельного приложения");
    default:
        break;
    }
    std::string id;
    const bool added = addOutputDevice(c, *ep, id);
    if (added)
        pushRecent(c.settings.recentOutputs, ep->id);
    return fields::accepted(added, idReply(id));
}

CommandResult addInput(MixerConfig& c, const json& cmd, const Endpoints& eps) {
    const std::string endpointId = fields::text(cmd, "endpointId");
    const EndpointInfo* ep = findEndpoint(eps, endpointId);
    if (!ep || ep->render)
        return refused("нет микрофона/входа с ID " + fields::quoted(endpointId));
    const std::string name = fields::quoted(ep->name);
    if (classifyEndpoint(*ep).cls == 4)
        return refused(name + " — выход самого QUORVEL; как вход он создал бы петлю");
    if (const Device* mic = externalVirtualMic(c); mic && mic->recordEndpointId == ep->id)
        return refused(name +
                       " — выход виртуального микрофона QUORVEL; как вход он создал бы петлю");
    std::string id;
    const bool added = addInputSource(c, *ep, id);
    if (added)
        pushRecent(c.settings.recentInputs, ep->id);
    return fields::accepted(added, idReply(id));
}

CommandResult replaceDevice(MixerConfig& c, const json& cmd, const Endpoints& eps) {
    return replaceStrip(c, cmd, eps, false);
}

CommandResult replaceInput(MixerConfig& c, const json& cmd, const Endpoints& eps) {
    return replaceStrip(c, cmd, eps, true);
}

void attachCableAsVirtualMic(MixerConfig& c, const EndpointInfo& playback,
                             const EndpointInfo& recording) {
    Device* mic = c.findDevice(kVirtualMicId);
    if (!mic) {
        Device d;
        d.id = std::string(kVirtualMicId);
        d.kind = DeviceKind::VirtualMic;
        d.mode = DeviceMode::Apps;
        c.devices.push_back(std::move(d));
        mic = &c.devices.back();
    }
    const bool sameCable =
        mic->external && mic->endpointId == playback.id && mic->recordEndpointId == recording.id;
    mic->external = true;
    mic->name = recording.name.empty() ? "Виртуальный микрофон" : recording.name;
    mic->endpointId = playback.id;
    mic->endpointName = playback.name;
    mic->hardwareId = playback.hardwareId;
    mic->recordEndpointId = recording.id;
    mic->recordEndpointName = recording.name;
    mic->recordHardwareId = recording.hardwareId;
    if (!sameCable) {
        mic->exclusiveMode = false;
        mic->state = DeviceState::Available;
    }

    // A fresh virtual microphone that nothing feeds would be silent; start with every
    // microphone feeding it for all applications.
    const bool fed = std::any_of(c.sources.begin(), c.sources.end(), [](const Source& s) {
        return s.kind == SourceKind::PhysicalInput &&
               (s.targets.allApps || !s.targets.apps.empty());
    });
    if (!fed)
        for (Source& s : c.sources)
            if (s.kind == SourceKind::PhysicalInput)
                s.targets.allApps = true;
}

CommandResult setVirtualMic(MixerConfig& c, const json& cmd, const Endpoints& eps) {
    const std::string endpointId = fields::text(cmd, "endpointId");
    if (endpointId.empty()) {
        const bool wasAuto = std::exchange(c.settings.virtualMicAuto, false);
        const auto removed = std::erase_if(
            c.devices, [](const Device& d) { return d.id == kVirtualMicId && d.external; });
        return fields::accepted(wasAuto || removed > 0);
    }

    const EndpointInfo* ep = findEndpoint(eps, endpointId);
    if (!ep || !ep->render || !ep->active)
        return refused("нет устройства вывода с ID " + fields::quoted(endpointId));
    const std::string name = fields::quoted(ep->name);
    if (classifyEndpoint(*ep).cls != 0)
        return refused(name + " — служебный вход QUORVEL");
    const bool isOutput = std::any_of(c.devices.begin(), c.devices.end(), [&](const Device& d) {
        return d.kind == DeviceKind::Physical && d.endpointId == ep->id;
    });
    if (isOutput)
        return refused(name + " уже добавлено как наушники/колонки — уберите его оттуда или "
                              "выберите другое");
    if (feedsAllSounds(c, *ep, eps))
        return refused(name + " — вывод Windows по умолчанию, из него берутся «Все звуки»: голос "
                              "вернулся бы к вам в наушники. Выберите другой вход (например, "
                              "«CABLE Input» или «Voicemeeter AUX Input»)");
    const std::string twin = recordingTwin(eps, ep->id);
    if (twin.empty())
        return refused(name + " — не виртуальный кабель: голос пошёл бы вам в наушники или "
                              "колонки. Выберите VB-CABLE или вход Voicemeeter");

    std::string recordId = fields::text(cmd, "recordEndpointId");
    if (recordId.empty())
        recordId = twin;
    const EndpointInfo* rec = findEndpoint(eps, recordId);
    if (!rec || rec->render)
        return refused("нет микрофона с ID " + fields::quoted(recordId));
    const std::string recName = fields::quoted(rec->name);
    if (classifyEndpoint(*rec).cls != 0)
        return refused(recName + " — служебный выход QUORVEL");
    const bool isInput = std::any_of(c.sources.begin(), c.sources.end(), [&](const Source& s) {
        return s.kind == SourceKind::PhysicalInput && s.endpointId == rec->id;
    });
    if (isInput)
        return refused(recName + " добавлен в QUORVEL как микрофон — это создало бы петлю");

    const std::string before = serializeConfig(c);
    attachCableAsVirtualMic(c, *ep, *rec);
    c.settings.virtualMicAuto = false;
    return fields::accepted(serializeConfig(c) != before, json{{"recordEndpointId", rec->id}});
}

} // namespace qv::cmd
