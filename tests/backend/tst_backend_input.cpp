// Values the Backend did not produce itself: arguments from QML (QVariant, QJSValue) and
// engine messages of unexpected shape, including a long run of randomly mutated messages.

#include "backend/json_variant.h"
#include "backend_fixture.h"

#include <QJSEngine>
#include <QJSValue>
#include <QSignalSpy>

#include <cmath>
#include <limits>
#include <random>

using namespace qv::test;
using qv::ui::Backend;

namespace {

// ---- Random engine messages ----

class MessageMutator {
public:
    explicit MessageMutator(uint32_t seed) : m_rng(seed) {}

    int below(int n) { return int(m_rng() % uint32_t(n)); }
    bool chance(int percent) { return below(100) < percent; }

    Json randomScalar() {
        switch (below(9)) {
        case 0:
            return nullptr;
        case 1:
            return chance(50);
        case 2:
            return below(2000) - 1000;
        case 3:
            return (below(20000) - 10000) / 7.0;
        case 4:
            return "строка";
        case 5:
            return std::numeric_limits<int64_t>::min();
        case 6:
            return std::numeric_limits<uint64_t>::max();
        case 7:
            return Json::array({1, "x", nullptr});
        default:
            return Json::object({{"k", below(5)}});
        }
    }

    // Replaces, deletes or deepens one value somewhere inside `j`.
    void mutate(Json& j, int depth = 0) {
        if ((j.is_object() || j.is_array()) && !j.empty() && depth < 6 && chance(75)) {
            if (j.is_object()) {
                auto it = j.begin();
                std::advance(it, below(int(j.size())));
                if (chance(15)) {
                    j.erase(it.key());
                    return;
                }
                mutate(*it, depth + 1);
            } else {
                mutate(j[size_t(below(int(j.size())))], depth + 1);
            }
            return;
        }
        j = randomScalar();
    }

    QByteArray bytes(const Json& j) {
        std::string text = j.dump(-1, ' ', false, Json::error_handler_t::replace);
        if (chance(10) && !text.empty()) { // damaged on the way
            switch (below(3)) {
            case 0:
                text.resize(size_t(below(int(text.size()))));
                break;
            case 1:
                text[size_t(below(int(text.size())))] = char(below(256));
                break;
            default:
                text.insert(size_t(below(int(text.size()))), 1, char(below(256)));
            }
        }
        return QByteArray(text.data(), qsizetype(text.size()));
    }

private:
    std::mt19937 m_rng;
};

Json stateSample() {
    return Json::parse(R"({"latencyMs":9.8,"cpu":{"percentTotal":0.4},"driver":{"installed":true},
        "sources":[{"id":"in:mic1","available":true}],"devices":[{"id":"out:hp","available":true,
        "latencyMs":9.8}],"micBypass":[{"mic":"in:mic1","apps":[{"exe":"a.exe","name":"A"}]}],
        "listenOn":["X"]})");
}

Json endpointsSample() {
    return Json::parse(R"J([{"id":"hp","name":"Наушники (USB)","render":true,"active":true},
        {"id":"mic1","name":"Микрофон","render":false,"active":true,"isDefault":true},
        {"id":"vmic","name":"QUORVEL Mic","render":false,"active":true,"quorvel":"mic"}])J");
}

} // namespace

class BackendInputTest : public QObject {
    Q_OBJECT

private slots:
    // ---- QML values to JSON ----

