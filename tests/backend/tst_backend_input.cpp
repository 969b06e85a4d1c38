// Values the Backend did not produce itself: arguments from QML (QVariant, QJSValue) and
// engine messages of unexpected shape. Arbitrary bytes from the engine are the fuzz target
// engine_messages' part; here each shape has its expected outcome.

#include "backend/json_variant.h"
#include "backend_fixture.h"

#include <QJSEngine>
#include <QJSValue>
#include <QSignalSpy>

#include <cmath>
#include <limits>

using namespace qv::test;
using qv::ui::Backend;

namespace {

Json endpointsSample() {
    return Json::parse(R"J([{"id":"hp","name":"Наушники (USB)","render":true,"active":true},
        {"id":"mic1","name":"Микрофон","render":false,"active":true,"isDefault":true},
        {"id":"vmic","name":"QUORVEL Mic","render":false,"active":true,"quorvel":"mic"}])J");
}

} // namespace

class BackendInputTest : public QObject {
    Q_OBJECT

private slots:
    void variantToJson_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("json");
        QTest::newRow("invalid") << QVariant() << "null";
        QTest::newRow("uint64") << QVariant(std::numeric_limits<quint64>::max())
                                << "18446744073709551615";
        QTest::newRow("nan") << QVariant(std::nan("")) << "null";
        QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << "null";
        QTest::newRow("string list") << QVariant(QStringList{"a", "б"}) << R"(["a","б"])";
        QTest::newRow("nested")
            << QVariant(QVariantMap{
                   {"fx", QVariantMap{{"voice", QVariantMap{{"on", true}, {"pitch", -3.5}}}}},
                   {"sources", QVariantList{"app:a.exe", 2, QVariant()}}})
            << R"({"fx":{"voice":{"on":true,"pitch":-3.5}},)"
               R"("sources":["app:a.exe",2,null]})";
    }

    void variantToJson() {
        QFETCH(QVariant, value);
        QFETCH(QString, json);
        QCOMPARE(QString::fromUtf8(qv::ui::dumpCompact(qv::ui::variantToJson(value))), json);
    }

    void jsValuesFromQml() {
        QJSEngine engine;
        const QJSValue value = engine.evaluate(
            "({gainDb: -6, mute: true, name: 'Микрофон', fx: {gate: 2.5, voice: {on: false}},"
            " sources: ['a', 'b'], fn: function() {}, nothing: undefined, empty: null})");
        QVERIFY(!value.isError());
        // Functions, undefined and null all become null.
        QCOMPARE_JSON(qv::ui::variantToJson(QVariant::fromValue(value)), Json::parse(R"({
            "gainDb": -6, "mute": true, "name": "Микрофон", "fx": {"gate": 2.5,
            "voice": {"on": false}}, "sources": ["a", "b"], "fn": null, "nothing": null,
            "empty": null})"));

        // A JS object nested inside a map still reaches the command as an object.
        BackendRig rig;
        rig.startReady();
        rig.backend->setSource("in:mic1",
                               {{"fx", QVariant::fromValue(engine.evaluate("({comp: 4})"))}});
        QCOMPARE_JSON(rig.transport->takeSent().at(0)["fx"], (Json{{"comp", 4}}));
        QCOMPARE(rig.backend->config().findSource("in:mic1")->fx.comp, 4.0f);
    }

    // Back to QML: null is an invalid variant, and a large integer is not rounded through a
    // double; everything else survives the round trip.
    void jsonBackToVariant() {
        const Json j = Json::parse(R"({"a":[1,2.5,"x",true,null],"b":{"c":-1},
                                       "big":9007199254740993})");
        const QVariantMap map = qv::ui::jsonToVariant(j).toMap();
        QVERIFY(!map["a"].toList()[4].isValid());
        QCOMPARE(map["big"].toLongLong(), 9007199254740993LL);
        QCOMPARE_JSON(qv::ui::variantToJson(qv::ui::jsonToVariant(j)), j);
    }

    void malformedMessages_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("answersPending"); // the pending request is consumed by it
        QTest::addColumn<QString>("toast");
        QTest::addColumn<int>("endpoints"); // endpoint count afterwards

        // $ID is the id of the one request left pending; the rig starts with 3 endpoints.
        QTest::newRow("not json") << QByteArray("{\"reqId\":") << false << "" << 3;
        QTest::newRow("top-level array") << QByteArray("[1,2]") << false << "" << 3;
        QTest::newRow("reqId as string")
            << QByteArray(R"({"reqId":"$ID","ok":true,"endpoints":[]})") << false << "" << 3;
        QTest::newRow("reqId beyond int")
            << QByteArray(R"({"reqId":4294967297,"ok":true})") << false << "" << 3;
        QTest::newRow("ok as string") << QByteArray(R"({"reqId":$ID,"ok":"true","endpoints":[]})")
                                      << true << "ошибка движка" << 3;
        QTest::newRow("ok missing")
            << QByteArray(R"({"reqId":$ID,"endpoints":[]})") << true << "ошибка движка" << 3;
        QTest::newRow("error not a string")
            << QByteArray(R"({"reqId":$ID,"ok":false,"error":17})") << true << "ошибка движка" << 3;
        QTest::newRow("endpoints as object")
            << QByteArray(R"({"reqId":$ID,"ok":true,"endpoints":{"id":"x"}})") << true << "" << 3;
        QTest::newRow("endpoint members of wrong types")
            << QByteArray(R"({"reqId":$ID,"ok":true,"endpoints":[5,"x",{"id":7,"name":"A",)"
                          R"("render":"yes","active":1,"quorvel":3}]})")
            << true << "" << 1;
        QTest::newRow("event with a reqId is no reply")
            << QByteArray(R"({"event":"endpoints","reqId":$ID,"endpoints":[]})") << false << ""
            << 0;
        QTest::newRow("state as array")
            << QByteArray(R"({"event":"state","state":[1]})") << false << "" << 3;
        QTest::newRow("config as array")
            << QByteArray(R"({"event":"config","config":[1,2]})") << false << "" << 3;
        QTest::newRow("unknown event")
            << QByteArray(R"({"event":"weather","state":{}})") << false << "" << 3;
    }

    void malformedMessages() {
        QFETCH(QByteArray, message);
        QFETCH(bool, answersPending);
        QFETCH(QString, toast);
        QFETCH(int, endpoints);

        BackendRig rig;
        rig.startReady();
        rig.transport->deliver(Json{{"event", "endpoints"}, {"endpoints", endpointsSample()}});
        const std::string mirror = rig.mirror();
        QSignalSpy state(rig.backend.get(), &Backend::stateChanged);
        rig.backend->requestEndpoints();
        const int id = rig.transport->takeSent().at(0)["reqId"].get<int>();

        rig.transport->deliver(message.replace("$ID", QByteArray::number(id)));
        QCOMPARE(rig.backend->toast(), toast);
        // A failed answer is replaced by the configuration request it triggers.
        QCOMPARE(rig.backend->pendingReplyCount(), answersPending && toast.isEmpty() ? 0 : 1);
        QCOMPARE(int(rig.backend->endpointList().size()), endpoints);
        QCOMPARE(state.count(), 0);
        QCOMPARE(rig.mirror(), mirror);
        if (!toast.isEmpty())
            QCOMPARE(commandNames(rig), std::vector<std::string>{"getConfig"});
    }

    // Copying or writing such a value recursed once per level: 200000 levels (400 KB) ended
    // the program by stack overflow.
    void deeplyNestedMessagesAreDroppedWithAToast() {
        BackendRig rig;
        rig.startReady();
        const std::string mirror = rig.mirror();
        const std::string deep = std::string(200000, '[') + std::string(200000, ']');
        for (const char* event : {"config", "state", "endpoints"}) {
            rig.backend->showToast(QString());
            QSignalSpy state(rig.backend.get(), &Backend::stateChanged);
            const std::string payload = std::string(event) == "config"
                                            ? R"({"scenes":)" + deep + "}"
                                            : R"({"x":)" + deep + "}";
            rig.transport->deliver(QByteArray::fromStdString(
                R"({"event":")" + std::string(event) + R"(",")" + event + R"(":)" + payload + "}"));
            QVERIFY2(!rig.backend->toast().isEmpty(), event);
            QCOMPARE(state.count(), 0);
            QCOMPARE(rig.mirror(), mirror);
        }
    }

    void oddRepliesToStartupRequests() {
        BackendRig rig;
        rig.transport->connectEngine();
        const std::vector<Json> startup = rig.transport->takeSent();
        rig.transport->reply(startup[1], {{"version", 3}});
        rig.transport->reply(startup[2], {{"config", Json::array({1})}});
        rig.transport->reply(startup[3], {{"state", "busy"}});
        QVERIFY(rig.backend->engineVersion().isEmpty());
        QVERIFY(!rig.backend->configLoaded());
        QVERIFY(rig.backend->toast().isEmpty());
    }

private:
    static std::vector<std::string> commandNames(BackendRig& rig) {
        std::vector<std::string> out;
        for (const Json& r : rig.transport->takeSent())
            out.push_back(r.value("cmd", std::string()));
        return out;
    }
};

QTEST_GUILESS_MAIN(BackendInputTest)
#include "tst_backend_input.moc"
