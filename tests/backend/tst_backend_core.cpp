// The Backend's conversation with the engine and its edit path, driven through a scripted
// transport: request ids, replies and events, deferred documents, refused and live edits,
// quitting, and the invokables built from other invokables.

#include "backend_fixture.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <functional>

using namespace qv::test;
using qv::ui::Backend;

namespace {

std::vector<std::string> commandNames(const std::vector<Json>& requests) {
    std::vector<std::string> out;
    for (const Json& r : requests)
        out.push_back(r.value("cmd", std::string()));
    return out;
}

std::vector<int> requestIds(const std::vector<Json>& requests) {
    std::vector<int> out;
    for (const Json& r : requests)
        out.push_back(r.value("reqId", -1));
    return out;
}

const qv::Source& source(const Backend& b, std::string_view id) {
    const qv::Source* s = b.config().findSource(id);
    if (!s)
        qFatal("source missing from the mirror");
    return *s;
}

} // namespace

class BackendCoreTest : public QObject {
    Q_OBJECT

private slots:
    void connectionSequenceAndIdsAcrossReconnections() {
        BackendRig rig;
        QSignalSpy connection(rig.backend.get(), &Backend::connectionChanged);
        QCOMPARE(rig.backend->status(), QStringLiteral("Подключение к движку QUORVEL…"));
        QVERIFY(!rig.backend->ready());

        const std::vector<std::string> sequence = {"subscribe", "ping", "getConfig", "getState",
                                                   "listEndpoints"};
        rig.transport->connectEngine(QStringLiteral("Подключено"));
        std::vector<Json> first = rig.transport->takeSent();
        QCOMPARE(commandNames(first), sequence);
        QCOMPARE(requestIds(first), (std::vector<int>{1, 2, 3, 4, 5}));
        QCOMPARE_JSON(first[0]["on"], Json(true));
        QVERIFY(rig.backend->connected());
        QVERIFY(!rig.backend->ready()); // no document yet
        QCOMPARE(rig.backend->status(), QStringLiteral("Подключено"));

        // One more request on this connection, then the link drops and comes back.
        rig.backend->requestEndpoints();
        QCOMPARE(requestIds(rig.transport->takeSent()), (std::vector<int>{6}));
        rig.transport->disconnectEngine();
        QVERIFY(!rig.backend->connected());
        QCOMPARE(rig.backend->pendingReplyCount(), 0);
        rig.transport->connectEngine();
        std::vector<Json> second = rig.transport->takeSent();
        QCOMPARE(commandNames(second), sequence);
        QCOMPARE(requestIds(second), (std::vector<int>{7, 8, 9, 10, 11}));

        // The old connection's answers are stale: ids 2 and 3 were dropped with it.
        rig.transport->reply(first[1], {{"version", "old"}});
        rig.transport->reply(first[2], {{"config", smallMixerDocument()}});
        QVERIFY(!rig.backend->configLoaded());
        QVERIFY(rig.backend->engineVersion().isEmpty());
        QVERIFY(rig.backend->toast().isEmpty());

        connection.clear();
        rig.transport->reply(second[1], {{"version", "1.4.2"}});
        rig.transport->reply(second[2], {{"config", smallMixerDocument()}});
        QCOMPARE(rig.backend->engineVersion(), QStringLiteral("1.4.2"));
        QVERIFY(rig.backend->ready());
        QCOMPARE(connection.count(), 1); // ready turned true

        // ready survives a drop of the link: the mirror stays, only connected changes.
        rig.transport->disconnectEngine();
        QVERIFY(!rig.backend->ready());
        rig.transport->connectEngine();
        QVERIFY(rig.backend->ready());
    }

