// The rows of qv.devices, qv.sources and qv.channels: presence and the "stopped playing" grace
// period on an injected clock, state and error texts, routing names, targets, subtitles, icon
// URLs, ordering, and that rows keep their identity (no remove/insert, no signal) across rebuilds.

#include "tests/backend/rows_support.h"

#include <QSignalSpy>

using namespace qv::test;
using qv::ui::Backend;

namespace {

Json outputsDocument() {
    return Json::parse(R"J({
      "sources": [
        {"id": "app:game.exe", "kind": "app", "name": "Игра",
         "exePath": "C:\\Program Files\\Тест\\a-b_c.d~e.exe"},
        {"id": "in:mic", "kind": "physical_input", "name": "Микрофон",
         "endpointName": "Микрофон (USB)",
         "targets": {"apps": ["app:chat.exe", "app:gone.exe", "app:game.exe"]}},
        {"id": "system", "kind": "system", "name": "Все звуки"},
        {"id": "app:chat.exe", "kind": "app", "name": "Чат"},
        {"id": "app:zoom.exe", "kind": "app", "name": "Zoom"}
      ],
      "devices": [
        {"id": "virtual_mic", "kind": "virtual_mic", "name": "QUORVEL Mic"},
        {"id": "out:hp", "kind": "physical", "name": "Наушники", "endpointName": "Наушники",
         "mode": "apps", "sources": ["system", "app:game.exe"],
         "eq": {"preset": "bass", "bands": [6,6,5,3,1,0,0,0,0,0]}},
        {"id": "out:spk", "kind": "physical", "name": "Колонки", "endpointName": "Динамики (R)",
         "mode": "all", "eq": {"bands": [0.05,0,0,0,0,0,0,0,0,0]}},
        {"id": "out:off", "kind": "physical", "name": "Выкл", "state": "disabled",
         "eq": {"preset": "gone", "bands": [0,0,0,0,0.06,0,0,0,0,0]}}
      ]
    })J");
}

} // namespace

class BackendRowsTest : public QObject {
    Q_OBJECT

private slots:
    void deviceRowsBeforeAnyState() {
        BackendRig rig;
        rig.startReady(outputsDocument());
        Backend& b = *rig.backend;
        // Physical devices first, the virtual microphone last, each in document order.
        QCOMPARE(rowIds(b.devices()), QStringList({"out:hp", "out:spk", "out:off", "virtual_mic"}));
        const QVariantMap hp = rowById(b.devices(), "out:hp");
        QCOMPARE(hp["stateText"].toString(), QStringLiteral("Подключено"));
        QCOMPARE(hp["playing"].toString(), QStringLiteral("Игра")); // system is never named
        QCOMPARE(hp["sources"].toStringList(), QStringList({"app:game.exe", "system"}));
        QCOMPARE(hp["eqPresetName"].toString(), QStringLiteral("Больше баса"));
        const QVariantMap spk = rowById(b.devices(), "out:spk");
        QCOMPARE(spk["stateText"].toString(), QStringLiteral("Подключено · Динамики (R)"));
        QCOMPARE(spk["playing"].toString(), QStringLiteral("Все звуки"));
        QCOMPARE(spk["playingCount"].toInt(), -1);
        QCOMPARE(spk["eqPresetName"].toString(), QStringLiteral("Ровно")); // 0.05 dB is flat
        QCOMPARE(spk["eqOn"].toBool(), false);
        const QVariantMap off = rowById(b.devices(), "out:off");
        QCOMPARE(off["stateText"].toString(), QStringLiteral("Выключено"));
        QCOMPARE(off["ok"].toBool(), false);
        QCOMPARE(off["eqPresetName"].toString(), QStringLiteral("Своя настройка"));
        QCOMPARE(rowById(b.devices(), "virtual_mic")["playing"].toString(),
                 QStringLiteral("Микрофон"));
    }

    void deviceStateTexts_data() {
        QTest::addColumn<QString>("runtime"); // the device's record in the state, "" for none
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("stateText");
        QTest::addColumn<QString>("error");
        const QString gone = "Устройство пропало из Windows — ждём, когда появится.";
        const QString waiting = "Недоступно — ждём подключения, настройки сохранены";
        const QString broken = "Подключено, но не открывается — см. ниже";
        QTest::newRow("no record") << "" << true << waiting << "";
        QTest::newRow("available") << R"({"available": true})" << true << "Подключено"
                                   << "";
        QTest::newRow("unavailable") << R"({"available": false})" << false << waiting << "";
        QTest::newRow("in use") << R"({"available": true, "error": "x DEVICE_IN_USE"})" << false
                                << broken
                                << "Устройство занято другой программой в монопольном режиме "
                                   "(например, Voicemeeter или игра). Освободите его там — "
                                   "QUORVEL подключится сам.";
        QTest::newRow("invalidated")
            << R"({"available": true, "error": "DEVICE_INVALIDATED"})" << false << broken << gone;
        QTest::newRow("russian") << R"({"available": false, "error": "устройство недоступно"})"
                                 << false << waiting << gone;
        QTest::newRow("format") << R"({"available": true, "error": "UNSUPPORTED_FORMAT"})" << false
                                << broken
                                << "Устройство не принимает формат звука QUORVEL. Проверьте "
                                   "его формат в «Параметры → Звук».";
        QTest::newRow("other, case-sensitive") << R"({"available": true, "error": "device_in_use"})"
                                               << false << broken << "device_in_use";
    }

