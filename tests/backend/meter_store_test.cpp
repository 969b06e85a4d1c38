// MeterStore with scripted snapshots and scripted time: no timers, no sleeps.

#include "backend/meter_store.h"
#include "engine/transport.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using qv::MeterBlock;
using qv::ui::MeterStore;

namespace {

struct Entry {
    std::string id;
    float left = 0;
    float right = 0;
};

// Hands out whatever the test put in `entries`; `fresh` false means "no new snapshot".
class MeterFeed : public qv::ui::Transport {
public:
    std::vector<Entry> entries;
    bool fresh = true;
    uint32_t forcedCount = 0; // when set, written as the block's count instead of the real one
    int reads = 0;

    void start() override {}
    void send(QByteArray) override {}
    bool readMeters(MeterBlock* out) override {
        ++reads;
        if (!fresh)
            return false;
        std::memset(out, 0, sizeof(MeterBlock));
        out->magic = qv::kMeterMagic;
        out->version = qv::kMeterVersion;
        out->count = forcedCount ? forcedCount : uint32_t(entries.size());
        for (size_t i = 0; i < entries.size() && i < size_t(qv::kMeterSlots); ++i) {
            std::memcpy(out->entries[i].id, entries[i].id.data(),
                        std::min(entries[i].id.size(), qv::kMeterIdBytes));
            out->entries[i].left = entries[i].left;
            out->entries[i].right = entries[i].right;
        }
        return true;
    }
};

class ClockedStore : public MeterStore {
public:
    using MeterStore::MeterStore;
    qint64 now = 0;
    void step(qint64 ms) {
        now += ms;
        tick();
    }

protected:
    qint64 nowMs() const override { return now; }
};

constexpr double kPerTick = 0.6 * 0.016; // fall of one 16 ms tick

} // namespace

class MeterStoreTest : public QObject {
    Q_OBJECT

private slots:
    // Levels are shown on a -60..0 dB scale; a broken level (NaN) shows as silence.
    void attackIsInstantOnTheDecibelScale() {
        MeterFeed t;
        ClockedStore store(&t);
        QSignalSpy frames(&store, &MeterStore::frameChanged);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        t.entries = {{"in:mic", 0.1f, 4.0f}, {"out:hp", nan, 0.0005f}};
        store.step(16);
        QVERIFY(std::abs(store.left("in:mic") - 40.0 / 60.0) < 1e-6); // -20 dBFS
        QCOMPARE(store.right("in:mic"), 1.0);                         // above full scale
        QCOMPARE(store.left("out:hp"), 0.0);
        QCOMPARE(store.right("out:hp"), 0.0); // below -60 dBFS
        QCOMPARE(store.frame(), 1);
        QCOMPARE(frames.size(), 1); // once per tick, however many entries moved
        QCOMPARE(store.left("never-seen"), 0.0);
        QCOMPARE(store.left("IN:MIC"), 0.0);

        // Jitter far below 0.0001 of the display scale is no new frame.
        for (int i = 0; i < 10; ++i) {
            t.entries[0].left = (i % 2) ? 0.100001f : 0.1f;
            store.step(16);
        }
        QCOMPARE(frames.size(), 1);
        t.entries[0].left = 0.2f;
        store.step(16);
        QCOMPARE(frames.size(), 2);
    }

