// The command line: which mode each combination of options selects, and what is refused. The
// mode also decides the single instance: only engine mode asks a running instance to show.

#include "app/options.h"

#include <QCommandLineParser>
#include <QtTest>

using qv::ui::StartOptions;

namespace {

StartOptions parse(const QStringList& arguments, bool* ok = nullptr) {
    QCommandLineParser parser;
    qv::ui::addStartOptions(parser);
    const bool parsed = parser.parse(QStringList{QStringLiteral("quorvel")} + arguments);
    if (ok)
        *ok = parsed;
    return qv::ui::readStartOptions(parser);
}

} // namespace

class AppOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void modes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("engineMode");
        QTest::addColumn<bool>("screenshots");
        QTest::addColumn<bool>("demoNotDefault");
        QTest::addColumn<bool>("demoNoDriver");

        const QString dir = QStringLiteral("/tmp/shots");
        QTest::newRow("no option") << QStringList{} << true << false << false << false;
        QTest::newRow("engine alone is no option")
            << QStringList{QStringLiteral("--engine")} << true << false << false << false;
        QTest::newRow("demo") << QStringList{QStringLiteral("--demo")} << false << false << false
                              << false;
        QTest::newRow("screenshots use the demo engine")
            << QStringList{QStringLiteral("--screenshots"), dir} << false << true << false << false;
        QTest::newRow("screenshots with the engine")
            << QStringList{QStringLiteral("--screenshots"), dir, QStringLiteral("--engine")} << true
            << true << false << false;
        QTest::newRow("demo beats screenshots with engine")
            << QStringList{QStringLiteral("--demo"), QStringLiteral("--screenshots"), dir,
                           QStringLiteral("--engine")}
            << false << true << false << false;
        QTest::newRow("demo flags in demo mode")
            << QStringList{QStringLiteral("--demo"), QStringLiteral("--demo-not-default"),
                           QStringLiteral("--demo-no-driver")}
            << false << false << true << true;
        QTest::newRow("demo flags in screenshot demo mode")
            << QStringList{QStringLiteral("--screenshots=") + dir,
                           QStringLiteral("--demo-no-driver")}
            << false << true << false << true;
        QTest::newRow("demo flags ignored in engine mode")
            << QStringList{QStringLiteral("--demo-not-default"), QStringLiteral("--demo-no-driver")}
            << true << false << false << false;
    }

    void modes() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, engineMode);
        QFETCH(bool, screenshots);
        QFETCH(bool, demoNotDefault);
        QFETCH(bool, demoNoDriver);
        bool ok = false;
        const StartOptions o = parse(arguments, &ok);
        QVERIFY(ok);
        QCOMPARE(o.engineMode, engineMode);
        QCOMPARE(o.screenshots, screenshots);
        QCOMPARE(o.screenshotDir, screenshots ? QStringLiteral("/tmp/shots") : QString());
        QCOMPARE(o.demoNotDefault, demoNotDefault);
        QCOMPARE(o.demoNoDriver, demoNoDriver);
        QVERIFY(!o.autostart);
        QVERIFY(!o.noEngineStart);
    }

    void flagsOfEngineMode() {
        const StartOptions o =
            parse({QStringLiteral("--autostart"), QStringLiteral("--no-engine-start")});
        QVERIFY(o.engineMode);
        QVERIFY(o.autostart);
        QVERIFY(o.noEngineStart);
    }

    void rejectedCommandLines_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")};
        QTest::newRow("screenshots without a folder")
            << QStringList{QStringLiteral("--screenshots")};
        QTest::newRow("no version option") << QStringList{QStringLiteral("--version")};
        QTest::newRow("no short forms") << QStringList{QStringLiteral("-demo")};
    }

    void rejectedCommandLines() {
        QFETCH(QStringList, arguments);
        bool ok = true;
        parse(arguments, &ok);
        QVERIFY(!ok);
    }
};

QTEST_GUILESS_MAIN(AppOptionsTest)
#include "tst_app_options.moc"
