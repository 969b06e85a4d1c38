// The engine's running state and the derived properties: device notices, the engine map,
// Windows defaults, the endpoint pickers and cable lists, the virtual microphone and VB-CABLE
// maps, the microphone summary, the placeholder channel and the scene list.

#include "tests/backend/rows_support.h"

#include <QSignalSpy>

using namespace qv::test;
using qv::ui::Backend;

namespace {

// An outside cable as virtual microphone, a microphone, headphones and a few spare endpoints.
Json cableDocument() {
    return Json::parse(R"J({
      "sources": [
        {"id": "in:mic", "kind": "physical_input", "name": "Мой микрофон", "endpointId": "mic"},
        {"id": "in:gone", "kind": "physical_input", "name": "Старый", "endpointId": "gone",
         "endpointName": "Старый (USB)"}
      ],
      "devices": [
        {"id": "out:hp", "kind": "physical", "name": "Наушники", "endpointId": "hp"},
        {"id": "out:away", "kind": "physical", "name": "Колонки", "endpointId": "away"},
        {"id": "out:off", "kind": "physical", "name": "Выкл", "endpointId": "off",
         "state": "disabled"},
        {"id": "virtual_mic", "kind": "virtual_mic", "name": "CABLE Output", "external": true,
         "endpointId": "cin", "endpointName": "CABLE Input (VB-Audio Virtual Cable)",
         "recordEndpointId": "cout", "recordEndpointName": "CABLE Output (VB-Audio Virtual Cable)"}
      ]
    })J");
}

Json cableEndpoints(bool sink = true) {
    Json list = Json::array(
        {endpoint("hp", "Наушники", true), endpoint("spk", "Динамики", true, true, true),
         endpoint("bt", "Наушники (BT)", true, false),
         endpoint("cin", "CABLE Input (VB-Audio Virtual Cable)", true),
         endpoint("mic", "Микрофон (USB)", false, true, true), endpoint("cam", "Камера", false),
         endpoint("cout", "CABLE Output (VB-Audio Virtual Cable)", false)});
    if (sink)
        list.push_back(tagged(endpoint("sink", "QUORVEL", true), "sink"));
    return list;
}

} // namespace

class BackendDerivedTest : public QObject {
    Q_OBJECT

private slots:
    void deviceNoticesOnlyForChanges() {
        BackendRig rig;
        rig.startReady(cableDocument());
        Backend& b = *rig.backend;
        QSignalSpy notices(&b, &Backend::deviceNotice);
        auto report = [&](bool hp, bool off) {
            b.applyState(
                stateWith(Json::array(), {deviceState("out:hp", hp), deviceState("out:off", off)}));
        };
        b.applyState(stateWith(Json::array(), Json::array())); // no records: nothing to compare
        report(true, true);                                    // first sight
        report(true, false);                                   // only the disabled one flips
        report(false, true);                                   // drops out
        report(false, false);
        report(true, true); // comes back
        QCOMPARE(notices.count(), 2);
        QCOMPARE(notices[0][0].toString(),
                 QStringLiteral("«Наушники» отключено — настройки сохранены"));
        QCOMPARE(notices[1][0].toString(), QStringLiteral("«Наушники» снова подключено"));
    }

