// DemoTransport: messages arrive through the event loop, later and in order.

#include "engine/demo_transport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using qv::ui::DemoTransport;

namespace {

QByteArray request(const QJsonObject& fields) {
    return QJsonDocument(fields).toJson(QJsonDocument::Compact);
}

QJsonObject messageAt(const QSignalSpy& spy, int i) {
    return QJsonDocument::fromJson(spy.at(i).at(0).toByteArray()).object();
}

} // namespace

class DemoTransportTest : public QObject {
    Q_OBJECT
private slots:
    void everythingArrivesOnLaterTurnsInOrder();
    void metersAlwaysHaveANewFrame();
    void stateEventsWhileSubscribed();
};

void DemoTransportTest::everythingArrivesOnLaterTurnsInOrder() {
    DemoTransport transport(true, true);
    QVERIFY(transport.isDemo());
    QSignalSpy connected(&transport, &DemoTransport::connectionChanged);
    QSignalSpy messages(&transport, &DemoTransport::message);
    transport.start();
    QCOMPARE(connected.count(), 0); // on a later turn
    QTRY_COMPARE(connected.count(), 1);
    QCOMPARE(connected.at(0), (QVariantList{true, QString()}));
    transport.send(request({{"cmd", "subscribe"}, {"on", true}, {"reqId", 1}}));
    transport.send(
        request({{"cmd", "setSource"}, {"id", "app:chrome.exe"}, {"gainDb", -7}, {"reqId", 2}}));
    transport.send("not json");
    transport.send(request({{"cmd", "ping"}, {"reqId", 3}}));
    QCOMPARE(messages.count(), 0);

    QTRY_COMPARE(messages.count(), 4);
    QCOMPARE(messageAt(messages, 0).value("reqId").toInt(), 1);
    QCOMPARE(messageAt(messages, 1).value("event").toString(), QStringLiteral("config"));
    QCOMPARE(messageAt(messages, 2).value("reqId").toInt(), 2);
    QCOMPARE(messageAt(messages, 2).value("changed").toBool(), true);
    QCOMPARE(messageAt(messages, 3).value("version").toString(), QStringLiteral("demo"));
    // Compact UTF-8 with the Russian names written as they are.
    const QByteArray config = messages.at(1).at(0).toByteArray();
    QVERIFY(!config.contains('\n'));
    QVERIFY(!config.contains("\": "));
    QVERIFY(config.contains("Все звуки"));
    QVERIFY(!config.contains("\\u"));
}

void DemoTransportTest::metersAlwaysHaveANewFrame() {
    DemoTransport transport(true, true);
    auto block = std::make_unique<qv::MeterBlock>();
    QVERIFY(transport.readMeters(block.get()));
    const uint64_t first = block->frame;
    QVERIFY(transport.readMeters(block.get()));
    QCOMPARE(block->frame, first + 1);
    QCOMPARE(block->magic, qv::kMeterMagic);
    QCOMPARE(block->count, 12u);
}

void DemoTransportTest::stateEventsWhileSubscribed() {
    DemoTransport transport(true, true);
    transport.start();
    QSignalSpy messages(&transport, &DemoTransport::message);
    transport.send(request({{"cmd", "subscribe"}, {"on", true}, {"reqId", 1}}));
    QTRY_VERIFY_WITH_TIMEOUT(messages.count() >= 2, 2500);
    const QJsonObject state = messageAt(messages, 1);
    QCOMPARE(state.value("event").toString(), QStringLiteral("state"));
    QVERIFY(state.value("state").toObject().value("uptimeSec").toDouble() >= 0.9);
}

QTEST_GUILESS_MAIN(DemoTransportTest)
#include "demo_transport_test.moc"
