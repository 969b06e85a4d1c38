// PipeTransport against the real stand-in engine process in a private runtime folder: automatic
// start, requests and replies, a large event delivered whole, the meters block, and reconnection
// after the engine is killed.

#include "engine/meter_block.h"
#include "engine/pipe_transport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using qv::ui::PipeTransport;

namespace {

// The transport's connection changes as the Backend receives them: on this thread, queued when
// the I/O thread emits. (A QSignalSpy would record on the emitting thread, racing with this one.)
class StatusLog : public QObject, public QList<QVariantList> {
public:
    explicit StatusLog(qv::ui::Transport* transport) {
        connect(transport, &qv::ui::Transport::connectionChanged, this,
                [this](bool connected, const QString& status) {
                    append({connected, status});
                });
    }
};

// The newest message whose reqId is `id`, parsed; an empty object when none arrived.
QJsonObject replyFor(const QList<QByteArray>& messages, int id) {
    for (auto it = messages.crbegin(); it != messages.crend(); ++it) {
        const QJsonObject o = QJsonDocument::fromJson(*it).object();
        if (!o.contains("event") && o.value("reqId").toInt(-1) == id)
            return o;
    }
    return {};
}

} // namespace

class EngineEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void autoStartFindsAndLaunchesTheEngine();
    void largeEventArrivesWhole();
    void metersAreReadFromTheEngine();
    void reconnectsAfterTheEngineIsKilled();

private:
    // Starts the stand-in engine by hand and waits for its socket.
    void startEngine();
    std::unique_ptr<PipeTransport> connectedTransport(bool autoStart);

    std::unique_ptr<QTemporaryDir> runtime_;
    QList<QByteArray> messages_;
    std::unique_ptr<QProcess> engine_;
};

void EngineEndToEnd::init() {
    runtime_ = std::make_unique<QTemporaryDir>();
    QVERIFY(runtime_->isValid());
    QFile::setPermissions(runtime_->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("QUORVEL_RUNTIME_DIR", runtime_->path().toUtf8());
    qputenv("QUORVEL_ENGINE_DIR",
            QFileInfo(QStringLiteral(QV_ENGINE_PATH)).absolutePath().toUtf8());
    messages_.clear();
}

void EngineEndToEnd::cleanup() {
    if (engine_) {
        engine_->kill();
        engine_->waitForFinished(3000);
        engine_.reset();
    }
    // An engine the transport launched itself runs detached: ask it to leave through the channel
    // while the runtime folder still exists (each test that launches one does that itself).
    runtime_.reset();
    qunsetenv("QUORVEL_RUNTIME_DIR");
    qunsetenv("QUORVEL_ENGINE_DIR");
}

void EngineEndToEnd::startEngine() {
    engine_ = std::make_unique<QProcess>();
    engine_->setProgram(QStringLiteral(QV_ENGINE_PATH));
    engine_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    engine_->start();
    QVERIFY(engine_->waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime_->filePath("QUORVEL.Engine")), 5000);
}

std::unique_ptr<PipeTransport> EngineEndToEnd::connectedTransport(bool autoStart) {
    auto transport = std::make_unique<PipeTransport>(autoStart);
    connect(transport.get(), &qv::ui::Transport::message, this,
            [this](const QByteArray& m) { messages_.append(m); });
    return transport;
}

void EngineEndToEnd::autoStartFindsAndLaunchesTheEngine() {
    auto transport = connectedTransport(true);
    StatusLog status(transport.get());
    transport->start();
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0).toBool(), 10000);
    // The launch was announced before the connection.
    bool launched = false;
    for (const auto& s : status)
        launched |= s.at(1).toString() == QStringLiteral("Запускаю движок QUORVEL…");
    QVERIFY(launched);

    transport->send(R"({"cmd":"ping","reqId":1})");
    QTRY_VERIFY_WITH_TIMEOUT(!replyFor(messages_, 1).isEmpty(), 5000);
    QCOMPARE(replyFor(messages_, 1).value("version").toString(), QStringLiteral("demo"));

    // "quit" is answered, then the engine leaves and takes its socket with it.
    transport->send(R"({"cmd":"quit","reqId":2})");
    QTRY_VERIFY_WITH_TIMEOUT(replyFor(messages_, 2).value("ok").toBool(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(runtime_->filePath("QUORVEL.Engine")), 5000);
}