    void engineMapFromState() {
        BackendRig rig;
        rig.startReady(cableDocument());
        Backend& b = *rig.backend;
        QSignalSpy stateChanged(&b, &Backend::stateChanged);
        b.applyState(Json::parse(R"({
          "latencyMs": "fast", "cpu": {"percentTotal": 3.5}, "uptimeSec": 42,
          "listenOn": ["A", 7, "B"], "driver": {"installed": true, "cable": {"targetMs": 30}},
          "micBypass": [{"mic": "in:mic", "apps": [{"name": "Telegram"}, 5]}], "devices": [1],
          "sources": [{"id": "in:mic", "available": true}]
        })"));
        const QVariantMap e = b.engine();
        QCOMPARE(e["latencyMs"].toDouble(), 0.0); // wrong type reads as missing
        QCOMPARE(e["cpuPercent"].toDouble(), 3.5);
        QCOMPARE(e["uptimeSec"].toDouble(), 42.0);
        QCOMPARE(e["listenOn"].toStringList(), QStringList({"A", "B"}));
        QCOMPARE(b.listenOn(), e["listenOn"].toStringList());
        QCOMPARE(e["cableMs"].toDouble(), 30.0);
        QCOMPARE(e["driver"].toBool(), true);
        QCOMPARE(rowById(b.channels(), "in:mic")["bypass"].toStringList(),
                 QStringList({"Telegram"}));
        b.applyState(Json::array()); // not an object: ignored
        QCOMPARE(stateChanged.count(), 1);

        // The engine's version reaches the map when the ping reply comes after a state.
        rig.transport->disconnectEngine();
        rig.transport->connectEngine();
        for (const Json& request : rig.transport->takeSent())
            rig.transport->reply(request, request["cmd"] == "ping" ? Json{{"version", "2.1"}}
                                                                   : Json::object());
        QCOMPARE(b.engine()["version"].toString(), QStringLiteral("2.1"));
        QCOMPARE(b.engine()["cableMs"].toDouble(), 30.0);

        // With no window seen the figures wait, the last of them shown once one is seen again;
        // what the strips read changes only when it really does.
        QSignalSpy listening(&b, &Backend::listeningChanged);
        const int before = stateChanged.count();
        b.setUnseen(true);
        b.applyState(Json::parse(R"({"uptimeSec": 43, "listenOn": ["A", "B"]})"));
        b.applyState(Json::parse(R"({"uptimeSec": 44, "listenOn": ["A", "B"],
                                      "sources": [{"id": "in:mic", "available": false}]})"));
        QCOMPARE(stateChanged.count(), before);
        QCOMPARE(listening.count(), 0);
        // A changed input reaches the rows at once: the tray and the cable setup read them.
        QCOMPARE(rowById(b.channels(), "in:mic")["available"].toBool(), false);
        b.setUnseen(false);
        QCOMPARE(stateChanged.count(), before + 1);
        QCOMPARE(b.engine()["uptimeSec"].toDouble(), 44.0);
        b.applyState(Json::parse(R"({"windowsOutputLoop": "CABLE Input"})"));
        QCOMPARE(listening.count(), 1);
        QCOMPARE(b.outputLoop(), QStringLiteral("CABLE Input"));
        QVERIFY(b.listenOn().isEmpty());
    }

    void windowsDefaultsBeforeAnyState() {
        BackendRig rig;
        rig.startReady(cableDocument());
        Backend& b = *rig.backend;
        QCOMPARE(b.windows()["known"].toBool(), false);
        b.applyEndpoints(Json::array({tagged(endpoint("sink", "QUORVEL", true, false), "sink"),
                                      endpoint("spk", "Динамики", true, true, true)}));
        QCOMPARE(b.windows()["driver"].toBool(), false); // tagged, but not active
        QCOMPARE(b.windows()["systemName"].toString(), QStringLiteral("Динамики"));
        b.applyEndpoints(Json::array({tagged(endpoint("sink", "QUORVEL", true, true, true), "sink"),
                                      tagged(endpoint("vm", "Mic", false, true, true), "mic")}));
        const QVariantMap w = b.windows();
        QCOMPARE(w["known"].toBool(), true);
        QCOMPARE(w["driver"].toBool(), true);
        QCOMPARE(w["ok"].toBool(), true);
        QCOMPARE(w["defaultIn"].toString(), QStringLiteral("Mic"));
    }

