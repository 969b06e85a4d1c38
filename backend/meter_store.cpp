#include "backend/meter_store.h"

#include "engine/transport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv::ui {

MeterStore::MeterStore(Transport* transport, QObject* parent)
    : QObject(parent), m_transport(transport) {
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &MeterStore::tick);
    // The clock starts here, so "now" is 0: no virtual call from the constructor needed.
    m_lastTick = 0;
    m_timer.start();
}

MeterStore::~MeterStore() = default;

void MeterStore::setRunning(bool on) {
    if (on == m_timer.isActive())
        return;
    if (on) {
        // The first tick after a pause measures its fall from now, so nothing drops while
        // the window was hidden.
        m_lastTick = nowMs();
        m_timer.start();
    } else {
        m_timer.stop();
    }
    emit runningChanged();
}

double MeterStore::left(const QString& id) const {
    const auto it = m_byId.constFind(id);
    return it == m_byId.constEnd() ? 0.0 : m_levels[*it].left;
}

double MeterStore::right(const QString& id) const {
    const auto it = m_byId.constFind(id);
    return it == m_byId.constEnd() ? 0.0 : m_levels[*it].right;
}

int MeterStore::slotOf(const QString& id) const {
    const auto it = m_byId.constFind(id);
    return it == m_byId.constEnd() ? -1 : *it;
}

void MeterStore::addClient() {
    ++m_clients;
    followViewers();
}

void MeterStore::removeClient() {
    m_clients = std::max(m_clients - 1, 0);
    followViewers();
}

void MeterStore::addViewer() {
    ++m_viewers;
    followViewers();
}

void MeterStore::removeViewer() {
    m_viewers = std::max(m_viewers - 1, 0);
    followViewers();
}

// Without meter items (a test of the store, a bench) nothing calls this and the timer keeps its
// own running state; with them it runs exactly while one can be seen. The last client leaving
// stops it too: the window that held the meters is gone.
void MeterStore::followViewers() {
    setRunning(m_viewers > 0);
}

double MeterStore::displayLevel(double linear) {
    // Written so that NaN lands here too: a broken level shows as silence, not as garbage that
    // would never fall back.
    if (!(linear > 0))
        return 0.0;
    return std::clamp((20.0 * std::log10(linear) + 60.0) / 60.0, 0.0, 1.0);
}

// Finds the slot of a raw id, creating it on first sight. The raw-bytes hash is probed with a
// non-owning QByteArray, so a known id costs no allocation. Two raw ids that decode to the same
// text (invalid UTF-8 becomes U+FFFD) share one slot, as their text is what QML asks for.
int MeterStore::slotFor(const char* id, qsizetype len) {
    const QByteArray probe = QByteArray::fromRawData(id, len);
    const auto known = m_byRaw.constFind(probe);
    if (known != m_byRaw.constEnd())
        return *known;

    const QString text = QString::fromUtf8(id, len);
    auto it = m_byId.constFind(text);
    if (it == m_byId.constEnd()) {
        m_levels.push_back({});
        it = m_byId.insert(text, int(m_levels.size() - 1));
    }
    m_byRaw.insert(QByteArray(id, len), *it); // deep copy: the block is overwritten next tick
    return *it;
}

void MeterStore::tick() {
    const qint64 now = nowMs();
    const double dt = double(now - m_lastTick) / 1000.0;
    m_lastTick = now;
    const double fall = std::min(std::max(dt, 0.0), kMaxFallSeconds) * kFallPerSecond;
    ++m_tickNumber;
    bool changed = false;

    if (!m_block)
        m_block = std::make_unique<MeterBlock>(); // value-initialised: all zero
    if (m_transport && m_transport->readMeters(m_block.get())) {
        const int count = int(std::min<uint32_t>(m_block->count, uint32_t(kMeterSlots)));
        for (int i = 0; i < count; ++i) {
            const MeterEntry& entry = m_block->entries[i];
            const qsizetype len = qsizetype(strnlen(entry.id, kMeterIdBytes));
            Level& level = m_levels[slotFor(entry.id, len)];
            const double left = std::max(level.left - fall, displayLevel(entry.left));
            const double right = std::max(level.right - fall, displayLevel(entry.right));
            if (std::abs(left - level.left) > kChangeEpsilon ||
                std::abs(right - level.right) > kChangeEpsilon)
                changed = true;
            level.left = left;
            level.right = right;
            level.seenTick = m_tickNumber;
        }
    }

    // Ids missing from this snapshot (all of them without one) fall towards silence.
    if (fall > 0) {
        for (Level& level : m_levels) {
            if (level.seenTick == m_tickNumber || (level.left <= 0 && level.right <= 0))
                continue;
            level.left = std::max(level.left - fall, 0.0);
            level.right = std::max(level.right - fall, 0.0);
            changed = true;
        }
    }

    if (changed) {
        ++m_frame;
        emit frameChanged();
    }
    m_undrawn = m_undrawn || changed;
    if (m_undrawn && m_tickNumber % kTicksPerDraw == 0) {
        m_undrawn = false;
        emit drawFrame();
    }
}

} // namespace qv::ui
