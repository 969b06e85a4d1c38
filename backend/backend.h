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
// Everything QML reads - the three list models and the plain properties - is recomputed at once
// by rebuildModels after every change of the mirror, the endpoint list or the engine's running
// state; the list models announce only rows and roles that really differ.
//
// Files: backend.cpp (construction, connection, requests, messages, toast/blink, engine
// control), backend_edits.cpp (edit path and QML invokables), backend_models.cpp (presence
// predicates, rebuildModels), backend_rows.cpp (the rows), backend_state.cpp ("endpoints" and
// "state" payloads, device notices), backend_derived.cpp (derived properties),
// backend_windows.cpp (Windows defaults, endpoint replacement, default-microphone diagnosis).

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
#include <set>
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
    Q_PROPERTY(QVariantMap engine READ engine NOTIFY stateChanged)
    Q_PROPERTY(QStringList listenOn READ listenOn NOTIFY listeningChanged)
    Q_PROPERTY(QString outputLoop READ outputLoop NOTIFY listeningChanged)
    Q_PROPERTY(QVariantList hidden READ hidden NOTIFY changed)
    Q_PROPERTY(QVariantList inputsList READ inputsList NOTIFY changed)
    Q_PROPERTY(QVariantList outputsList READ outputsList NOTIFY changed)
    Q_PROPERTY(QVariantList renderEndpoints READ renderEndpoints NOTIFY changed)
    Q_PROPERTY(QVariantMap settings READ settings NOTIFY changed)
    Q_PROPERTY(QVariantMap windows READ windows NOTIFY changed)
    Q_PROPERTY(int unavailableCount READ unavailableCount NOTIFY changed)
    Q_PROPERTY(int sourceCount READ sourceCount NOTIFY changed)
    Q_PROPERTY(bool anyExpanded READ anyExpanded NOTIFY changed)
    Q_PROPERTY(bool anyMicVisible READ anyMicVisible NOTIFY changed)
    Q_PROPERTY(QVariantMap sampleChannel READ sampleChannel NOTIFY changed)
    Q_PROPERTY(bool micMuted READ micMuted NOTIFY changed)
    Q_PROPERTY(bool hasMic READ hasMic NOTIFY changed)
    Q_PROPERTY(QVariantList mics READ mics NOTIFY changed)
    Q_PROPERTY(bool voiceOn READ voiceOn NOTIFY changed)
    Q_PROPERTY(QString monitorName READ monitorName NOTIFY changed)
    Q_PROPERTY(bool voiceViaDriver READ voiceViaDriver NOTIFY changed)
    Q_PROPERTY(QVariantMap virtualMic READ virtualMic NOTIFY changed)
    Q_PROPERTY(QVariantList cableOutputs READ cableOutputs NOTIFY changed)
    Q_PROPERTY(QVariantList cableInputs READ cableInputs NOTIFY changed)
    Q_PROPERTY(QVariantMap vbCable READ vbCable NOTIFY changed)
    Q_PROPERTY(QVariantList scenes READ scenes NOTIFY changed)
    Q_PROPERTY(QString currentSceneName READ currentSceneName NOTIFY changed)
    Q_PROPERTY(bool sceneModified READ sceneModified NOTIFY changed)

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
    // Something outside the mixer rows blinks (a recording in progress): keeps `blink` flipping
    // even when no device fails. The blink timer runs only while something can blink.
    void setBlinkHeld(bool on);
    // No window of the program can be seen (in the tray, minimised, covered): the blink rests,
    // and the engine's figures and a state that changes nothing the rows are made of wait
    // until a window can show them.
    void setUnseen(bool on);
    QString toast() const { return m_toast; }
    int revision() const { return m_revision; }
    QVariantList voicePresets() const;
    QStringList voiceCategories() const;
    QVariantList eqPresets() const;
    QVariantList eqCategories() const;

    // Derived properties, recomputed by every rebuildModels (engine: by applyState).
    QVariantMap engine() const { return m_engine; }
    // The engine's "listenOn" and "windowsOutputLoop" as in `engine`, with a signal of their own:
    // every strip reads them, and they change far more rarely than the figures.
    QStringList listenOn() const { return m_listenOn; }
    QString outputLoop() const { return m_outputLoop; }
    QVariantList hidden() const { return m_derived.hidden; }
    QVariantList inputsList() const { return m_derived.inputsList; }
    QVariantList outputsList() const { return m_derived.outputsList; }
    QVariantList renderEndpoints() const { return m_derived.renderEndpoints; }
    QVariantMap settings() const { return m_derived.settings; }
    QVariantMap windows() const { return m_derived.windows; }
    int unavailableCount() const { return m_derived.unavailableCount; }
    int sourceCount() const { return int(m_config.sources.size()); }
    bool anyExpanded() const { return m_derived.anyExpanded; }
    bool anyMicVisible() const { return m_derived.anyMicVisible; }
    QVariantMap sampleChannel() const { return m_derived.sampleChannel; }
    bool micMuted() const { return m_derived.micMuted; }
    bool hasMic() const { return m_derived.hasMic; }
    QVariantList mics() const { return m_derived.mics; }
    bool voiceOn() const { return m_derived.voiceOn; }
    QString monitorName() const { return m_derived.monitorName; }
    bool voiceViaDriver() const { return m_derived.voiceViaDriver; }
    QVariantMap virtualMic() const { return m_derived.virtualMic; }
    QVariantList cableOutputs() const { return m_derived.cableOutputs; }
    QVariantList cableInputs() const { return m_derived.cableInputs; }
    QVariantMap vbCable() const { return m_derived.vbCable; }
    QVariantList scenes() const { return m_derived.scenes; }
    QString currentSceneName() const { return m_derived.currentSceneName; }
    bool sceneModified() const { return m_derived.sceneModified; }

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
    Q_INVOKABLE QString suggestRecord(const QString& renderId) const;
    Q_INVOKABLE QVariantList replaceCandidates(const QString& id) const;
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
    void requestState();
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
    void followBlink();

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
    // The monotonic millisecond clock of the presence rules (an application stays present for
    // a while after it stopped playing). Tests replace it; an empty function restores the real one.
    qint64 clockMs() const { return m_clockOverride ? m_clockOverride() : m_clock.elapsed(); }
    void setClockForTesting(std::function<qint64()> clock) { m_clockOverride = std::move(clock); }
    bool haveState() const { return m_haveState; }
    bool driverInstalled() const { return m_driverInstalled; }
    // Every strip, sources in configuration order and then devices, as programs outside the
    // window see it: objects with id, name, kind, gainDb, mute and available (a source is
    // present, a device works).
    Json strips() const;

