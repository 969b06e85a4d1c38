// Backend: construction, the engine connection, requests and replies, events, the mirror's
// takeover of engine documents, toast and blink, engine control and quitting.

#include "backend/backend.h"

#include "backend/json_variant.h"
#include "backend/list_model.h"
#include "backend/meter_store.h"
#include "backend/presets.h"
#include "config/json_text.h"
#include "engine/transport.h"

#include <QDesktopServices>
#include <QStandardPaths>
#include <QUrl>

#include <limits>
#include <memory>

namespace qv::ui {

using Json = nlohmann::json;

namespace {

const QString kConnectingStatus = QStringLiteral("Подключение к движку QUORVEL…");
const QString kEngineErrorText = QStringLiteral("ошибка движка");

// A reply's request id; anything but an integer in the int range counts as "no id" (-1), so it
// matches no pending request.
int readRequestId(const Json& message) {
    auto it = message.find("reqId");
    if (it == message.end())
        return -1;
    if (it->is_number_unsigned()) {
        const auto n = it->get<uint64_t>();
        return n <= uint64_t(std::numeric_limits<int>::max()) ? int(n) : -1;
    }
    if (it->is_number_integer()) {
        const auto n = it->get<int64_t>();
        return n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max() ? int(n)
                                                                                            : -1;
    }
    return -1;
}

// The member `key` when it is of the wanted kind, else nullptr.
const Json* member(const Json& obj, const char* key, Json::value_t type) {
    auto it = obj.find(key);
    if (it == obj.end() || it->type() != type)
        return nullptr;
    return &*it;
}

} // namespace

Backend::Backend(Transport* transport, QObject* parent)
    : QObject(parent), m_transport(transport), m_channels(new ListModel(channelRoleNames(), this)),
      m_sources(new ListModel(sourceRoleNames(), this)),
      m_devices(new ListModel(deviceRoleNames(), this)), m_meters(new MeterStore(transport, this)),
      m_status(kConnectingStatus) {
    m_clock.start();
    if (m_transport) {
        connect(m_transport, &Transport::connectionChanged, this, &Backend::onConnection);
        connect(m_transport, &Transport::message, this, &Backend::onMessage);
    }

    m_flushTimer.setSingleShot(true);
    m_toastTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &Backend::flushPendingEdits);
    connect(&m_toastTimer, &QTimer::timeout, this, [this] {
        m_toast.clear();
        emit toastChanged();
    });
    connect(&m_endpointsTimer, &QTimer::timeout, this, &Backend::requestEndpoints);
    connect(&m_blinkTimer, &QTimer::timeout, this, [this] {
        m_blink = !m_blink;
        emit blinkChanged();
    });
    setTimings(Timings{});

    rebuildModels();
    followBlink();
}

Backend::~Backend() = default;

void Backend::setTimings(const Timings& timings) {
    m_timings = timings;
    m_flushTimer.setInterval(timings.flushMs);
    m_blinkTimer.setInterval(timings.blinkMs);
    m_endpointsTimer.setInterval(timings.endpointsMs);
    m_toastTimer.setInterval(timings.toastMs);
}

void Backend::setBlinkHeld(bool on) {
    m_blinkHeld = on;
    followBlink();
}

void Backend::setUnseen(bool on) {
    m_unseen = on;
    followBlink();
    if (on)
        return;
    if (m_stateHeld) {
        m_stateHeld = false;
        emit stateChanged();
    }
    if (m_rowsHeld)
        rebuildModels();
}

// A 500 ms timer that nobody needs still wakes every binding that reads `blink`; it runs only
// while a failing device or a held blink (a recording) shows it, and some window can be seen.
// Stopped, it rests on the bright phase, so whatever starts blinking next shows red at once.
void Backend::followBlink() {
    const bool wanted = (m_derived.anyFailing || m_blinkHeld) && !m_unseen;
    if (wanted == m_blinkTimer.isActive())
        return;
    if (wanted) {
        m_blinkTimer.start();
    } else {
        m_blinkTimer.stop();
        if (!m_blink) {
            m_blink = true;
            emit blinkChanged();
        }
    }
}