    void variantToJson_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("json");
        QTest::newRow("invalid") << QVariant() << "null";
        QTest::newRow("bool") << QVariant(true) << "true";
        QTest::newRow("int") << QVariant(-6) << "-6";
        QTest::newRow("int64") << QVariant(qint64(1) << 40) << "1099511627776";
        QTest::newRow("uint64") << QVariant(std::numeric_limits<quint64>::max())
                                << "18446744073709551615";
        QTest::newRow("double") << QVariant(-6.5) << "-6.5";
        QTest::newRow("float") << QVariant(0.25f) << "0.25";
        QTest::newRow("nan") << QVariant(std::nan("")) << "null";
        QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity()) << "null";
        QTest::newRow("cyrillic string")
            << QVariant(QStringLiteral("Наушники «X»")) << "\"Наушники «X»\"";
        QTest::newRow("string list") << QVariant(QStringList{"a", "б"}) << R"(["a","б"])";
        QTest::newRow("nested")
            << QVariant(QVariantMap{
                   {"fx", QVariantMap{{"voice", QVariantMap{{"on", true}, {"pitch", -3.5}}}}},
                   {"sources", QVariantList{"app:a.exe", 2, QVariant()}}})
            << R"({"fx":{"voice":{"on":true,"pitch":-3.5}},)"
               R"("sources":["app:a.exe",2,null]})";
        QTest::newRow("hash") << QVariant(QVariantHash{{"k", 1}}) << R"({"k":1})";
        QTest::newRow("bytes") << QVariant(QByteArray("abc")) << "\"abc\"";
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
        const Json j = qv::ui::variantToJson(QVariant::fromValue(value));
        QVERIFY(j.is_object());
        QCOMPARE_JSON(j["gainDb"], Json(-6));
        QCOMPARE_JSON(j["mute"], Json(true));
        QCOMPARE_JSON(j["name"], Json("Микрофон"));
        QCOMPARE_JSON(j["fx"], (Json{{"gate", 2.5}, {"voice", {{"on", false}}}}));
        QCOMPARE_JSON(j["sources"], (Json{"a", "b"}));
        QVERIFY(!j.contains("fn") || j["fn"].is_null() || j["fn"].is_object());
        QVERIFY(!j.contains("empty") || j["empty"].is_null());

        // A JS object nested inside a map still reaches the command as an object.
        BackendRig rig;
        rig.startReady();
        rig.backend->setSource("in:mic1",
                               {{"fx", QVariant::fromValue(engine.evaluate("({comp: 4})"))}});
        QCOMPARE_JSON(rig.transport->takeSent().at(0)["fx"], (Json{{"comp", 4}}));
        QCOMPARE(rig.backend->config().findSource("in:mic1")->fx.comp, 4.0f);
    }

    void jsonBackToVariant() {
        const Json j = Json::parse(R"({"a":[1,2.5,"x",true,null],"b":{"c":-1},
                                       "big":9007199254740993})");
        const QVariantMap map = qv::ui::jsonToVariant(j).toMap();
        const QVariantList a = map["a"].toList();
        QCOMPARE(a.size(), 5);
        QCOMPARE(a[0].toInt(), 1);
        QCOMPARE(a[1].toDouble(), 2.5);
        QCOMPARE(a[2].toString(), QStringLiteral("x"));
        QVERIFY(a[3].toBool());
        QVERIFY(!a[4].isValid());
        QCOMPARE(map["b"].toMap()["c"].toInt(), -1);
        QCOMPARE(map["big"].toLongLong(), 9007199254740993LL); // not rounded through a double
        QCOMPARE_JSON(qv::ui::variantToJson(qv::ui::jsonToVariant(j)), j);
    }

    // ---- Engine messages of unexpected shape ----

    void malformedMessages_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("answersPending"); // the pending request is consumed by it
        QTest::addColumn<QString>("toast");
        QTest::addColumn<int>("endpoints"); // endpoint count afterwards
        QTest::addColumn<int>("stateSignals");

        // $ID is the id of the one request left pending; the rig starts with 3 endpoints.
        QTest::newRow("not json") << QByteArray("{\"reqId\":") << false << "" << 3 << 0;
        QTest::newRow("top-level array") << QByteArray("[1,2]") << false << "" << 3 << 0;
        QTest::newRow("empty") << QByteArray("") << false << "" << 3 << 0;
        QTest::newRow("reqId as string")
            << QByteArray(R"({"reqId":"$ID","ok":true,"endpoints":[]})") << false << "" << 3 << 0;
        QTest::newRow("reqId as float")
            << QByteArray(R"({"reqId":$ID.5,"ok":true,"endpoints":[]})") << false << "" << 3 << 0;
        QTest::newRow("reqId beyond int")
            << QByteArray(R"({"reqId":4294967297,"ok":true})") << false << "" << 3 << 0;
        QTest::newRow("ok as string") << QByteArray(R"({"reqId":$ID,"ok":"true","endpoints":[]})")
                                      << true << "ошибка движка" << 3 << 0;
        QTest::newRow("ok as number") << QByteArray(R"({"reqId":$ID,"ok":1,"endpoints":[]})")
                                      << true << "ошибка движка" << 3 << 0;
        QTest::newRow("endpoints as object")
            << QByteArray(R"({"reqId":$ID,"ok":true,"endpoints":{"id":"x"}})") << true << "" << 3
            << 0;
        QTest::newRow("endpoint members of wrong types")
            << QByteArray(R"({"reqId":$ID,"ok":true,"endpoints":[5,"x",{"id":7,"name":"A",)"
                          R"("render":"yes","active":1,"quorvel":3}]})")
            << true << "" << 1 << 0;
        QTest::newRow("event with a reqId is no reply")
            << QByteArray(R"({"event":"endpoints","reqId":$ID,"endpoints":[]})") << false << "" << 0
            << 0;
        QTest::newRow("event name a number")
            << QByteArray(R"({"event":5,"endpoints":[]})") << false << "" << 3 << 0;
        QTest::newRow("state as array")
            << QByteArray(R"({"event":"state","state":[1]})") << false << "" << 3 << 0;
        QTest::newRow("config as array")
            << QByteArray(R"({"event":"config","config":[1,2]})") << false << "" << 3 << 0;
        QTest::newRow("unknown event")
            << QByteArray(R"({"event":"weather","state":{}})") << false << "" << 3 << 0;
    }

    void malformedMessages() {
        QFETCH(QByteArray, message);
        QFETCH(bool, answersPending);
        QFETCH(QString, toast);
        QFETCH(int, endpoints);
        QFETCH(int, stateSignals);

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
        QCOMPARE(state.count(), stateSignals);
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

    // ---- A long run of damaged messages ----

    void survivesRandomlyMutatedMessages() {
        BackendRig rig;
        rig.startReady();
        MessageMutator m(0x51A7E);
        QSignalSpy changed(rig.backend.get(), &Backend::changed);
        QSignalSpy toasts(rig.backend.get(), &Backend::toastChanged);
        QSignalSpy state(rig.backend.get(), &Backend::stateChanged);
        std::vector<int> ids; // every id ever sent, in order
        auto collect = [&] {
            for (const Json& r : rig.transport->takeSent())
                ids.push_back(r["reqId"].get<int>());
        };

        const std::vector<Json> templates = {
            {{"ok", true}, {"config", smallMixerDocument()}},
            {{"ok", false}, {"error", "нет источника «x»"}},
            {{"ok", true}, {"state", stateSample()}},
            {{"ok", true}, {"endpoints", endpointsSample()}},
            {{"ok", true}, {"version", "2.0"}},
            {{"event", "config"}, {"config", smallMixerDocument()}},
            {{"event", "state"}, {"state", stateSample()}},
            {{"event", "endpoints"}, {"endpoints", endpointsSample()}},
        };
        const QStringList strips = {"in:mic1", "in:mic2", "app:discord.exe", "system", "nope"};
        for (int i = 0; i < 5000; ++i) {
            Json message = templates[size_t(m.below(int(templates.size())))];
            if (!message.contains("event"))
                message["reqId"] = rig.backend->requestCounter() - m.below(4);
            for (int n = m.below(4); n > 0; --n)
                m.mutate(message);
            rig.transport->deliver(m.bytes(message));

            if (m.chance(5))
                rig.backend->setSource(strips[m.below(int(strips.size()))],
                                       {{"gainDb", m.below(80) - 60}}, m.chance(50));
            if (m.chance(2))
                rig.backend->toggleRoute(strips[m.below(int(strips.size()))], "out:hp");
            if (m.chance(1)) {
                rig.transport->disconnectEngine();
                rig.transport->connectEngine();
            }
            if (m.chance(3))
                QCoreApplication::processEvents(); // lets merged edits go out
            collect();
        }
        collect();
        // The damage must not have kept every message from its handler.
        QVERIFY(changed.count() > 100);
        QVERIFY(toasts.count() > 20);
        QVERIFY(state.count() > 20);

        // Consistent: ids strictly increase across the run, the counter names the last one,
        // and the mirror is a document that reads back as itself.
        for (size_t i = 1; i < ids.size(); ++i)
            QVERIFY2(ids[i] > ids[i - 1], "request ids repeated or went back");
        QCOMPARE(rig.backend->requestCounter(), ids.back());
        qv::MixerConfig reread;
        std::string error;
        QVERIFY(qv::parseConfig(rig.mirror(), reread, error));
        QCOMPARE(qv::serializeConfig(reread), rig.mirror());

        // Responsive: a fresh connection, a document and an edit go through as usual.
        const int last = rig.backend->requestCounter();
        rig.transport->disconnectEngine();
        rig.startReady();
        QCOMPARE(rig.backend->requestCounter(), last + 5);
        QCOMPARE(rig.backend->config().sources.size(), size_t(4));
        rig.backend->setSource("in:mic2", {{"gainDb", -5}});
        const Json edit = rig.transport->takeSent().at(0);
        QCOMPARE_JSON(edit["reqId"], Json(last + 6));
        Json doc = smallMixerDocument();
        doc["sources"][1]["gainDb"] = -5;
        doc["sources"][0]["gainDb"] = -1; // the engine's own change arrives with the event
        rig.transport->deliver(Json{{"event", "config"}, {"config", doc}});
        rig.transport->reply(edit);
        QCOMPARE(rig.backend->config().findSource("in:mic1")->gainDb, -1.0f);
        QCOMPARE(rig.backend->config().findSource("in:mic2")->gainDb, -5.0f);
        QCOMPARE(rig.backend->pendingReplyCount(), 0);
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