    void deviceStateTexts() {
        QFETCH(QString, runtime);
        QFETCH(bool, ok);
        QFETCH(QString, stateText);
        QFETCH(QString, error);
        BackendRig rig;
        rig.startReady(outputsDocument());
        Json devices = Json::array();
        if (!runtime.isEmpty()) {
            devices.push_back(Json::parse(runtime.toStdString()));
            devices[0]["id"] = "out:hp";
        }
        rig.backend->applyState(stateWith(Json::array(), devices));
        const QVariantMap hp = rowById(rig.backend->devices(), "out:hp");
        QCOMPARE(hp["ok"].toBool(), ok);
        QCOMPARE(hp["stateText"].toString(), stateText);
        QCOMPARE(hp["error"].toString(), error);
    }

    void sourceRowsOrderRoutingAndTargets() {
        BackendRig rig;
        rig.startReady(outputsDocument());
        Backend& b = *rig.backend;
        b.applyState(stateWith({{{"id", "app:game.exe"}, {"playing", true}}},
                               {deviceState("out:hp", true), deviceState("out:spk", false)}));
        // Microphones, then the all-sounds source, then applications; ties in document order.
        QCOMPARE(rowIds(b.sources()),
                 QStringList({"in:mic", "system", "app:game.exe", "app:chat.exe", "app:zoom.exe"}));
        const QVariantMap game = rowById(b.sources(), "app:game.exe");
        QCOMPARE(game["icon"].toString(),
                 QStringLiteral("image://appicon/C%3A%5CProgram%20Files%5C%D0%A2%D0%B5%D1%81%D1%82"
                                "%5Ca-b_c.d~e.exe"));
        QCOMPARE(game["onDevices"].toStringList(), QStringList({"out:hp", "out:spk"}));
        QCOMPARE(game["onNames"].toString(), QStringLiteral("Наушники, Колонки (недоступно)"));
        QCOMPARE(game["playsCount"].toInt(), 2);
        // Target names in document order, ids that name no source left out.
        const QVariantMap mic = rowById(b.sources(), "in:mic");
        QCOMPARE(mic["targets"].toString(), QStringLiteral("Игра, Чат"));
        QCOMPARE(mic["targetIds"].toStringList(), QStringList({"app:game.exe", "app:chat.exe"}));
        QCOMPARE(mic["onDevices"].toStringList(), QStringList());
        b.setMicAll("in:mic", true);
        QCOMPARE(rowById(b.sources(), "in:mic")["targets"].toString(),
                 QStringLiteral("Все приложения"));
        QCOMPARE(rowById(b.sources(), "in:mic")["targetsAll"].toBool(), true);
    }

    // An application stays for 15 s after the last state that reported it playing.
    void stoppedApplicationStaysFifteenSeconds() {
        BackendRig rig;
        rig.startReady(outputsDocument());
        Backend& b = *rig.backend;
        qint64 now = 100000;
        b.setClockForTesting([&now] { return now; });
        auto report = [&](bool playing) {
            const Json state = stateWith({{{"id", "app:game.exe"}, {"playing", playing}}}, {});
            rig.transport->deliver(Json{{"event", "state"}, {"state", state}});
            return rowById(b.sources(), "app:game.exe")["visible"].toBool();
        };
        QVERIFY(report(true));
        const QVariantMap chat = rowById(b.sources(), "app:chat.exe"); // never played
        QCOMPARE(chat["reason"].toString(),
                 QStringLiteral("Не воспроизводит звук — скрыт автоматически"));
        now += 14999;
        QVERIFY(report(false));
        now += 1;
        // With no window seen, the same report leaves the rows until one is seen again.
        b.setUnseen(true);
        QVERIFY(report(false));
        b.setUnseen(false);
        QVERIFY(!rowById(b.sources(), "app:game.exe")["visible"].toBool());
        b.showSource("app:game.exe"); // shown while absent, and the row says why
        QCOMPARE(rowById(b.sources(), "app:game.exe")["reason"].toString(),
                 QStringLiteral("показан всегда"));
        QVERIFY(rowById(b.sources(), "system")["visible"].toBool());
    }

