// PipeTransport against a fake engine: the signals of its I/O thread reach the GUI thread queued
// and in order. What it forwards to LinkCore is tested there, and end to end in tst_engine_e2e.

#include "engine/link_core.h"
#include "engine/pipe_transport.h"
#include "engine/runtime_dir.h"
#include "tests/support/framed_peer.h"
#include "tests/support/temp_dir.h"

#include <QTest>
#include <QThread>

#include <atomic>

using namespace qv::test;
using qv::ui::Transport;

class TestPipeTransport : public QObject {
    Q_OBJECT

private slots:
    void signalsArriveQueuedAndInOrder() {
        TempRuntimeDir dir;
        FakeEngineServer server(dir.file(qv::link::kEngineSocketName));
        QVERIFY(server.listen());
        qv::link::LinkOptions options;
        options.autoStart = false;
        options.retryAfterLossMs = 10;
        qv::ui::PipeTransport transport(options, nullptr);
        QStringList events;
        bool allOnGuiThread = true;
        std::atomic<bool> emittedElsewhere = true; // seen by a direct connection
        auto note = [&](const QString& event) {
            allOnGuiThread = allOnGuiThread && QThread::currentThread() == thread();
            events << event;
        };
        connect(&transport, &Transport::connectionChanged, this,
                [&](bool on, const QString& s) { note(on ? "connected" : "status:" + s); });
        connect(&transport, &Transport::message, this,
                [&](const QByteArray& json) { note(QString::fromUtf8(json)); });
        connect(
            &transport, &Transport::message, &transport,
            [&] { emittedElsewhere = emittedElsewhere && QThread::currentThread() != thread(); },
            Qt::DirectConnection);

        transport.start();
        QTRY_COMPARE(events, QStringList{"connected"});
        QTRY_VERIFY(server.hasClient());
        QStringList expected{"connected"};
        for (int i = 0; i < 100; ++i) {
            const std::string json = "{\"n\":" + std::to_string(i) + "}";
            server.sendFrame(json);
            expected << QString::fromStdString(json);
        }
        server.dropClient();
        expected << "status:Связь с движком потеряна — переподключаюсь…";
        QTRY_VERIFY(events.size() >= expected.size());
        QCOMPARE(events.mid(0, expected.size()), expected);
        QVERIFY(allOnGuiThread);
        QVERIFY(emittedElsewhere);
    }
};

QTEST_GUILESS_MAIN(TestPipeTransport)
#include "tst_pipe_transport.moc"
