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

} // namespace

class BackendWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultMicrophoneIssue() {
        const Json mic = endpoint("mic", "Микрофон", false, true, true);
        const Json plainMic = endpoint("mic", "Микрофон", false);
        const Json cam = endpoint("cam", "Камера", false);
        const Json camDefault = endpoint("cam", "Камера", false, true, true);
        const Json vmic = tagged(endpoint("vmic", "QUORVEL Mic", false), "mic");
        const Json driverVm = {{"id", "virtual_mic"}, {"kind", "virtual_mic"}, {"name", "V"}};
        Json offVm = driverVm;
        offVm["state"] = "disabled";
        Json cableVm = driverVm;
        cableVm.update({{"external", true}, {"endpointId", "cin"}, {"recordEndpointId", "cout"}});
        const QString defaultText = "Микрофон Windows по умолчанию — «%1», а голос с изменением "
                                    "идёт в «%2»: программы с микрофоном «По умолчанию» его не "
                                    "слышат";
        const QString commText = "Микрофон Windows для связи (звонки, Telegram) — «%1», а голос с "
                                 "изменением идёт в «%2»";
        struct Case {
            const char* name;
            Json vm, endpoints;
            bool allApps;
            QString issue;
        };
        const Case cases[] = {
            {"defaults on the microphone", {}, {mic, cam}, true, ""},
            {"default elsewhere",
             {},
             {withComm(plainMic, true), camDefault},
             true,
             defaultText.arg("Камера", "Микрофон")},
            {"communications elsewhere",
             {},
             {withComm(mic, false), withComm(cam, true)},
             true,
             commText.arg("Камера", "Микрофон")},
            {"no default at all", {}, {plainMic, cam}, true, defaultText.arg("нет", "Микрофон")},
            {"not all applications", {}, {withComm(mic, false), camDefault}, false, ""},
            {"own virtual microphone is default",
             driverVm,
             {plainMic, tagged(endpoint("vmic", "QUORVEL Mic", false, true, true), "mic")},
             true,
             ""},
            {"microphone default, voice in the virtual one",
             driverVm,
             {mic, vmic},
             true,
             defaultText.arg("Микрофон", "QUORVEL Mic")},
            {"disabled virtual microphone: the microphone itself", offVm, {mic, vmic}, true, ""},
            {"outside cable",
             cableVm,
             {mic, endpoint("cout", "CABLE Output", false)},
             true,
             defaultText.arg("Микрофон", "CABLE Output")},
        };
        for (const Case& c : cases) {
            Json doc = {{"sources",
                         {{{"id", "in:mic"},
                           {"kind", "physical_input"},
                           {"name", "Мик"},
                           {"endpointId", "mic"},
                           {"targets", {{"allApps", c.allApps}}}}}},
                        {"devices", c.vm.is_null() ? Json::array() : Json::array({c.vm})}};
            BackendRig rig;
            rig.startReady(doc);
            rig.backend->applyEndpoints(c.endpoints);
            QVERIFY2(rowById(rig.backend->channels(), "in:mic")["defaultIssue"].toString() ==
                         c.issue,
                     c.name);
        }
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
