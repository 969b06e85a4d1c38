// The whole demo world through the Backend: rows and properties compared with values worked out
// by hand from the demo document, its endpoint list and its running state (headphones and
// speakers present, the USB headset and the web-camera microphone unplugged, every application
// playing, the product's driver installed).

#include "backend/backend.h"
#include "engine/demo_transport.h"
#include "tests/backend/rows_support.h"

#include <QTest>

using namespace qv::test;
using qv::ui::Backend;
using qv::ui::DemoTransport;

namespace {

bool settled(const Backend& b) {
    return b.pendingReplyCount() == 0 && b.pendingEditCount() == 0 && !b.hasDeferredConfig();
}

struct Demo {
    DemoTransport transport;
    Backend backend;

    explicit Demo(bool windowsDefault) : transport(windowsDefault, true), backend(&transport) {
        Backend::Timings t;
        t.flushMs = 10;
        backend.setTimings(t);
    }

    bool start() {
        transport.start();
        return QTest::qWaitFor(
            [&] { return backend.ready() && settled(backend) && backend.haveState(); }, 3000);
    }
};

const QString kVmicName = QStringLiteral("QUORVEL Mic (QUORVEL Virtual Audio)");

} // namespace

class BackendDemoRowsTest : public QObject {
    Q_OBJECT

private slots:
    void demoWorldRows() {
        Demo d(true);
        QVERIFY(d.start());
        Backend& b = d.backend;

        QCOMPARE(rowIds(b.devices()),
                 QStringList({"out:demo-hp", "out:demo-spk", "out:demo-usb", "virtual_mic"}));
        const QVariantMap hp = rowById(b.devices(), "out:demo-hp");
        QCOMPARE(hp["stateText"].toString(),
                 QStringLiteral("Подключено · Наушники (HyperX Cloud II)"));
        QCOMPARE(hp["playing"].toString(), QStringLiteral("Discord, Spotify, Игра"));
        QCOMPARE(hp["playingCount"].toInt(), 3);
        QCOMPARE(hp["sources"].toStringList(),
                 QStringList({"app:cs2.exe", "app:discord.exe", "app:spotify.exe"}));
        const QVariantMap spk = rowById(b.devices(), "out:demo-spk");
        QCOMPARE(spk["playing"].toString(), QStringLiteral("Все звуки"));
        QCOMPARE(spk["playingCount"].toInt(), -1);
        const QVariantMap usb = rowById(b.devices(), "out:demo-usb");
        QCOMPARE(usb["ok"].toBool(), false);
        QCOMPARE(usb["stateText"].toString(),
                 QStringLiteral("Недоступно — ждём подключения, настройки сохранены · "
                                "Гарнитура (USB Audio)"));
        const QVariantMap vm = rowById(b.devices(), "virtual_mic");
        QCOMPARE(vm["stateText"].toString(),
                 QStringLiteral("Виртуальный микрофон · выбран в Windows"));
        QCOMPARE(vm["playing"].toString(), QStringLiteral("Микрофон"));
        QCOMPARE(b.unavailableCount(), 1);

        QCOMPARE(rowIds(b.sources()), QStringList({"in:demo-mic", "in:demo-inst", "in:demo-in3",
                                                   "system", "app:discord.exe", "app:chrome.exe",
                                                   "app:spotify.exe", "app:cs2.exe"}));
        const QVariantMap discord = rowById(b.sources(), "app:discord.exe");
        QCOMPARE(discord["onNames"].toString(),
                 QStringLiteral("Наушники, Колонки, USB-гарнитура (недоступно)"));
        QCOMPARE(rowById(b.sources(), "system")["onDevices"].toStringList(),
                 QStringList({"out:demo-spk"}));

        // The web camera is unplugged: hidden automatically, not a strip.
        QCOMPARE(rowIds(b.channels()), QStringList({"in:demo-mic", "in:demo-inst"}));
        QCOMPARE(valuesOf(b.hidden(), "id"), QStringList({"in:demo-in3"}));
        const QVariantMap mic = rowById(b.channels(), "in:demo-mic");
        QCOMPARE(mic["subtitle"].toString(), QStringLiteral("Микрофон (USB-микрофон)"));
        QCOMPARE(mic["targets"].toString(), QStringLiteral("Discord"));
        QCOMPARE(mic["defaultIssue"].toString(), QString());
        QCOMPARE(rowById(b.channels(), "in:demo-inst")["pan"].toDouble(), -20.0);
        QCOMPARE(b.anyExpanded(), true);

        QCOMPARE(b.monitorName(), QStringLiteral("Наушники"));
        QCOMPARE(b.voiceViaDriver(), true);
        QCOMPARE(b.virtualMic()["mode"].toString(), QStringLiteral("driver"));
        QCOMPARE(b.vbCable()["present"].toBool(), true);
        QCOMPARE(b.vbCable()["recordId"].toString(), QStringLiteral("demo-cable-out"));

        const QVariantMap w = b.windows();
        QCOMPARE(w["ok"].toBool(), true);
        QCOMPARE(w["defaultIn"].toString(), kVmicName);
        QCOMPARE(w["systemName"].toString(), QStringLiteral("QUORVEL (QUORVEL Virtual Audio)"));

        QCOMPARE(valuesOf(b.inputsList(), "endpointId"),
                 QStringList(
                     {"demo-mic", "demo-inst", "demo-headset-mic", "demo-cable-out", "demo-in3"}));
        QCOMPARE(valuesOf(b.outputsList(), "endpointId"),
                 QStringList({"demo-hp", "demo-spk", "demo-bt", "demo-hdmi", "demo-iface34",
                              "demo-cable-in", "demo-usb"}));
        const QVariantMap e = b.engine();
        QCOMPARE(e["version"].toString(), QStringLiteral("demo"));
        QCOMPARE(e["windowsOutputLoop"].toString(), QString());
    }

    // Windows' defaults on the hardware: the voice goes where no program listens, until the
    // user lets the engine assign the product's endpoints.
    void demoDefaultsOnHardware() {
        Demo d(false);
        QVERIFY(d.start());
        Backend& b = d.backend;
        QCOMPARE(rowById(b.devices(), "virtual_mic")["stateText"].toString(),
                 QStringLiteral("Виртуальный микрофон"));
        QCOMPARE(b.windows()["ok"].toBool(), false);
        QCOMPARE(b.windows()["systemName"].toString(),
                 QStringLiteral("Динамики (Realtek(R) Audio)"));

        b.setMicAll("in:demo-mic", true);
        QVERIFY(QTest::qWaitFor([&] { return settled(b); }, 3000));
        QCOMPARE(rowById(b.channels(), "in:demo-mic")["defaultIssue"].toString(),
                 QStringLiteral("Микрофон Windows по умолчанию — «Микрофон (USB-микрофон)», а "
                                "голос с изменением идёт в «%1»: программы с микрофоном «По "
                                "умолчанию» его не слышат")
                     .arg(kVmicName));

        b.assignWindowsDefaults();
        QVERIFY(QTest::qWaitFor([&] { return settled(b) && b.windows()["ok"].toBool(); }, 3000));
        QCOMPARE(b.toast(),
                 QStringLiteral("QUORVEL назначен в Windows выводом и микрофоном по умолчанию"));
        QCOMPARE(rowById(b.channels(), "in:demo-mic")["defaultIssue"].toString(), QString());
        QCOMPARE(rowById(b.devices(), "virtual_mic")["stateText"].toString(),
                 QStringLiteral("Виртуальный микрофон · выбран в Windows"));
    }
};

QTEST_MAIN(BackendDemoRowsTest)
#include "tst_backend_demo_rows.moc"