    // Replies of other shapes are tst_backend_input's malformedMessages rows.
    void failedReplyShowsTextAndReloads() {
        BackendRig rig;
        rig.startReady();
        QSignalSpy state(rig.backend.get(), &Backend::stateChanged);
        rig.backend->toggleRoute("system", "out:hp");
        const Json request = rig.transport->takeSent().at(0);

        // A handler must not see a failed reply's members.
        rig.transport->deliver(Json{{"reqId", request["reqId"]},
                                    {"ok", false},
                                    {"error", "нет источника «x»"},
                                    {"state", Json::object()}});
        QCOMPARE(rig.backend->toast(), QStringLiteral("нет источника «x»"));
        QCOMPARE(commandNames(rig.transport->sentJson()), std::vector<std::string>{"getConfig"});
        QCOMPARE(state.count(), 0);

        // The fresh document replaces the mirror, undoing the local effect of the edit.
        const std::string before = rig.mirror();
        rig.transport->reply(rig.transport->takeSent().at(0), {{"config", smallMixerDocument()}});
        QVERIFY(rig.mirror() != before);
        QVERIFY(rig.backend->config().findDevice("out:hp")->mode == qv::DeviceMode::All);
    }

    // An engine that cannot give its document must not be asked again on every round trip.
    void failedConfigRequestIsNotRepeated() {
        BackendRig rig;
        rig.transport->connectEngine();
        for (const Json& request : rig.transport->takeSent())
            rig.transport->deliver(Json{{"reqId", request["reqId"]},
                                        {"ok", request["cmd"] != "getConfig"},
                                        {"error", "документ недоступен"}});
        QCOMPARE(rig.backend->toast(), QStringLiteral("документ недоступен"));
        QVERIFY(rig.transport->takeSent().empty());

        // A refused edit still reloads the document, once.
        rig.transport->deliver(Json{{"event", "config"}, {"config", smallMixerDocument()}});
        rig.backend->toggleRoute("system", "out:hp");
        rig.transport->deliver(Json{{"reqId", rig.transport->takeSent().at(0)["reqId"]}});
        const std::vector<Json> reload = rig.transport->takeSent();
        QCOMPARE(commandNames(reload), std::vector<std::string>{"getConfig"});
        rig.transport->deliver(Json{{"reqId", reload[0]["reqId"]}, {"ok", false}});
        QVERIFY(rig.transport->takeSent().empty());
    }

    // A document from the engine is taken at once when nothing is outstanding; otherwise only the
    // newest one, once every reply has come and every merged edit has gone out.
    void configEventWaitsForOutstandingRepliesAndMergedEdits() {
        BackendRig rig;
        rig.startReady();
        const auto deliverGain = [&](double gain) {
            Json doc = smallMixerDocument();
            doc["sources"][2]["gainDb"] = gain;
            rig.transport->deliver(Json{{"event", "config"}, {"config", doc}});
        };
        deliverGain(-8);
        QCOMPARE(source(*rig.backend, "app:discord.exe").gainDb, -8.0f);

        rig.backend->toggleRoute("system", "out:hp"); // reply outstanding
        const Json edit = rig.transport->takeSent().at(0);
        for (double gain : {-1.0, -2.0, -3.0})
            deliverGain(gain);
        QCOMPARE(source(*rig.backend, "app:discord.exe").gainDb, -8.0f);
        QVERIFY(rig.backend->hasDeferredConfig());
        QSignalSpy changed(rig.backend.get(), &Backend::changed);
        rig.transport->reply(edit);
        QCOMPARE(source(*rig.backend, "app:discord.exe").gainDb, -3.0f);
        QVERIFY(!rig.backend->hasDeferredConfig());
        QCOMPARE(changed.count(), 1);

        rig.backend->setSource("app:discord.exe", {{"gainDb", -7}}, true);
        deliverGain(-30);
        QCOMPARE(source(*rig.backend, "app:discord.exe").gainDb, -7.0f);
        QTRY_COMPARE(rig.transport->sent().size(), 1); // the merged edit went out
        QCOMPARE(source(*rig.backend, "app:discord.exe").gainDb, -7.0f);
        rig.answerAll();
        QCOMPARE(source(*rig.backend, "app:discord.exe").gainDb, -30.0f);
    }