    // A gone microphone stays a strip with auto-hide off; with it on, or hidden by hand, it
    // leaves the strips and is listed as hidden with the reason.
    void goneOrHiddenMicrophone() {
        Json doc = outputsDocument();
        doc["settings"] = {{"autoHideDisconnected", false}};
        BackendRig rig;
        rig.startReady(doc);
        Backend& b = *rig.backend;
        b.applyState(stateWith({{{"id", "in:mic"}, {"available", false}}}, {}));
        const QVariantMap ch = rowById(b.channels(), "in:mic");
        QCOMPARE(ch["subtitle"].toString(), QStringLiteral("Нет устройства · Микрофон (USB)"));
        QCOMPARE(ch["available"].toBool(), false);
        QVERIFY(b.hidden().isEmpty());
        b.setSettings({{"autoHideDisconnected", true}});
        QCOMPARE(rowIds(b.channels()), QStringList());
        QCOMPARE(b.hidden()[0].toMap()["reason"].toString(),
                 QStringLiteral("Нет устройства — скрыт автоматически"));

        b.hideSource("in:mic");
        QCOMPARE(rowById(b.sources(), "in:mic")["visible"].toBool(), false);
        QCOMPARE(b.hidden(), QVariantList({QVariantMap{{"id", "in:mic"},
                                                       {"name", "Микрофон"},
                                                       {"reason", "Скрыт вручную"},
                                                       {"removable", true}}}));
        QCOMPARE(b.anyMicVisible(), false);
    }

    void channelSubtitleAndPan_data() {
        QTest::addColumn<QString>("fx");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<double>("pan");
        QTest::newRow("voice off") << R"({"pan": 0.125})"
                                   << "Микрофон (USB)" << 13.0;
        QTest::newRow("catalogue voice") << R"({"pan": -0.125, "voice": {"on": true}})"
                                         << "Голос: низкий · Микрофон (USB)" << -13.0;
        QTest::newRow("unknown voice") << R"({"pan": 0.004, "voice": {"on": true, "preset": "x"}})"
                                       << "Голос: x · Микрофон (USB)" << 0.0;
    }

    void channelSubtitleAndPan() {
        QFETCH(QString, fx);
        QFETCH(QString, subtitle);
        QFETCH(double, pan);
        Json doc = outputsDocument();
        doc["sources"][1]["fx"] = Json::parse(fx.toStdString());
        BackendRig rig;
        rig.startReady(doc);
        const QVariantMap ch = rowById(rig.backend->channels(), "in:mic");
        QCOMPARE(ch["subtitle"].toString(), subtitle);
        QCOMPARE(ch["pan"].toDouble(), pan);
    }

    // QML delegates survive rebuilds: a dragged fader changes one role of one row and nothing
    // else; a rebuild with nothing new emits nothing from the lists.
    void rowsKeepTheirIdentity() {
        BackendRig rig;
        rig.startReady(outputsDocument());
        Backend& b = *rig.backend;
        const Json state = stateWith({{{"id", "in:mic"}, {"available", true}}},
                                     {deviceState("out:hp", true), deviceState("out:spk", true)});
        b.applyState(state);
        std::vector<std::unique_ptr<QSignalSpy>> structural;
        for (QObject* model : {b.channels(), b.sources(), b.devices()})
            for (const char* sig :
                 {SIGNAL(rowsInserted(QModelIndex, int, int)),
                  SIGNAL(rowsRemoved(QModelIndex, int, int)),
                  SIGNAL(rowsMoved(QModelIndex, int, int, QModelIndex, int)), SIGNAL(modelReset())})
                structural.push_back(std::make_unique<QSignalSpy>(model, sig));
        const char* dataChanged = SIGNAL(dataChanged(QModelIndex, QModelIndex, QList<int>));
        QSignalSpy channelData(b.channels(), dataChanged);
        QSignalSpy deviceData(b.devices(), dataChanged);
        QSignalSpy changed(&b, &Backend::changed);
        for (int i = 0; i < 100; ++i) {
            if (i % 2)
                b.applyState(state);
            else
                b.setSource("in:mic", {{"gainDb", -0.25 * (i + 1)}}, true);
        }
        for (const auto& spy : structural)
            QCOMPARE(spy->count(), 0);
        QCOMPARE(deviceData.count(), 0);
        QCOMPARE(channelData.count(), 50);
        for (const QList<QVariant>& args : channelData) // the gainDb role alone
            QCOMPARE(args.at(2).value<QList<int>>(),
                     QList<int>({qv::ui::ListModel::kFirstRole + 6}));
        QCOMPARE(changed.count(), 50); // the repeated state changes nothing shown

        channelData.clear();
        changed.clear();
        QSignalSpy sourceData(b.sources(), dataChanged);
        b.rebuildModels();
        QCOMPARE(channelData.count() + sourceData.count() + deviceData.count(), 0);
        QCOMPARE(changed.count(), 0); // nothing new reaches QML
    }
};

QTEST_MAIN(BackendRowsTest)
#include "tst_backend_rows.moc"
