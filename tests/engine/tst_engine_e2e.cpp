// The one path through the real programs: PipeTransport starts the stand-in engine process by
// itself, asks and is answered, reads the meters block, and lets the engine leave. The pieces
// (large messages, hostile peers, reconnection) are tested alone in link_core_test and
// standin_engine_test.

#include "engine/meter_block.h"
#include "engine/pipe_transport.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using qv::ui::PipeTransport;

class EngineEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void sessionWithAnEngineItStartedItself();
};

void EngineEndToEnd::sessionWithAnEngineItStartedItself() {
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("QUORVEL_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("QUORVEL_ENGINE_DIR",
            QFileInfo(QStringLiteral(QV_ENGINE_PATH)).absolutePath().toUtf8());

    PipeTransport transport(true);
    // Recorded on this thread, queued from the I/O thread, as the Backend receives them.
    QStringList statuses;
    bool connected = false;
    QList<QByteArray> messages;
    connect(&transport, &qv::ui::Transport::connectionChanged, this,
            [&](bool on, const QString& status) {
                connected = on;
                statuses << status;
            });
    connect(&transport, &qv::ui::Transport::message, this,
            [&](const QByteArray& m) { messages << m; });
    // The newest reply with this reqId, parsed; an empty object while none arrived.
    const auto replyFor = [&messages](int id) {
        for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
            const QJsonObject o = QJsonDocument::fromJson(*it).object();
            if (!o.contains("event") && o.value("reqId").toInt(-1) == id)
                return o;
        }
        return QJsonObject();
    };

    transport.start();
    QTRY_VERIFY_WITH_TIMEOUT(connected, 10000);
    QVERIFY(statuses.contains(QStringLiteral("Запускаю движок QUORVEL…")));
    transport.send(R"({"cmd":"ping","reqId":1})");
    QTRY_VERIFY_WITH_TIMEOUT(!replyFor(1).isEmpty(), 5000);
    QCOMPARE(replyFor(1).value("version").toString(), QStringLiteral("demo"));

    // readMeters reports each new frame once, and QTRY evaluates its expression again after the
    // wait: remember the first success. The engine publishes at 60 Hz, so a newer frame follows.
    auto block = std::make_unique<qv::MeterBlock>();
    bool read = false;
    QTRY_VERIFY_WITH_TIMEOUT(read = read || transport.readMeters(block.get()), 2000);
    QCOMPARE(QByteArray(block->entries[0].id), QByteArray("in:demo-mic"));
    const quint64 first = block->frame;
    bool newer = false;
    QTRY_VERIFY_WITH_TIMEOUT(
        newer = newer || (transport.readMeters(block.get()) && block->frame != first), 2000);

    // "quit" is answered, then the engine leaves and takes its socket with it. The engine runs
    // detached, so it must leave this way while the runtime folder still exists.
    transport.send(R"({"cmd":"quit","reqId":2})");
    QTRY_VERIFY_WITH_TIMEOUT(replyFor(2).value("ok").toBool(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(runtime.filePath("QUORVEL.Engine")), 5000);
    qunsetenv("QUORVEL_RUNTIME_DIR");
    qunsetenv("QUORVEL_ENGINE_DIR");
}

QTEST_GUILESS_MAIN(EngineEndToEnd)
#include "tst_engine_e2e.moc"