    // Refused edits are tried on a copy of the mirror: a valid part (the gain) is not kept when
    // another part is refused. Refusals say why, send nothing and change nothing.
    void refusedEditShowsTextSendsNothingKeepsNothing() {
        struct Refusal {
            const char* name;
            std::function<void(Json&)> document;
            std::function<void(Backend&)> action;
            const char* toast;
        };
        const auto noOutput = [](Json& doc) { doc["devices"] = Json::array(); };
        const auto disabledOutput = [](Json& doc) {
            doc["devices"] =
                Json::parse(R"([{"id":"out:hp","kind":"physical","state":"disabled"}])");
        };
        const auto mic2Monitored = [](Json& doc) { doc["sources"][1]["monitor"] = true; };
        const char* needsOutput =
            "Чтобы слышать себя, добавьте наушники: «Добавить» → «Наушники и колонки»";
        const Refusal refusals[] = {
            {"monitor on an app",
             {},
             [](Backend& b) {
                 b.setSource("app:discord.exe", {{"gainDb", -6}, {"monitor", true}});
             },
             "«Слышать себя» — только для микрофона"},
            {"remove all sounds",
             {},
             [](Backend& b) { b.removeSource("system"); },
             "«Все звуки» не удаляется — его можно скрыть"},
            {"monitor without output", noOutput, [](Backend& b) { b.setMonitor("in:mic1", true); },
             needsOutput},
            {"monitor with only a disabled output", disabledOutput,
             [](Backend& b) { b.setMonitor("in:mic1", true); }, needsOutput},
            // The monitored microphone keeps its monitor.
            {"monitor on a missing source", mic2Monitored,
             [](Backend& b) { b.setMonitor("in:gone", true); }, "нет источника «in:gone»"},
            {"monitor on no microphone", mic2Monitored,
             [](Backend& b) { b.setMonitor("app:discord.exe", true); },
             "«Слышать себя» — только для микрофона"},
            {"voice without microphone",
             [](Json& doc) { doc["sources"].erase(0), doc["sources"].erase(0); },
             [](Backend& b) { b.toggleVoice(); },
             "Голос менять не на чем: добавьте микрофон — «Добавить» → «Микрофоны»"},
        };
        for (const Refusal& r : refusals) {
            BackendRig rig;
            Json doc = smallMixerDocument();
            if (r.document)
                r.document(doc);
            rig.startReady(doc);
            const std::string before = rig.mirror();
            const int revision = rig.backend->revision();
            r.action(*rig.backend);
            QVERIFY2(rig.backend->toast() == QString::fromUtf8(r.toast), r.name);
            QVERIFY2(rig.transport->sent().isEmpty(), r.name);
            QVERIFY2(rig.mirror() == before, r.name);
            QVERIFY2(rig.backend->revision() == revision, r.name);
        }
    }

    void acceptedEditMovesMirrorBeforeSending() {
        BackendRig rig;
        rig.startReady();
        QSignalSpy changed(rig.backend.get(), &Backend::changed);
        rig.backend->setDevice("out:hp", {{"gainDb", 30}});
        QCOMPARE(changed.count(), 1);
        QCOMPARE(rig.backend->config().findDevice("out:hp")->gainDb, 12.0f); // clamped locally
        const std::vector<Json> sent = rig.transport->takeSent();
        QCOMPARE(sent.size(), size_t(1));
        QCOMPARE_JSON(sent[0]["gainDb"], Json(30)); // the engine clamps on its own
        QCOMPARE_JSON(sent[0]["id"], Json("out:hp"));

        // A command outside the model goes out unchanged and leaves the mirror alone.
        rig.backend->sendEdit({{"cmd", "getEvents"}});
        QCOMPARE(commandNames(rig.transport->takeSent()), std::vector<std::string>{"getEvents"});
        QCOMPARE(changed.count(), 1);

        // Requests are compact UTF-8.
        const int next = rig.backend->requestCounter() + 1;
        rig.backend->saveScene(QStringLiteral("  Вечер «тихий»  "));
        QCOMPARE(rig.transport->sent().first(),
                 QStringLiteral("{\"cmd\":\"saveScene\",\"name\":\"Вечер «тихий»\",\"reqId\":%1}")
                     .arg(next)
                     .toUtf8());
    }

