#pragma once
// Backend: the one object through which QML sees the mixer (the context property `qv`).
//
// It owns the engine connection's conversation: on every new connection it subscribes, asks
// for the engine version, the configuration, the running state and the endpoint list, and
// re-reads the endpoints every 5 s. Every request gets the next id of one counter that lives as
// long as the Backend; replies are matched to their handlers by id and dropped with the
// connection that sent them.
//
// Edits are applied to a local mirror of the engine's document first (applyCommand), so the
// interface moves before the engine answers; a command the model refuses shows its Russian
// text as the toast and is not sent, and the mirror keeps nothing of it. Live edits (a fader
// being dragged) are merged per strip and sent at most every 33 ms; the value on release always
// goes out after them. A "config" event that arrives while replies or merged edits are
// outstanding is held back and only the newest is applied once they are all answered, so the
// interface does not jump back to an older value.
//
// Files: backend.cpp (construction, connection, requests, messages, toast/blink, engine
// control), backend_edits.cpp (edit path and QML invokables), backend_models.cpp (runtime
// inputs and rebuildModels, the rows' extension point).

#include "config/commands.h"
#include "config/mixer_config.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>
#include <QVariantMap>

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qv::ui {

class ListModel;
class MeterStore;
class Transport;

class Backend : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool connected READ connected NOTIFY connectionChanged)
    Q_PROPERTY(bool ready READ ready NOTIFY connectionChanged)
    Q_PROPERTY(QString status READ status NOTIFY connectionChanged)
    Q_PROPERTY(bool demo READ demo CONSTANT)
    Q_PROPERTY(QObject* channels READ channels CONSTANT)
    Q_PROPERTY(QObject* sources READ sources CONSTANT)
    Q_PROPERTY(QObject* devices READ devices CONSTANT)
    Q_PROPERTY(QObject* meters READ meters CONSTANT)
    Q_PROPERTY(bool blink READ blink NOTIFY blinkChanged)
    Q_PROPERTY(QString toast READ toast NOTIFY toastChanged)
    Q_PROPERTY(int revision READ revision NOTIFY changed)
    Q_PROPERTY(QVariantList voicePresets READ voicePresets CONSTANT)
    Q_PROPERTY(QStringList voiceCategories READ voiceCategories CONSTANT)
    Q_PROPERTY(QVariantList eqPresets READ eqPresets CONSTANT)
    Q_PROPERTY(QVariantList eqCategories READ eqCategories CONSTANT)