    // Silence after full scale: 0.6 per second, i.e. 105 ticks of 16 ms, then no more frames.
    void releaseIsLinearThenQuiet_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("entry reads silence") << 0;
        QTest::newRow("entry left the block") << 1;
        QTest::newRow("no snapshot at all") << 2;
    }
    void releaseIsLinearThenQuiet() {
        QFETCH(int, mode);
        MeterFeed t;
        ClockedStore store(&t);
        t.entries = {{"app:game.exe", 1.0f, 1.0f}, {"system", 0.5f, 0.5f}};
        store.step(16);
        if (mode == 0)
            t.entries[0] = {"app:game.exe", 0, 0};
        else if (mode == 1)
            t.entries.erase(t.entries.begin());
        else
            t.fresh = false;

        int ticks = 0;
        double expected = 1.0;
        while (store.left("app:game.exe") > 0 && ticks < 1000) {
            const int frame = store.frame();
            store.step(16);
            ++ticks;
            expected = std::max(expected - kPerTick, 0.0);
            QVERIFY(std::abs(store.left("app:game.exe") - expected) < 1e-9);
            QCOMPARE(store.right("app:game.exe"), store.left("app:game.exe"));
            QCOMPARE(store.frame(), frame + 1);
        }
        QCOMPARE(ticks, int(std::ceil(1.0 / kPerTick))); // about 1.67 s
        const double system = store.left("system");
        const int frame = store.frame();
        for (int i = 0; i < 20; ++i)
            store.step(16);
        if (mode != 2) // a steady "system" keeps its level; the rest is silent
            QCOMPARE(store.frame(), frame);
        QCOMPARE(store.left("app:game.exe"), 0.0);
        if (mode != 2)
            QCOMPARE(store.left("system"), system);
    }

    void lateTickFallsAtMostAQuarterSecond() {
        MeterFeed t;
        ClockedStore store(&t);
        t.entries = {{"a", 1.0f, 1.0f}};
        store.step(16);
        t.entries = {{"a", 0, 0}};
        store.step(3000);
        QVERIFY(std::abs(store.left("a") - 0.85) < 1e-9);
        store.step(-50); // a clock that went backwards does not raise or drop anything
        QVERIFY(std::abs(store.left("a") - 0.85) < 1e-9);
    }

    void runningStopsAndRestartsTheFall() {
        MeterFeed t;
        ClockedStore store(&t);
        QVERIFY(store.running()); // the timer runs from construction
        QSignalSpy running(&store, &MeterStore::runningChanged);
        t.entries = {{"a", 1.0f, 1.0f}};
        store.step(16);
        t.fresh = false;

        store.setRunning(false);
        QVERIFY(!store.running());
        store.setRunning(false);
        QCOMPARE(running.size(), 1);

        store.now += 10000; // ten seconds minimised
        store.setRunning(true);
        QVERIFY(store.running());
        store.setRunning(true);
        QCOMPARE(running.size(), 2);
        store.step(16);
        QVERIFY(std::abs(store.left("a") - (1.0 - kPerTick)) < 1e-9);
        // The slot of an id reads the same levels as left()/right().
        const int slot = store.slotOf("a");
        QVERIFY(slot >= 0);
        QCOMPARE(store.slotOf("b"), -1);
        QCOMPARE(store.leftAt(slot), store.left("a"));
        QCOMPARE(store.rightAt(slot), store.right("a"));
    }

    // Once meter items exist, the timer runs exactly while one of them can be seen.
    void viewersDriveTheTimer() {
        MeterFeed t;
        ClockedStore store(&t);
        store.addClient(); // a meter in a hidden window
        QVERIFY(!store.running());
        store.addViewer();
        store.addViewer();
        QVERIFY(store.running());
        store.removeViewer();
        QVERIFY(store.running());
        store.removeViewer();
        store.removeViewer(); // one too many stays at zero
        QVERIFY(!store.running());
        store.addViewer();
        QVERIFY(store.running());
    }

    // The engine promises zero-terminated ids and at most 128 entries; a block that breaks either
    // promise is read within its bounds. Ids that decode to the same text (invalid UTF-8 becomes
    // U+FFFD) share one level: QML can only ask for that text.
    void malformedBlockStaysInBounds() {
        MeterFeed t;
        ClockedStore store(&t);
        const std::string full(qv::kMeterIdBytes, 'x'); // no terminator at all
        t.entries = {{full, 1.0f, 1.0f}, {"\xff", 0.1f, 0.1f}, {"\xfe", 1.0f, 1.0f}};
        t.forcedCount = 100000;
        store.step(16);
        QCOMPARE(store.left(QString::fromStdString(full)), 1.0);
        QCOMPARE(store.left(QString()), 0.0); // the unused, empty slots hold silence
        QCOMPARE(store.left(QString(QChar(0xFFFD))), 1.0);
        t.entries = {{"\xfe", 0.1f, 0.1f}, {"\xff", 0.0f, 0.0f}};
        t.forcedCount = 0;
        store.step(16);
        QVERIFY(std::abs(store.left(QString(QChar(0xFFFD))) - (1.0 - 2 * kPerTick)) < 1e-9);
    }

    // The real timer reads the block, and a stopped store reads nothing: a hidden window does no
    // meter work at all.
    void realTimerTicksAndStops() {
        MeterFeed t;
        MeterStore store(&t);
        QTRY_VERIFY_WITH_TIMEOUT(t.reads >= 2, 2000);
        store.setRunning(false);
        const int reads = t.reads;
        QTest::qWait(50);
        QCOMPARE(t.reads, reads);
    }
};

QTEST_GUILESS_MAIN(MeterStoreTest)
#include "meter_store_test.moc"