    // Without a link, edits and the periodic endpoint reads are dropped, not queued.
    void editsAndEndpointReadsWhileDisconnectedAreDropped() {
        Backend::Timings t = BackendRig::shortTimings();
        t.endpointsMs = 30;
        BackendRig rig(t);
        rig.startReady();
        QTRY_VERIFY_WITH_TIMEOUT(rig.transport->sentWithCmd("listEndpoints").size() >= 2, 2000);
        rig.transport->clearSent();
        rig.backend->setSource("in:mic1", {{"gainDb", -3}}, true); // merged, not yet sent
        rig.transport->disconnectEngine();
        QCOMPARE(rig.backend->pendingEditCount(), 0);
        rig.backend->setSource("in:mic1", {{"mute", true}});
        QVERIFY(source(*rig.backend, "in:mic1").mute); // the interface still follows the user
        QVERIFY(rig.transport->sent().isEmpty());
        QCOMPARE(rig.backend->pendingReplyCount(), 0);
        QTest::qWait(120);
        QVERIFY(rig.transport->sent().isEmpty());
        rig.transport->connectEngine();
        rig.transport->clearSent();
        QTest::qWait(60);
        QVERIFY(rig.transport->sentWithCmd("setSource").empty());
    }

    void liveDragThenReleaseSendsMergedValuesThenFinal() {
        Backend::Timings t = BackendRig::shortTimings();
        t.flushMs = 60000; // flushed only by the release
        BackendRig rig(t);
        rig.startReady();
        QSignalSpy changed(rig.backend.get(), &Backend::changed);
        for (int step = 0; step >= -12; step -= 3)
            rig.backend->setSource("in:mic1", {{"gainDb", step}}, true);
        QCOMPARE(changed.count(), 4); // 0 dB changes nothing; every other step moves the row
        QCOMPARE(source(*rig.backend, "in:mic1").gainDb, -12.0f);
        QVERIFY(rig.transport->sent().isEmpty());

        rig.backend->setSource("in:mic1", {{"gainDb", -12}});
        const std::vector<Json> sent = rig.transport->takeSent();
        QCOMPARE(sent.size(), size_t(2));
        QCOMPARE_JSON(sent[0]["gainDb"], Json(-12)); // the merged drag value first
        QCOMPARE_JSON(sent[1]["gainDb"], Json(-12)); // then the release
        QVERIFY(sent[0]["reqId"] < sent[1]["reqId"]);
        QCOMPARE(rig.backend->pendingEditCount(), 0);
    }

    void liveEditsFlushPeriodicallyAndMergeNested() {
        BackendRig rig; // 20 ms flush
        rig.startReady();
        rig.backend->setSource("in:mic1", {{"fx", QVariantMap{{"gate", 2}}}}, true);
        rig.backend->setSource("in:mic1", {{"fx", QVariantMap{{"comp", 3}}}}, true);
        rig.backend->setDevice("out:hp", {{"gainDb", -5}}, true);
        rig.backend->setSource("in:mic1", {{"gainDb", -4}}, true);
        QVERIFY(rig.transport->sent().isEmpty());
        QTRY_COMPARE(rig.transport->sent().size(), 2);
        const std::vector<Json> sent = rig.transport->takeSent();
        // Key order: "d|out:hp" before "s|in:mic1".
        QCOMPARE_JSON(sent[0]["cmd"], Json("setDevice"));
        QCOMPARE_JSON(sent[1]["fx"], (Json{{"gate", 2}, {"comp", 3}}));
        QCOMPARE_JSON(sent[1]["gainDb"], Json(-4));

        // The next burst starts a new window; the release after it comes last.
        rig.backend->setSource("in:mic1", {{"gainDb", -6}}, true);
        QTRY_COMPARE(rig.transport->sent().size(), 1);
        rig.backend->setSource("in:mic1", {{"gainDb", -9}}, true);
        rig.backend->setSource("in:mic1", {{"gainDb", -9}});
        const std::vector<Json> tail = rig.transport->takeSent();
        QCOMPARE(tail.size(), size_t(3));
        QCOMPARE_JSON(tail[0]["gainDb"], Json(-6));
        QCOMPARE_JSON(tail[1]["gainDb"], Json(-9));
        QCOMPARE_JSON(tail[2]["gainDb"], Json(-9));
    }

