// Backend: taking in the engine's "endpoints" and "state" payloads - the endpoint list with the
// product's tags, the running state of every source and device, the notices when an output drops
// out or comes back, and the engine's health figures (the `engine` map).
//
// Payload members of an unexpected JSON type are read as if they were missing: the engine does
// not send them, and a damaged message must not take the interface down.

#include "backend/backend_internal.h"

namespace qv::ui {

using Json = nlohmann::json;

namespace {

const Json* memberOf(const Json& obj, const char* key) {
    if (!obj.is_object())
        return nullptr;
    auto it = obj.find(key);
    return it == obj.end() ? nullptr : &*it;
}

std::string textOr(const Json& obj, const char* key, std::string fallback = {}) {
    const Json* v = memberOf(obj, key);
    return v && v->is_string() ? v->get<std::string>() : std::move(fallback);
}

bool boolOr(const Json& obj, const char* key, bool fallback) {
    const Json* v = memberOf(obj, key);
    return v && v->is_boolean() ? v->get<bool>() : fallback;
}

double numberOr(const Json& obj, const char* key, double fallback) {
    const Json* v = memberOf(obj, key);
    return v && v->is_number() ? v->get<double>() : fallback;
}

// The member `key` when it is an array; an empty array otherwise.
const Json& arrayOf(const Json& obj, const char* key) {
    static const Json kEmpty = Json::array();
    const Json* v = memberOf(obj, key);
    return v && v->is_array() ? *v : kEmpty;
}

const Json& objectOf(const Json& obj, const char* key) {
    static const Json kEmpty = Json::object();
    const Json* v = memberOf(obj, key);
    return v && v->is_object() ? *v : kEmpty;
}

} // namespace

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
        const Json* tag = memberOf(element, "quorvel");
        if (tag && tag->is_string())
            m_endpointTags[e.id] = tag->get<std::string>();
        m_endpoints.push_back(std::move(e));
    }
    rebuildModels();
}

void Backend::applyState(const Json& payload) {
    if (!payload.is_object())
        return;
    m_lastState = payload;
    m_haveState = true;

    // What the rows are made of, to tell a report that changes it from the usual one that only
    // brings new figures.
    const auto previousSources = std::move(m_sourceRuntime);
    const auto previousDevices = std::move(m_deviceRuntime);
    const auto previousBypass = std::move(m_micBypassApps);
    const bool previousDriver = m_driverInstalled;

    // lastPlaying is never cleared: it is what keeps a just-silenced application on screen.
    const qint64 now = clockMs();
    m_sourceRuntime.clear();
    for (const Json& element : arrayOf(payload, "sources")) {
        if (!element.is_object())
            continue;
        SourceRuntime r;
        r.playing = boolOr(element, "playing", false);
        r.available = boolOr(element, "available", true);
        std::string id = textOr(element, "id");
        if (r.playing)
            m_lastPlaying[id] = now;
        m_sourceRuntime[std::move(id)] = r;
    }

    m_deviceRuntime.clear();
    for (const Json& element : arrayOf(payload, "devices")) {
        if (!element.is_object())
            continue;
        DeviceRuntime r;
        r.available = boolOr(element, "available", false);
        r.latencyMs = numberOr(element, "latencyMs", -1);
        r.error = textOr(element, "error");
        m_deviceRuntime[textOr(element, "id")] = std::move(r);
    }

    const Json& driver = objectOf(payload, "driver");
    m_driverInstalled = boolOr(driver, "installed", false);

    // Only a change against the previous report is news; the first report of a device is not.
    for (const Device& d : m_config.devices) {
        if (d.state == DeviceState::Disabled)
            continue;
        const DeviceRuntime* r = deviceRuntime(d.id);
        if (!r)
            continue;
        auto previous = m_previousAvailability.find(d.id);
        if (previous != m_previousAvailability.end() && previous->second != r->available) {
            const QString name = qstr(d.name);
            emit deviceNotice(
                r->available ? QStringLiteral("«%1» снова подключено").arg(name)
                             : QStringLiteral("«%1» отключено — настройки сохранены").arg(name));
        }
        m_previousAvailability[d.id] = r->available;
    }

    QVariantMap engine;
    engine.insert(QStringLiteral("latencyMs"), numberOr(payload, "latencyMs", 0));
    const Json* cpu = memberOf(payload, "cpu");
    double cpuPercent = 0;
    if (cpu && cpu->is_object())
        cpuPercent = numberOr(*cpu, "avgPercentTotal", numberOr(*cpu, "percentTotal", 0));
    engine.insert(QStringLiteral("cpuPercent"), cpuPercent);
    engine.insert(QStringLiteral("configPath"), qstr(textOr(payload, "configPath")));
    engine.insert(QStringLiteral("uptimeSec"), numberOr(payload, "uptimeSec", 0));
    engine.insert(QStringLiteral("version"), m_engineVersion);
    engine.insert(QStringLiteral("driver"), m_driverInstalled);
    QString outputLoop = qstr(textOr(payload, "windowsOutputLoop"));
    engine.insert(QStringLiteral("windowsOutputLoop"), outputLoop);
    QStringList listenOn;
    for (const Json& name : arrayOf(payload, "listenOn"))
        if (name.is_string())
            listenOn.append(qstr(name.get_ref<const std::string&>()));
    engine.insert(QStringLiteral("listenOn"), listenOn);

    m_micBypassApps.clear();
    for (const Json& entry : arrayOf(payload, "micBypass")) {
        if (!entry.is_object())
            continue;
        QStringList names;
        for (const Json& app : arrayOf(entry, "apps"))
            if (app.is_object())
                names.append(qstr(textOr(app, "name")));
        m_micBypassApps[textOr(entry, "mic")] = names;
    }

    const Json* cable = memberOf(driver, "cable");
    if (cable && cable->is_object())
        engine.insert(QStringLiteral("cableMs"), numberOr(*cable, "targetMs", 0));

    m_engine = std::move(engine);
    if (m_unseen)
        m_stateHeld = true;
    else
        emit stateChanged();
    if (listenOn != m_listenOn || outputLoop != m_outputLoop) {
        m_listenOn = std::move(listenOn);
        m_outputLoop = std::move(outputLoop);
        emit listeningChanged();
    }
    // A report that changes nothing the rows are made of still moves them with time (a
    // just-silenced application leaves the screen), which only a window shows: nobody seeing one,
    // that rebuild waits until one is seen. Any other change is rebuilt at once, for what the
    // tray and the cable setup read.
    const bool sameInputs =
        m_sourceRuntime == previousSources && m_deviceRuntime == previousDevices &&
        m_micBypassApps == previousBypass && m_driverInstalled == previousDriver;
    if (m_unseen && sameInputs)
        m_rowsHeld = true;
    else
        rebuildModels();
}

} // namespace qv::ui
