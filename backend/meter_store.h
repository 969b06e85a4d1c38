#pragma once
// MeterStore: turns the engine's raw meter snapshots into smooth display levels for QML.
//
//   MeterStore(transport, parent)  the timer (16 ms, precise) starts at once: running is true.
//   frame / frameChanged()         change counter, bumped at most once per tick and only when a
//                                  displayed level moved; QML bindings read it to re-evaluate.
//   running / runningChanged()     false stops the timer and freezes the levels; true restarts it
//                                  and measures the next fall from the restart.
//   left(id), right(id)            displayed level 0 ... 1 of an id; 0.0 for an id never seen.
//   displayLevel(x)                the scale: linear amplitude -> 0 ... 1, linear in dB over
//                                  -60 ... 0 dBFS; non-finite or non-positive levels show 0.
//
// Levels rise instantly and fall linearly by 0.6 of full scale per second (0.15 at most per tick,
// so a stalled timer does not drop everything at once). Ids never leave the store; an id that
// disappears from the block falls to 0. After every id has been seen once, a tick allocates
// nothing: entries are found by their raw id bytes, without building a QString.
//
// Tests drive time through a subclass: override nowMs() and call tick() directly.
//
// Native meter items read the store from C++ and tell it who is watching:
//   addClient() / removeClient()   a meter item exists (shown or not). From the first client on,
//                                  the timer runs only while at least one of them is a viewer,
//                                  so a hidden window, a closed dialog or the tray costs no ticks.
//   addViewer() / removeViewer()   a client can be seen right now.
//   slotOf(id), leftAt / rightAt   one hash lookup per id, then plain reads; slots never move.
//   drawFrame()                    every kTicksPerDraw-th tick when anything moved since the last
//                                  one: what meter items redraw on. The levels still move every
//                                  tick; a drawing rate of 30 per second halves the frames the
//                                  window has to render, and the last move is never left out.

#include "engine/meter_block.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

namespace qv::ui {

class Transport;

class MeterStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(int frame READ frame NOTIFY frameChanged)
    Q_PROPERTY(bool running READ running WRITE setRunning NOTIFY runningChanged)

public:
    static constexpr int kIntervalMs = 16;
    static constexpr double kFallPerSecond = 0.6;
    static constexpr double kMaxFallSeconds = 0.25; // caps one tick's fall at 0.15
    static constexpr double kChangeEpsilon = 0.0001;
    static constexpr int kTicksPerDraw = 2;

    explicit MeterStore(Transport* transport, QObject* parent = nullptr);
    ~MeterStore() override;

    int frame() const { return m_frame; }
    bool running() const { return m_timer.isActive(); }
    void setRunning(bool on);

    Q_INVOKABLE double left(const QString& id) const;
    Q_INVOKABLE double right(const QString& id) const;

    static double displayLevel(double linear);

    void addClient();
    void removeClient();
    void addViewer();
    void removeViewer();
    int viewers() const { return m_viewers; }
    // Slot of an id already stored, or -1; stays valid for the store's lifetime.
    int slotOf(const QString& id) const;
    double leftAt(int slot) const { return m_levels[size_t(slot)].left; }
    double rightAt(int slot) const { return m_levels[size_t(slot)].right; }

signals:
    void frameChanged();
    void runningChanged();
    void drawFrame();

protected:
    // Milliseconds since construction; virtual so tests can script time.
    virtual qint64 nowMs() const { return m_clock.elapsed(); }
    // One timer step: read a snapshot, apply attack and release, bump frame on a change.
    void tick();

private:
    struct Level {
        double left = 0;
        double right = 0;
        quint32 seenTick = 0; // tick number in which the id was last in the block
    };

    int slotFor(const char* id, qsizetype len);
    void followViewers();

    Transport* m_transport;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    int m_frame = 0;
    quint32 m_tickNumber = 0;
    bool m_undrawn = false; // moved since the last drawFrame()
    int m_clients = 0;
    int m_viewers = 0;
    std::unique_ptr<MeterBlock> m_block; // the one snapshot buffer, made on first use
    std::vector<Level> m_levels;
    QHash<QString, int> m_byId;     // decoded id -> slot (QML lookups, first sight of raw ids)
    QHash<QByteArray, int> m_byRaw; // raw id bytes -> slot (the per-tick path)
};

} // namespace qv::ui
