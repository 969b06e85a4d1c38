// Windows endpoints and diagnostics: the default-microphone issue of a microphone strip, the
// requests that change Windows defaults (and re-read the endpoints only on success), and the
// replacement candidates of a strip.

#include "tests/backend/rows_support.h"

using namespace qv::test;
using qv::ui::Backend;

namespace {

Json withComm(Json e, bool comm) {
    e["isDefaultComm"] = comm;
    return e;
}

Json issueDocument(const Json& vm, bool allApps) {
    Json doc = {{"sources",
                 {{{"id", "in:mic"},
                   {"kind", "physical_input"},
                   {"name", "Мик"},
                   {"endpointId", "mic"},
                   {"targets", {{"allApps", allApps}}}}}},
                {"devices", Json::array()}};
    if (!vm.is_null())
        doc["devices"].push_back(vm);
    return doc;
}

const char* kDefaultText = "Микрофон Windows по умолчанию — «%1», а голос с изменением идёт в "
                           "«%2»: программы с микрофоном «По умолчанию» его не слышат";
const char* kCommText = "Микрофон Windows для связи (звонки, Telegram) — «%1», а голос с "
                        "изменением идёт в «%2»";

} // namespace

class BackendWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultMicrophoneIssue_data() {
        QTest::addColumn<QString>("vm");
        QTest::addColumn<QString>("endpoints");
        QTest::addColumn<bool>("allApps");
        QTest::addColumn<QString>("issue");

        const Json mic = endpoint("mic", "Микрофон", false, true, true);
        const Json cam = endpoint("cam", "Камера", false);
        const Json camDefault = endpoint("cam", "Камера", false, true, true);
        const Json vmic = tagged(endpoint("vmic", "QUORVEL Mic", false, true, true), "mic");
        const Json cout = endpoint("cout", "CABLE Output", false);
        const std::string driverVm = R"({"id": "virtual_mic", "kind": "virtual_mic", "name": "V"})";
        const std::string offVm =
            R"({"id": "virtual_mic", "kind": "virtual_mic", "name": "V", "state": "disabled"})";
        const std::string cableVm = R"({"id": "virtual_mic", "kind": "virtual_mic", "name": "V",
            "external": true, "endpointId": "cin", "recordEndpointId": "cout"})";
        auto list = [](std::initializer_list<Json> items) {
            return QString::fromStdString(Json(items).dump());
        };

        QTest::newRow("defaults on the microphone") << "" << list({mic, cam}) << true << "";
        QTest::newRow("default elsewhere")
            << "" << list({withComm(endpoint("mic", "Микрофон", false), true), camDefault}) << true
            << QString(kDefaultText).arg("Камера", "Микрофон");
        QTest::newRow("communications elsewhere")
            << "" << list({withComm(mic, false), withComm(cam, true)}) << true
            << QString(kCommText).arg("Камера", "Микрофон");
        QTest::newRow("no default at all") << "" << list({endpoint("mic", "Микрофон", false), cam})
                                           << true << QString(kDefaultText).arg("нет", "Микрофон");
        QTest::newRow("not all applications")
            << "" << list({withComm(mic, false), camDefault}) << false << "";
        QTest::newRow("own virtual microphone is default")
            << QString::fromStdString(driverVm) << list({endpoint("mic", "Микрофон", false), vmic})
            << true << "";
        QTest::newRow("microphone default, voice in the virtual one")
            << QString::fromStdString(driverVm)
            << list({mic, tagged(endpoint("vmic", "QUORVEL Mic", false), "mic")}) << true
            << QString(kDefaultText).arg("Микрофон", "QUORVEL Mic");
        QTest::newRow("disabled virtual microphone: the microphone itself")
            << QString::fromStdString(offVm)
            << list({mic, tagged(endpoint("vmic", "QUORVEL Mic", false), "mic")}) << true << "";
        QTest::newRow("outside cable")
            << QString::fromStdString(cableVm) << list({mic, cout}) << true
            << QString(kDefaultText).arg("Микрофон", "CABLE Output");
    }

    void defaultMicrophoneIssue() {
        QFETCH(QString, vm);
        QFETCH(QString, endpoints);
        QFETCH(bool, allApps);
        QFETCH(QString, issue);
        BackendRig rig;
        rig.startReady(
            issueDocument(vm.isEmpty() ? Json() : Json::parse(vm.toStdString()), allApps));
        rig.backend->applyEndpoints(Json::parse(endpoints.toStdString()));
        QCOMPARE(rowById(rig.backend->channels(), "in:mic")["defaultIssue"].toString(), issue);
    }

    // Each request re-reads the endpoint list only after the engine said yes.
    void windowsDefaultRequests() {
        BackendRig rig;
        rig.startReady();
        Backend& b = *rig.backend;
        b.assignWindowsDefaults();
        b.setWindowsDefault("spk");
        b.applyMicDefault("in:mic1");
        const std::vector<Json> sent = rig.transport->takeSent();
        QCOMPARE(sent.size(), size_t(3));
        QCOMPARE_JSON(sent[1], Json({{"cmd", "setWindowsDefault"},
                                     {"endpointId", "spk"},
                                     {"reqId", sent[1]["reqId"]}}));
        QCOMPARE_JSON(sent[2]["mic"], "in:mic1");
        rig.transport->reply(sent[0]);
        QCOMPARE(b.toast(),
                 QStringLiteral("QUORVEL назначен в Windows выводом и микрофоном по умолчанию"));
        QCOMPARE(rig.transport->sentWithCmd("listEndpoints").size(), size_t(1));
        rig.transport->reply(sent[1], {{"ok", false}, {"error", "нельзя"}});
        QCOMPARE(b.toast(), QStringLiteral("нельзя"));
        QCOMPARE(rig.transport->sentWithCmd("listEndpoints").size(), size_t(1));
        rig.transport->reply(sent[2]);
        QCOMPARE(rig.transport->sentWithCmd("listEndpoints").size(), size_t(2));
    }

    void replaceCandidatesPreferRecentEndpoints() {
        Json doc = Json::parse(R"({
          "settings": {"recentOutputs": ["d", "zz", "b"], "recentInputs": ["o"]},
          "sources": [{"id": "in:m", "kind": "physical_input", "name": "M", "endpointId": "m"}],
          "devices": [{"id": "out:a", "kind": "physical", "name": "A", "endpointId": "a"}]
        })");
        BackendRig rig;
        rig.startReady(doc);
        Backend& b = *rig.backend;
        b.applyEndpoints(Json::array({endpoint("a", "A", true), endpoint("b", "B", true),
                                      endpoint("c", "C", true), endpoint("d", "D", true),
                                      endpoint("m", "M", false), endpoint("n", "N", false),
                                      endpoint("o", "O", false)}));
        QCOMPARE(valuesOf(b.replaceCandidates("out:a"), "endpointId"),
                 QStringList({"d", "b", "c"}));
        QCOMPARE(valuesOf(b.replaceCandidates("in:m"), "endpointId"), QStringList({"o", "n"}));
        QCOMPARE(valuesOf(b.replaceCandidates("nothing"), "endpointId"),
                 QStringList({"d", "b", "c"}));
        b.replaceEndpoint("out:a", "c");
        QCOMPARE_JSON(rig.transport->takeSent().back()["cmd"], "replaceDevice");
        QCOMPARE(rowIds(b.devices()), QStringList({"out:c"}));
        QCOMPARE(valuesOf(b.replaceCandidates("out:c"), "endpointId"),
                 QStringList({"a", "d", "b"}));
    }
};

QTEST_MAIN(BackendWindowsTest)
#include "tst_backend_windows.moc"
