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

    explicit MeterStore(Transport* transport, QObject* parent = nullptr);
    ~MeterStore() override;

    int frame() const { return m_frame; }
    bool running() const { return m_timer.isActive(); }
    void setRunning(bool on);

    Q_INVOKABLE double left(const QString& id) const;
    Q_INVOKABLE double right(const QString& id) const;

    static double displayLevel(double linear);

signals:
    void frameChanged();
    void runningChanged();

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

    Transport* m_transport;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    int m_frame = 0;
    quint32 m_tickNumber = 0;
    std::unique_ptr<MeterBlock> m_block; // the one snapshot buffer, made on first use
    std::vector<Level> m_levels;
    QHash<QString, int> m_byId;     // decoded id -> slot (QML lookups, first sight of raw ids)
    QHash<QByteArray, int> m_byRaw; // raw id bytes -> slot (the per-tick path)
};

} // namespace qv::ui