    void pickersKeepTheCableApart() {
        BackendRig rig;
        rig.startReady(cableDocument());
        Backend& b = *rig.backend;
        b.applyEndpoints(cableEndpoints());
        // The outside cable's ends are the virtual microphone's, never strips...
        QCOMPARE(valuesOf(b.outputsList(), "endpointId"),
                 QStringList({"hp", "spk", "away", "off"}));
        QCOMPARE(valuesOf(b.inputsList(), "endpointId"), QStringList({"mic", "cam", "gone"}));
        QCOMPARE(valuesOf(b.renderEndpoints(), "endpointId"), QStringList({"hp", "spk"}));
        // ...but may serve as a cable: anything not a strip and not the product's own.
        QCOMPARE(valuesOf(b.cableOutputs(), "endpointId"), QStringList({"spk", "cin"}));
        QCOMPARE(valuesOf(b.cableInputs(), "endpointId"), QStringList({"cam", "cout"}));
        const QVariantMap spk = entryWith(b.outputsList(), "endpointId", "spk");
        QCOMPARE(spk["on"].toBool(), false);
        QCOMPARE(spk["sub"].toString(), QStringLiteral("Подключено · по умолчанию в Windows"));
        QCOMPARE(entryWith(b.inputsList(), "endpointId", "mic")["label"].toString(),
                 QStringLiteral("Мой микрофон"));
        // An added microphone whose endpoint is gone is still listed, under its endpoint's name.
        const QVariantMap gone = entryWith(b.inputsList(), "endpointId", "gone");
        QCOMPARE(gone["name"].toString(), QStringLiteral("Старый (USB)"));
        QCOMPARE(gone["id"].toString(), QStringLiteral("in:gone"));
        QCOMPARE(gone["sub"].toString(),
                 QStringLiteral("Сейчас не подключено — настройки сохранены"));
        QVariantMap cable = b.vbCable();
        QCOMPARE(cable["inUse"].toBool(), true);
        QCOMPARE(cable["recordName"].toString(),
                 QStringLiteral("CABLE Output (VB-Audio Virtual Cable)"));
        QCOMPARE(b.virtualMic()["mode"].toString(), QStringLiteral("cable"));
        QCOMPARE(b.virtualMic()["appName"].toString(), cable["recordName"].toString());
        QCOMPARE(b.suggestRecord("cin"), QStringLiteral("cout"));

        // A removed output's endpoint is offered again; without the product's sink the Windows
        // default output is where "all sounds" come from, so not a cable.
        b.removeDevice("out:hp");
        QCOMPARE(entryWith(b.outputsList(), "endpointId", "hp")["on"].toBool(), false);
        b.applyEndpoints(cableEndpoints(false));
        QCOMPARE(valuesOf(b.cableOutputs(), "endpointId"), QStringList({"hp", "cin"}));
        b.setVirtualMic("");
        QCOMPARE(b.virtualMic()["mode"].toString(), QStringLiteral("none"));
        QCOMPARE(b.vbCable()["inUse"].toBool(), false);
    }

    void microphoneSummaryAndPlaceholder() {
        Json doc = cableDocument();
        doc["sources"] = Json::array();
        BackendRig rig;
        rig.startReady(doc);
        Backend& b = *rig.backend;
        QCOMPARE(b.hasMic(), false);
        QCOMPARE(b.micMuted(), false);
        const QVariantMap sample = b.sampleChannel();
        QCOMPARE(sample["kind"].toString(), QStringLiteral("app"));
        QCOMPARE(sample["isMic"].toBool(), true);
        QCOMPARE(valuesOf(sample["chips"].toList(), "id"),
                 QStringList({"out:hp", "out:away", "out:off"}));
        QCOMPARE(b.voiceViaDriver(), true);
        b.applyState(stateWith(Json::array(),
                               {deviceState("out:hp", false), deviceState("virtual_mic", false)}));
        QCOMPARE(b.monitorName(), QStringLiteral("Колонки")); // the first usable output
        QCOMPARE(b.unavailableCount(), 2);                    // the disabled one not counted
        QCOMPARE(b.voiceViaDriver(), false);

        QVERIFY(b.applyConfig(smallMixerDocument()));
        b.applyState(stateWith({{{"id", "in:mic1"}, {"available", true}}}, Json::array()));
        QCOMPARE(b.sampleChannel()["id"].toString(), QStringLiteral("in:mic1"));
        b.setMicMuted(true);
        QCOMPARE(b.micMuted(), true);
        b.setVoice("in:mic2", {{"on", true}});
        QCOMPARE(b.voiceOn(), true);
        QCOMPARE(valuesOf(b.mics(), "voiceOn"), QStringList({"false", "true"}));
    }

    void settingsAndScenes() {
        BackendRig rig;
        rig.startReady(smallMixerDocument());
        Backend& b = *rig.backend;
        QCOMPARE(b.settings()["sampleRate"].typeId(), QMetaType::UInt);
        QCOMPARE(b.settings()["hotkeys"].toMap()["voice"].toString(), QStringLiteral("vk120"));
        b.saveScene("  Стрим  ");
        QCOMPARE(b.currentSceneName(), QStringLiteral("Стрим"));
        QCOMPARE(b.sceneModified(), false);
        b.setSource("app:discord.exe", {{"gainDb", -7}});
        QCOMPARE(b.sceneModified(), true);
        b.saveScene("Игра");
        QCOMPARE(valuesOf(b.scenes(), "current"), QStringList({"false", "true"}));
        QCOMPARE(valuesOf(b.scenes(), "modified"), QStringList({"false", "false"}));
    }
};

QTEST_MAIN(BackendDerivedTest)
#include "tst_backend_derived.moc"