bool Backend::demo() const {
    return m_transport && m_transport->isDemo();
}
QObject* Backend::channels() const {
    return m_channels;
}
QObject* Backend::sources() const {
    return m_sources;
}
QObject* Backend::devices() const {
    return m_devices;
}
QObject* Backend::meters() const {
    return m_meters;
}

QVariantList Backend::voicePresets() const {
    return presets::voicePresetList();
}
QStringList Backend::voiceCategories() const {
    return presets::voiceCategoryList();
}
QVariantList Backend::eqPresets() const {
    return presets::eqPresetList();
}
QVariantList Backend::eqCategories() const {
    return presets::eqCategoryList();
}

QVariantList Backend::eqCurve(const QVariantList& bands, int points) const {
    return presets::eqCurve(bands, points);
}

// ---- Connection ----

void Backend::onConnection(bool connected, const QString& status) {
    const bool was = m_connected;
    m_connected = connected;
    m_status = status;

    if (!connected) {
        m_endpointsTimer.stop();
        m_flushTimer.stop();
        m_pendingReplies.clear();
        m_configRequests.clear();
        m_pendingEdits.clear();
    } else if (!was) {
        // Handlers of an earlier connection must never see this connection's replies.
        m_flushTimer.stop();
        m_pendingReplies.clear();
        m_configRequests.clear();
        m_pendingEdits.clear();
        m_deferred = false;
        m_deferredConfig = nullptr;

        sendRequest({{"cmd", "subscribe"}, {"on", true}});
        sendRequest({{"cmd", "ping"}}, [this](const Json& reply) {
            const Json* version = member(reply, "version", Json::value_t::string);
            m_engineVersion = version
                                  ? QString::fromStdString(version->get_ref<const std::string&>())
                                  : QString();
            // The version is part of the state's published figures: run the last state again.
            if (!m_lastState.is_null()) {
                const Json state = m_lastState;
                applyState(state);
            }
        });
        requestConfig();
        requestState();
        requestEndpoints();
        m_endpointsTimer.start();
    }

    emit connectionChanged();
    if (was != connected)
        rebuildModels();
}

// ---- Requests ----

void Backend::sendRequest(Json command, ReplyHandler handler) {
    if (!m_connected || !m_transport || !command.is_object())
        return;
    // One counter for the Backend's whole life; it wraps to 1 rather than overflowing.
    m_requestCounter =
        m_requestCounter == std::numeric_limits<int>::max() ? 1 : m_requestCounter + 1;
    const int id = m_requestCounter;
    command["reqId"] = id;
    m_pendingReplies[id] = std::move(handler);
    m_transport->send(dumpCompact(command));
}

void Backend::requestConfig() {
    const int before = m_requestCounter;
    sendRequest({{"cmd", "getConfig"}}, [this](const Json& reply) {
        if (const Json* doc = member(reply, "config", Json::value_t::object))
            applyConfig(*doc);
    });
    if (m_requestCounter != before)
        m_configRequests.insert(m_requestCounter);
}

void Backend::requestEndpoints() {
    sendRequest({{"cmd", "listEndpoints"}}, [this](const Json& reply) {
        auto it = reply.find("endpoints");
        if (it != reply.end())
            applyEndpoints(*it);
    });
}

void Backend::requestState() {
    sendRequest({{"cmd", "getState"}}, [this](const Json& reply) {
        auto it = reply.find("state");
        if (it != reply.end())
            applyState(*it);
    });
}

void Backend::requestThenEndpoints(Json command, std::function<void()> onSuccess) {
    sendRequest(std::move(command), [this, onSuccess = std::move(onSuccess)](const Json&) {
        if (onSuccess)
            onSuccess();
        requestEndpoints();
    });
}

// ---- Messages ----

void Backend::onMessage(const QByteArray& bytes) {
    const ParsedJson parsed = parseJsonText(std::string_view(bytes.constData(), bytes.size()));
    if (parsed.tooDeep) {
        // Copying or writing such a value would exhaust the stack; none of ours nests so deep.
        showToast(QStringLiteral("Сообщение движка пропущено: слишком глубокая вложенность"));
        return;
    }
    const Json& message = parsed.value;
    if (message.is_discarded() || !message.is_object())
        return;
    if (message.contains("event"))
        handleEvent(message);
    else
        handleReply(message);
}

