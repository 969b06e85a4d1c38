// DemoTransport only forwards to the demo engine: what it adds is that everything arrives through
// the event loop, later and in order, and that the meters always hold a new frame.

#include "engine/demo_transport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using qv::ui::DemoTransport;

class DemoTransportTest : public QObject {
    Q_OBJECT
private slots:
    void everythingArrivesOnLaterTurnsInOrder();
};

void DemoTransportTest::everythingArrivesOnLaterTurnsInOrder() {
    DemoTransport transport(true, true);
    QVERIFY(transport.isDemo());
    QSignalSpy connected(&transport, &DemoTransport::connectionChanged);
    QSignalSpy messages(&transport, &DemoTransport::message);
    const auto at = [&messages](int i) {
        return QJsonDocument::fromJson(messages.at(i).at(0).toByteArray()).object();
    };
    transport.start();
    QCOMPARE(connected.count(), 0); // on a later turn
    QTRY_COMPARE(connected.count(), 1);
    QCOMPARE(connected.at(0), (QVariantList{true, QString()}));
    transport.send(R"({"cmd":"subscribe","on":true,"reqId":1})");
    transport.send(R"({"cmd":"setSource","id":"app:chrome.exe","gainDb":-7,"reqId":2})");
    transport.send("not json");
    transport.send(R"({"cmd":"ping","reqId":3})");
    QCOMPARE(messages.count(), 0);

    QTRY_COMPARE(messages.count(), 4);
    QCOMPARE(at(0).value("reqId").toInt(), 1);
    QCOMPARE(at(1).value("event").toString(), QStringLiteral("config"));
    QCOMPARE(at(2).value("reqId").toInt(), 2);
    QCOMPARE(at(2).value("changed").toBool(), true);
    QCOMPARE(at(3).value("version").toString(), QStringLiteral("demo"));
    // Compact UTF-8 with the Russian names written as they are.
    const QByteArray config = messages.at(1).at(0).toByteArray();
    QVERIFY(!config.contains('\n'));
    QVERIFY(!config.contains("\": "));
    QVERIFY(config.contains("Все звуки"));
    QVERIFY(!config.contains("\\u"));

    // While subscribed, the state follows about once a second.
    QTRY_VERIFY_WITH_TIMEOUT(messages.count() >= 5, 2500);
    QCOMPARE(at(4).value("event").toString(), QStringLiteral("state"));
    QVERIFY(at(4).value("state").toObject().value("uptimeSec").toDouble() >= 0.9);

    auto block = std::make_unique<qv::MeterBlock>();
    QVERIFY(transport.readMeters(block.get()));
    const uint64_t first = block->frame;
    QVERIFY(transport.readMeters(block.get()));
    QCOMPARE(block->frame, first + 1);
    QCOMPARE(block->count, 12u);
}

QTEST_GUILESS_MAIN(DemoTransportTest)
#include "demo_transport_test.moc"