    // Pending live edits go out before "quit"; the completion runs once, on the answer or after
    // the timeout, and a late answer changes nothing. With the demo engine or without a link it
    // runs at once, from the event loop, not from inside the call.
    void quitCompletesOnceOnAnswerOrTimeout() {
        for (const bool answered : {true, false}) {
            BackendRig rig; // 150 ms timeout
            rig.startReady();
            rig.backend->setSource("in:mic1", {{"gainDb", -3}}, true);
            int done = 0;
            rig.backend->quitAll([&] { ++done; });
            const std::vector<Json> sent = rig.transport->takeSent();
            QCOMPARE(commandNames(sent), (std::vector<std::string>{"setSource", "quit"}));
            QCoreApplication::processEvents();
            QCOMPARE(done, 0);
            if (answered)
                rig.transport->reply(sent[1]);
            QTRY_COMPARE_WITH_TIMEOUT(done, 1, 2000);
            QTest::qWait(rig.backend->timings().quitTimeoutMs + 100);
            rig.transport->reply(sent[1]);
            QCOMPARE(done, 1);
        }
        for (const bool demo : {true, false}) {
            Backend::Timings t = BackendRig::shortTimings();
            t.quitTimeoutMs = 60000;
            BackendRig rig(t);
            rig.transport->setDemo(demo);
            if (demo)
                rig.startReady();
            int done = 0;
            rig.backend->quitAll([&] { ++done; });
            QCOMPARE(done, 0);
            QTRY_COMPARE_WITH_TIMEOUT(done, 1, 1000);
            QVERIFY(rig.transport->sentWithCmd("quit").empty());
        }
    }

    void setHotkeyTakesTheKeyFromAnotherAction() {
        BackendRig rig;
        rig.startReady();
        rig.backend->setHotkey("micMute", "ctrl+alt+vk77");
        Json sent = rig.transport->takeSent().at(0);
        QCOMPARE_JSON(sent["cmd"], Json("setSettings"));
        QCOMPARE_JSON(sent["hotkeys"], (Json{{"micMute", "ctrl+alt+vk77"}, {"pushToTalk", ""}}));
        const auto& hotkeys = rig.backend->config().settings.hotkeys;
        QCOMPARE(hotkeys.count("pushToTalk"), size_t(0));
        QCOMPARE(hotkeys.at("voice"), std::string("vk120"));

        rig.backend->setHotkey("voice", "");
        sent = rig.transport->takeSent().at(0);
        QCOMPARE_JSON(sent["hotkeys"], (Json{{"voice", ""}}));
    }

    void setMonitorKeepsOneMicrophone() {
        BackendRig rig;
        Json doc = smallMixerDocument();
        doc["sources"][1]["monitor"] = true;
        rig.startReady(doc);
        rig.backend->setMonitor("in:mic1", true);
        const std::vector<Json> sent = rig.transport->takeSent();
        QCOMPARE(sent.size(), size_t(2));
        QCOMPARE_JSON(sent[0], (Json{{"cmd", "setSource"},
                                     {"id", "in:mic2"},
                                     {"monitor", false},
                                     {"reqId", sent[0]["reqId"]}}));
        QCOMPARE_JSON(sent[1]["id"], Json("in:mic1"));
        QCOMPARE(
            rig.backend->toast(),
            QStringLiteral("Вы слышите себя в «Наушники» — только для проверки, потом выключите"));
        QVERIFY(source(*rig.backend, "in:mic1").monitor);
        QVERIFY(!source(*rig.backend, "in:mic2").monitor);
    }

