// The Backend against the in-process demo engine, the one end-to-end path of this layer: a whole
// session (connect, edit plain and live, save and apply a scene, add an output, quit)
// after which the mirror must equal the engine's own document.

#include "backend/backend.h"
#include "engine/demo_transport.h"
#include "tests/backend/backend_fixture.h"

#include <QTest>

using namespace qv::test;
using qv::ui::Backend;
using qv::ui::DemoTransport;

namespace {

bool settled(const Backend& b) {
    return b.pendingReplyCount() == 0 && b.pendingEditCount() == 0 && !b.hasDeferredConfig();
}

// The demo engine's own document, read with a request of its own, as the model writes it.
std::string engineDocument(Backend& b) {
    std::string text;
    b.sendRequest({{"cmd", "getConfig"}}, [&text](const Json& reply) {
        qv::MixerConfig doc;
        std::string error;
        if (reply.contains("config") && qv::parseConfig(reply["config"].dump(), doc, error))
            text = qv::serializeConfig(doc);
    });
    if (!QTest::qWaitFor([&] { return !text.empty(); }, 2000))
        return "(no answer)";
    return text;
}

float sourceGain(const Backend& b, std::string_view id) {
    const qv::Source* s = b.config().findSource(id);
    return s ? s->gainDb : 999.0f;
}

struct Demo {
    DemoTransport transport;
    Backend backend;

    Demo() : transport(true, true), backend(&transport) {
        Backend::Timings t;
        t.flushMs = 10;
        backend.setTimings(t);
    }

    bool start() {
        transport.start();
        return QTest::qWaitFor(
            [&] { return backend.ready() && settled(backend) && backend.haveState(); }, 3000);
    }

    bool settle() {
        return QTest::qWaitFor([&] { return settled(backend); }, 3000);
    }

    bool agrees() { return engineDocument(backend) == qv::serializeConfig(backend.config()); }
};

} // namespace

class BackendDemoTest : public QObject {
    Q_OBJECT

private slots:
    void wholeSession() {
        Demo s;
        QVERIFY(s.backend.demo());
        QVERIFY(!s.backend.connected());
        QVERIFY(s.start());
        QCOMPARE(s.backend.engineVersion(), QStringLiteral("demo"));
        QVERIFY(!s.backend.endpointList().empty());
        QVERIFY(s.agrees());

        // A plain edit moves the mirror at once; the engine's document then agrees.
        s.backend.setSource("app:chrome.exe", {{"gainDb", -20}});
        QCOMPARE(sourceGain(s.backend, "app:chrome.exe"), -20.0f);
        QVERIFY(s.settle());
        QVERIFY(s.agrees());

        // A drag and its release.
        for (int g = 0; g >= -12; --g)
            s.backend.setDevice("out:demo-spk", {{"gainDb", g}}, true);
        s.backend.setDevice("out:demo-spk", {{"gainDb", -12}});
        QVERIFY(s.settle());
        QVERIFY(s.agrees());

        // Scenes: save, change, apply.
        s.backend.saveScene(QStringLiteral(" Вечер "));
        QVERIFY(s.settle());
        QCOMPARE(s.backend.config().settings.currentScene, std::string("scene1"));
        s.backend.setSource("app:chrome.exe", {{"gainDb", -40}});
        s.backend.setSource("in:demo-mic", {{"monitor", true}});
        QVERIFY(s.settle());
        s.backend.applyScene("scene1");
        QCOMPARE(sourceGain(s.backend, "app:chrome.exe"), -20.0f);
        QVERIFY(!s.backend.config().findSource("in:demo-mic")->monitor);
        QVERIFY(s.settle());
        QVERIFY(s.agrees());

        // An endpoint command, answered with a new endpoint list as well.
        s.backend.setOutputAdded("demo-bt", true);
        QVERIFY(s.backend.config().findDevice("out:demo-bt"));
        QVERIFY(s.settle());
        QVERIFY(s.agrees());

        // A command the demo engine does not know: its error, then a fresh document.
        s.backend.applyMicDefault("in:demo-mic");
        QTRY_COMPARE(s.backend.toast(), QStringLiteral("неизвестная команда «applyMicDefault»"));
        QVERIFY(s.settle());

        int done = 0;
        s.backend.quitAll([&] { ++done; });
        QTRY_COMPARE(done, 1);
        QTest::qWait(20);
        QCOMPARE(done, 1);
    }
};

QTEST_MAIN(BackendDemoTest)
#include "tst_backend_demo.moc"