public slots:
    void onConnection(bool connected, const QString& status);
    void onMessage(const QByteArray& bytes);

signals:
    void connectionChanged();
    void changed();
    void stateChanged();
    void listeningChanged();
    void blinkChanged();
    void toastChanged();
    void deviceNotice(const QString& text);
    // An edit was refused before anything was sent; `text` is also the toast. Emitted during
    // the call that was refused.
    void editRefused(const QString& text);

private:
    void handleReply(const Json& reply);
    void handleEvent(const Json& message);
    void applyDeferredConfigIfIdle();
    void requestConfig();
    // Shows why an edit was not made and announces the refusal.
    void refuseEdit(const QString& text);

    // One strip edit: {"cmd": setSource/setDevice, "id": id, ...fields}; live edits are merged.
    void stripEdit(const char* cmd, const std::string& id, Json fields, bool live);
    void queueLiveEdit(const std::string& key, const Json& command);
    // A request whose success re-reads the endpoint list.
    void requestThenEndpoints(Json command, std::function<void()> onSuccess = {});

    // Engine-reported running state of one output / one source ("state" message).
    struct DeviceRuntime {
        bool available = false;
        double latencyMs = -1;
        std::string error;
        bool operator==(const DeviceRuntime&) const = default;
    };
    struct SourceRuntime {
        bool playing = false;
        bool available = true;
        bool operator==(const SourceRuntime&) const = default;
    };

    // What the first pass of a rebuild learns from the endpoint list about Windows' defaults.
    struct WindowsDefaults {
        bool driverPresent = false;
        bool sinkDefault = false;
        bool micDefault = false;
        QString defaultOut;
        QString defaultIn;
        QString systemName;
    };

    // The published values of the derived properties, replaced as a whole by each rebuild.
    struct Derived {
        QVariantList hidden, inputsList, outputsList, renderEndpoints, cableOutputs, cableInputs;
        QVariantList mics, scenes;
        QVariantMap settings, windows, sampleChannel, virtualMic, vbCable;
        int unavailableCount = 0;
        bool anyExpanded = false, anyMicVisible = false;
        bool micMuted = false, hasMic = false, voiceOn = false, voiceViaDriver = false;
        bool sceneModified = false;
        QString monitorName, currentSceneName;
        bool anyFailing = false; // some device is not ok: its strip, chips or dots blink

        bool operator==(const Derived& o) const;
    };

    // Role lists of the three list models (backend_models.cpp).
    static QStringList channelRoleNames();
    static QStringList sourceRoleNames();
    static QStringList deviceRoleNames();

    // Predicates of the rows, shared with the invokables (backend_models.cpp).
    bool deviceOk(const Device& d) const;
    bool devicePresent(const Device& d) const;
    bool sourcePresent(const Source& s) const;
    bool sourcePresentAt(const Source& s, qint64 now) const;
    bool sourceVisible(const Source& s) const;
    bool anyMicVoiceOn() const;
    QString monitorOutputName() const;
    const DeviceRuntime* deviceRuntime(const std::string& id) const;

    // The three row builders (backend_rows.cpp) and the derived properties (backend_derived.cpp).
    struct RowContext;
    WindowsDefaults gatherWindowsDefaults() const;
    QList<QVariantMap> buildDeviceRows(const RowContext& ctx) const;
    void buildSourceAndChannelRows(const RowContext& ctx, QList<QVariantMap>& sourceRows,
                                   QList<QVariantMap>& channelRows, Derived& out) const;
    void computeDerived(const RowContext& ctx, const QList<QVariantMap>& channelRows, Derived& out);
    void computeEndpointPickers(Derived& out) const;
    void computeScenes(Derived& out);
    // Fills the routing table of `ctx` (backend_models.cpp).
    void prepareRouting(RowContext& ctx) const;
    // Fills the default-microphone inputs of `ctx` (backend_windows.cpp).
    void prepareMicDiagnosis(RowContext& ctx) const;
    // The Windows default-microphone issue of microphone `mic` (empty when there is none).
    QString defaultMicIssue(const Source& mic, const RowContext& ctx) const;
    // Marks the mirror as changed so values cached from it are recomputed.
    void mirrorChanged() { ++m_configGeneration; }

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
    // The pending "getConfig" requests: their failure is not answered with another one, or an
    // engine that cannot give its document would be asked again on every round trip.
    std::set<int> m_configRequests;
    bool m_deferred = false;
    Json m_deferredConfig;
    std::map<std::string, Json> m_pendingEdits;
    QTimer m_flushTimer;
    QTimer m_blinkTimer;
    QTimer m_endpointsTimer;
    QTimer m_toastTimer;
    QElapsedTimer m_clock;
    bool m_blink = false;
    bool m_blinkHeld = false;
    bool m_unseen = false;
    bool m_stateHeld = false; // a stateChanged waits for a window to be seen
    bool m_rowsHeld = false;  // so does the rebuild after a state that changed no input
    QString m_toast;
    int m_revision = 0;
    Timings m_timings;

    // Runtime inputs from the engine's "endpoints" and "state" messages.
    std::vector<EndpointInfo> m_endpoints;
    std::map<std::string, std::string> m_endpointTags; // endpoint id -> product tag
    Json m_lastState;                                  // the last "state" payload, kept whole
    bool m_haveState = false;
    std::map<std::string, DeviceRuntime> m_deviceRuntime;
    std::map<std::string, SourceRuntime> m_sourceRuntime;
    std::map<std::string, qint64> m_lastPlaying; // source id -> clock when last seen playing
    std::map<std::string, QStringList> m_micBypassApps;
    bool m_driverInstalled = false;
    std::map<std::string, bool> m_previousAvailability; // device id -> available, last state
    QVariantMap m_engine;
    QStringList m_listenOn;
    QString m_outputLoop;
    std::function<qint64()> m_clockOverride;

    // Derived properties and what they are cached from.
    Derived m_derived;
    quint64 m_configGeneration = 0;
    quint64 m_scenesGeneration = ~quint64(0); // generation the scene list was computed for
};

} // namespace qv::ui