    // Switches over many strips touch only the strips that differ; collapsing skips hidden ones.
    // The voice switch turns every microphone, with one toast.
    void bulkSwitchesTouchOnlyWhatDiffers() {
        BackendRig rig;
        Json doc = smallMixerDocument();
        doc["sources"][1]["mute"] = true;
        doc["sources"][1]["ui"] = {{"collapsed", true}};
        doc["sources"].push_back(
            {{"id", "in:hidden"}, {"kind", "physical_input"}, {"ui", {{"hidden", true}}}});
        doc["devices"].push_back(
            {{"id", "out:spk"}, {"kind", "physical"}, {"ui", {{"collapsed", true}}}});
        rig.startReady(doc);
        rig.backend->setMicMuted(true);
        std::vector<Json> sent = rig.transport->takeSent();
        QCOMPARE(sent.size(), size_t(2));
        QCOMPARE_JSON(sent[0]["id"], Json("in:mic1"));
        QCOMPARE_JSON(sent[1]["id"], Json("in:hidden"));
        rig.backend->setAllCollapsed(true);
        sent = rig.transport->takeSent();
        QCOMPARE(commandNames(sent), (std::vector<std::string>{"setSource", "setDevice"}));
        QCOMPARE_JSON(sent[0]["id"], Json("in:mic1"));
        QCOMPARE_JSON(sent[1]["id"], Json("out:hp"));

        QSignalSpy toasts(rig.backend.get(), &Backend::toastChanged);
        rig.backend->toggleVoice();
        QCOMPARE(toasts.count(), 1);
        QCOMPARE(rig.backend->toast(), QStringLiteral("Изменение голоса включено"));
        sent = rig.transport->takeSent();
        QCOMPARE(sent.size(), size_t(3));
        for (const Json& r : sent)
            QCOMPARE_JSON(r["fx"], (Json{{"voice", {{"on", true}}}}));
        QVERIFY(source(*rig.backend, "in:mic2").fx.voice.on);
        rig.backend->toggleVoice();
        QCOMPARE(rig.backend->toast(), QStringLiteral("Изменение голоса выключено"));
        QVERIFY(!source(*rig.backend, "in:mic1").fx.voice.on);
        QVERIFY(!source(*rig.backend, "in:mic2").fx.voice.on);
    }

    void endpointAddedSwitchesAndVisibility() {
        BackendRig rig;
        rig.startReady();
        rig.backend->setOutputAdded("hp", false);
        rig.backend->setOutputAdded("nothing-here", false);
        rig.backend->setInputAdded("mic2", false); // in:mic2 has endpointId mic2 by its id
        rig.backend->setSourceShown("app:discord.exe", false);
        rig.backend->setSourceShown("app:discord.exe", true);
        const std::vector<Json> sent = rig.transport->takeSent();
        QCOMPARE(commandNames(sent), (std::vector<std::string>{"removeDevice", "removeSource",
                                                               "setSource", "setSource"}));
        QCOMPARE_JSON(sent[0]["id"], Json("out:hp"));
        QCOMPARE_JSON(sent[1]["id"], Json("in:mic2"));
        QCOMPARE_JSON(sent[2]["ui"], (Json{{"hidden", true}, {"alwaysShow", false}}));
        QCOMPARE_JSON(sent[3]["ui"], (Json{{"hidden", false}, {"collapsed", false}}));
    }

    void engineControlAndDemoRequests() {
        BackendRig rig;
        rig.backend->restartEngine(); // not connected: start it
        QCOMPARE(rig.transport->startEngineCalls(), 1);
        rig.startReady();
        rig.backend->restartEngine();
        QCOMPARE(commandNames(rig.transport->takeSent()), std::vector<std::string>{"shutdown"});
        QCOMPARE(rig.backend->toast(), QStringLiteral("Движок перезапускается…"));

        rig.backend->demoSetCable(true); // the real engine has no demo commands
        QVERIFY(rig.transport->sent().isEmpty());
        rig.transport->setDemo(true);
        rig.backend->demoSetCable(true);
        const Json cable = rig.transport->takeSent().at(0);
        QCOMPARE_JSON(cable["on"], Json(true));
        rig.transport->reply(cable);
        QCOMPARE(commandNames(rig.transport->takeSent()),
                 std::vector<std::string>{"listEndpoints"});
    }

    void toastReplacedThenCleared() {
        Backend::Timings t = BackendRig::shortTimings();
        t.toastMs = 200;
        BackendRig rig(t);
        QSignalSpy toasts(rig.backend.get(), &Backend::toastChanged);
        rig.backend->showToast("один");
        QTest::qWait(100);
        rig.backend->showToast("два");
        QElapsedTimer shown;
        shown.start();
        QCOMPARE(rig.backend->toast(), QStringLiteral("два"));
        QTRY_VERIFY(rig.backend->toast().isEmpty());
        // The second toast got its own full time, not what was left of the first one's.
        QVERIFY2(shown.elapsed() >= 170, qPrintable(QString::number(shown.elapsed())));
        QCOMPARE(toasts.count(), 3);
    }
};

QTEST_GUILESS_MAIN(BackendCoreTest)
#include "tst_backend_core.moc"