public:
    using Json = nlohmann::json;
    using ReplyHandler = std::function<void(const Json& reply)>;

    // Intervals of the Backend's timers; tests and benchmarks shorten them.
    struct Timings {
        int flushMs = 33;         // live edits go out at most this long after the first of a burst
        int blinkMs = 500;        // blink flips
        int endpointsMs = 5000;   // endpoint list re-read while connected
        int toastMs = 5000;       // a toast stays this long
        int quitTimeoutMs = 2000; // quitAll gives up waiting for the engine's answer
    };

    explicit Backend(Transport* transport, QObject* parent = nullptr);
    ~Backend() override;

    bool connected() const { return m_connected; }
    bool ready() const { return m_connected && m_configLoaded; }
    QString status() const { return m_status; }
    bool demo() const;
    QObject* channels() const;
    QObject* sources() const;
    QObject* devices() const;
    QObject* meters() const;
    bool blink() const { return m_blink; }
    QString toast() const { return m_toast; }
    int revision() const { return m_revision; }
    QVariantList voicePresets() const;
    QStringList voiceCategories() const;
    QVariantList eqPresets() const;
    QVariantList eqCategories() const;

    // ---- QML invokables ----
    Q_INVOKABLE QVariantList eqCurve(const QVariantList& bands, int points) const;

    Q_INVOKABLE void setSource(const QString& id, const QVariantMap& fields, bool live = false);
    Q_INVOKABLE void setDevice(const QString& id, const QVariantMap& fields, bool live = false);
    Q_INVOKABLE void toggleRoute(const QString& source, const QString& device);
    Q_INVOKABLE void setDeviceAll(const QString& device, bool on);
    Q_INVOKABLE void toggleMicTarget(const QString& mic, const QString& app);
    Q_INVOKABLE void setMicAll(const QString& mic, bool on);
    Q_INVOKABLE void setMonitor(const QString& mic, bool on);
    Q_INVOKABLE void setVirtualMic(const QString& renderId, const QString& recordId = QString());
    Q_INVOKABLE void replaceEndpoint(const QString& id, const QString& endpointId);
    Q_INVOKABLE void saveScene(const QString& name);
    Q_INVOKABLE void updateScene(const QString& id);
    Q_INVOKABLE void applyScene(const QString& id);
    Q_INVOKABLE void deleteScene(const QString& id);
    Q_INVOKABLE void renameScene(const QString& id, const QString& name);
    Q_INVOKABLE void setSettings(const QVariantMap& fields);
    Q_INVOKABLE void setOutputAdded(const QString& endpointId, bool on);
    Q_INVOKABLE void setInputAdded(const QString& endpointId, bool on);
    Q_INVOKABLE void setSourceShown(const QString& id, bool on);
    Q_INVOKABLE void addDevice(const QString& endpointId);
    Q_INVOKABLE void addInput(const QString& endpointId);
    Q_INVOKABLE void removeDevice(const QString& id);
    Q_INVOKABLE void removeSource(const QString& id);
    Q_INVOKABLE void hideSource(const QString& id);
    Q_INVOKABLE void showSource(const QString& id);
    Q_INVOKABLE void setAllCollapsed(bool collapsed);
    Q_INVOKABLE void demoSetCable(bool present);
    Q_INVOKABLE void demoSetIssues(bool on);
    Q_INVOKABLE void setWindowsDefault(const QString& endpointId);
    Q_INVOKABLE void applyMicDefault(const QString& micId);
    Q_INVOKABLE void assignWindowsDefaults();
    Q_INVOKABLE void openWindowsSound(int tab);
    Q_INVOKABLE void startEngine();
    Q_INVOKABLE void restartEngine();
    Q_INVOKABLE void openLogFolder();
    Q_INVOKABLE void showToast(const QString& text);
    Q_INVOKABLE void setMicMuted(bool muted);
    Q_INVOKABLE void setVoice(const QString& id, const QVariantMap& voice);
    Q_INVOKABLE void toggleVoice();
    Q_INVOKABLE void setHotkey(const QString& action, const QString& spec);

    // ---- Operations for the rest of the program (not visible to QML) ----
    // Sends `command` with the next request id; `handler` runs on an ok reply. Dropped (the
    // handler never runs) while not connected.
    void sendRequest(Json command, ReplyHandler handler = {});
    // The edit path: apply locally, refuse with a toast, rebuild, send.
    void sendEdit(const Json& command);
    void requestEndpoints();
    // Flushes merged edits, asks the engine to quit and runs `done` once: on the engine's answer
    // or after Timings::quitTimeoutMs; at once (next event-loop turn) for the demo engine or
    // without a connection.
    void quitAll(std::function<void()> done);
    // Takes over a configuration document (a JSON object); false when it does not read.
    bool applyConfig(const Json& document);
    void rebuildModels();
    void applyState(const Json& payload);
    void applyEndpoints(const Json& payload);
    void flushPendingEdits();

    void setTimings(const Timings& timings);
    const Timings& timings() const { return m_timings; }

    // Read-only views for the other Backend parts, tests and benchmarks.
    const MixerConfig& config() const { return m_config; }
    const std::vector<EndpointInfo>& endpointList() const { return m_endpoints; }
    const std::map<std::string, std::string>& endpointTags() const { return m_endpointTags; }
    QString engineVersion() const { return m_engineVersion; }
    bool configLoaded() const { return m_configLoaded; }
    int requestCounter() const { return m_requestCounter; }
    int pendingReplyCount() const { return int(m_pendingReplies.size()); }
    int pendingEditCount() const { return int(m_pendingEdits.size()); }
    bool hasDeferredConfig() const { return m_deferred; }
    qint64 clockMs() const { return m_clock.elapsed(); }

public slots:
    void onConnection(bool connected, const QString& status);
    void onMessage(const QByteArray& bytes);

signals:
    void connectionChanged();
    void changed();
    void stateChanged();
    void blinkChanged();
    void toastChanged();
    void deviceNotice(const QString& text);

private:
    void handleReply(const Json& reply);
    void handleEvent(const Json& message);
    void applyDeferredConfigIfIdle();
    void requestConfig();

    // One strip edit: {"cmd": setSource/setDevice, "id": id, ...fields}; live edits are merged.
    void stripEdit(const char* cmd, const std::string& id, Json fields, bool live);
    void queueLiveEdit(const std::string& key, const Json& command);
    // A request whose success re-reads the endpoint list.
    void requestThenEndpoints(Json command, std::function<void()> onSuccess = {});

    // Role lists of the three list models (backend_models.cpp).
    static QStringList channelRoleNames();
    static QStringList sourceRoleNames();
    static QStringList deviceRoleNames();

    // Predicates of the rows, shared with the invokables (backend_models.cpp).
    bool deviceOk(const Device& d) const;
    bool sourcePresent(const Source& s) const;
    bool sourceVisible(const Source& s) const;
    bool anyMicVoiceOn() const;
    QString monitorOutputName() const;

    Transport* m_transport;
    ListModel* m_channels;
    ListModel* m_sources;
    ListModel* m_devices;
    MeterStore* m_meters;
    bool m_connected = false;
    bool m_configLoaded = false;
    QString m_status;
    MixerConfig m_config;
    QString m_engineVersion;
    int m_requestCounter = 0;
    std::map<int, ReplyHandler> m_pendingReplies;
    bool m_deferred = false;
    Json m_deferredConfig;
    std::map<std::string, Json> m_pendingEdits;
    QTimer m_flushTimer;
    QTimer m_blinkTimer;
    QTimer m_endpointsTimer;
    QTimer m_toastTimer;
    QElapsedTimer m_clock;
    bool m_blink = false;
    QString m_toast;
    int m_revision = 0;
    Timings m_timings;

    // Runtime inputs from the engine's "endpoints" and "state" messages.
    std::vector<EndpointInfo> m_endpoints;
    std::map<std::string, std::string> m_endpointTags; // endpoint id -> product tag
    Json m_lastState;                                  // the last "state" payload, kept whole
};

} // namespace qv::ui