void Backend::handleReply(const Json& reply) {
    const int id = readRequestId(reply);
    auto it = m_pendingReplies.find(id);
    if (it == m_pendingReplies.end())
        return;
    ReplyHandler handler = std::move(it->second);
    m_pendingReplies.erase(it);
    const bool configRequest = m_configRequests.erase(id) > 0;

    // Anything but a JSON true is a failure: the engine's answer cannot be trusted as success.
    const Json* ok = member(reply, "ok", Json::value_t::boolean);
    if (ok && ok->get<bool>()) {
        if (handler)
            handler(reply);
    } else {
        const Json* error = member(reply, "error", Json::value_t::string);
        const QString text =
            error ? QString::fromStdString(error->get_ref<const std::string&>()) : QString();
        showToast(text.isEmpty() ? kEngineErrorText : text);
        // The mirror may hold the refused edit's effect; the engine's document undoes it. An
        // engine that cannot give its document is asked again on the next connection.
        if (!configRequest)
            requestConfig();
    }
    applyDeferredConfigIfIdle();
}

void Backend::handleEvent(const Json& message) {
    const Json* event = member(message, "event", Json::value_t::string);
    if (!event)
        return;
    const std::string& name = event->get_ref<const std::string&>();
    if (name == "config") {
        const Json* doc = member(message, "config", Json::value_t::object);
        if (!doc)
            return;
        if (m_pendingReplies.empty() && m_pendingEdits.empty()) {
            applyConfig(*doc);
        } else {
            // Taking it now would undo local edits the engine has not confirmed yet.
            m_deferredConfig = *doc;
            m_deferred = true;
        }
    } else if (name == "state") {
        auto it = message.find("state");
        if (it != message.end())
            applyState(*it);
    } else if (name == "endpoints") {
        auto it = message.find("endpoints");
        if (it != message.end())
            applyEndpoints(*it);
    }
}

void Backend::applyDeferredConfigIfIdle() {
    if (!m_deferred || !m_pendingReplies.empty() || !m_pendingEdits.empty())
        return;
    m_deferred = false;
    const Json doc = std::move(m_deferredConfig);
    m_deferredConfig = nullptr;
    applyConfig(doc);
}

bool Backend::applyConfig(const Json& document) {
    MixerConfig fresh;
    std::string error;
    const std::string text = document.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (!parseConfig(text, fresh, error)) {
        showToast(QStringLiteral("Не удалось прочитать конфигурацию движка: %1")
                      .arg(QString::fromStdString(error)));
        return false;
    }
    m_config = std::move(fresh);
    mirrorChanged();
    const bool wasLoaded = m_configLoaded;
    m_configLoaded = true;
    rebuildModels();
    if (!wasLoaded)
        emit connectionChanged(); // ready turns true
    return true;
}

// ---- Toast ----

void Backend::showToast(const QString& text) {
    m_toast = text;
    emit toastChanged();
    m_toastTimer.start();
}

// ---- Engine control ----

void Backend::startEngine() {
    if (m_transport)
        m_transport->startEngine();
}

void Backend::restartEngine() {
    if (m_connected) {
        // The pipe link sees the engine go away and starts it again.
        sendRequest({{"cmd", "shutdown"}});
        showToast(QStringLiteral("Движок перезапускается…"));
    } else {
        startEngine();
    }
}

void Backend::openLogFolder() {
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/QUORVEL";
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void Backend::quitAll(std::function<void()> done) {
    auto finished = std::make_shared<bool>(false);
    auto complete = [finished, done = std::move(done)] {
        if (*finished)
            return;
        *finished = true;
        if (done)
            done();
    };
    if (m_connected && !demo()) {
        flushPendingEdits();
        sendRequest({{"cmd", "quit"}}, [complete](const Json&) { complete(); });
        QTimer::singleShot(m_timings.quitTimeoutMs, this, complete);
    } else {
        QTimer::singleShot(0, this, complete);
    }
}

} // namespace qv::ui