void EngineEndToEnd::largeEventArrivesWhole() {
    startEngine();
    auto transport = connectedTransport(false);
    StatusLog status(transport.get());
    transport->start();
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0).toBool(), 5000);

    transport->send(R"({"cmd":"subscribe","on":true,"reqId":1})");
    const QString longName(200000, QChar(u'ж'));
    QJsonObject edit{
        {"cmd", "setSource"}, {"reqId", 2}, {"id", "app:discord.exe"}, {"name", longName}};
    transport->send(QJsonDocument(edit).toJson(QJsonDocument::Compact));
    QTRY_VERIFY_WITH_TIMEOUT(!replyFor(messages_, 2).isEmpty(), 5000);
    QVERIFY(replyFor(messages_, 2).value("ok").toBool());

    // The config event that the edit caused carries the 400000-byte name in one message.
    QJsonObject config;
    for (const QByteArray& m : messages_) {
        const QJsonObject o = QJsonDocument::fromJson(m).object();
        if (o.value("event").toString() == QStringLiteral("config")) {
            QVERIFY(m.size() > 400000);
            config = o.value("config").toObject();
        }
    }
    QVERIFY(!config.isEmpty());
    bool found = false;
    for (const auto& s : config.value("sources").toArray())
        found |= s.toObject().value("name").toString() == longName;
    QVERIFY(found);
}

void EngineEndToEnd::metersAreReadFromTheEngine() {
    startEngine();
    auto transport = connectedTransport(false);
    StatusLog status(transport.get());
    transport->start();
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0).toBool(), 5000);

    // readMeters reports each new frame once, and QTRY evaluates its expression again after the
    // wait: remember the first success.
    auto block = std::make_unique<qv::MeterBlock>();
    bool read = false;
    QTRY_VERIFY_WITH_TIMEOUT(read = read || transport->readMeters(block.get()), 2000);
    QCOMPARE(block->magic, qv::kMeterMagic);
    QVERIFY(block->count > 0 && block->count <= 128);
    QCOMPARE(QByteArray(block->entries[0].id), QByteArray("in:demo-mic"));
    const quint64 first = block->frame;
    // The engine publishes at 60 Hz: a later read sees a newer frame.
    bool newer = false;
    QTRY_VERIFY_WITH_TIMEOUT(
        newer = newer || (transport->readMeters(block.get()) && block->frame != first), 2000);
}

void EngineEndToEnd::reconnectsAfterTheEngineIsKilled() {
    startEngine();
    auto transport = connectedTransport(false);
    StatusLog status(transport.get());
    transport->start();
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0).toBool(), 5000);

    engine_->kill();
    QVERIFY(engine_->waitForFinished(5000));
    const auto lost = [&status] {
        for (const auto& s : status)
            if (!s.at(0).toBool() &&
                s.at(1).toString() == QStringLiteral("Связь с движком потеряна — переподключаюсь…"))
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(lost(), 5000);

    // Messages sent while the engine is gone are never delivered to the next engine.
    transport->send(R"({"cmd":"ping","reqId":7})");
    startEngine(); // removes the stale socket the killed engine left
    QTRY_VERIFY_WITH_TIMEOUT(status.last().at(0).toBool(), 5000);
    transport->send(R"({"cmd":"ping","reqId":8})");
    QTRY_VERIFY_WITH_TIMEOUT(!replyFor(messages_, 8).isEmpty(), 5000);
    QVERIFY(replyFor(messages_, 7).isEmpty());
}

QTEST_GUILESS_MAIN(EngineEndToEnd)
#include "tst_engine_e2e.moc"
