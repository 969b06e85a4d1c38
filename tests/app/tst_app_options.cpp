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
    // The mode each combination selects, and which of the flags come through in it.
    void modes_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("engineMode");
        QTest::addColumn<bool>("screenshots");
        QTest::addColumn<QStringList>("flags");
        const QString dir = "/tmp/shots";
        const QStringList demoFlags = {"--demo-not-default", "--demo-no-driver"};
        QTest::newRow("no option") << QStringList{} << true << false << QStringList{};
        QTest::newRow("engine alone is no option")
            << QStringList{"--engine"} << true << false << QStringList{};
        QTest::newRow("demo") << QStringList{"--demo"} << false << false << QStringList{};
        QTest::newRow("screenshots use the demo engine")
            << QStringList{"--screenshots", dir} << false << true << QStringList{};
        QTest::newRow("screenshots with the engine")
            << QStringList{"--screenshots", dir, "--engine"} << true << true << QStringList{};
        QTest::newRow("demo beats screenshots with engine")
            << QStringList{"--demo", "--screenshots", dir, "--engine"} << false << true
            << QStringList{};
        QTest::newRow("demo flags in demo mode")
            << QStringList{"--demo"} + demoFlags << false << false
            << QStringList{"demoNotDefault", "demoNoDriver"};
        QTest::newRow("demo flags in screenshot demo mode")
            << QStringList{"--screenshots=" + dir, "--demo-no-driver"} << false << true
            << QStringList{"demoNoDriver"};
        QTest::newRow("demo flags ignored in engine mode")
            << demoFlags << true << false << QStringList{};
        QTest::newRow("flags of engine mode")
            << QStringList{"--autostart", "--no-engine-start"} << true << false
            << QStringList{"autostart", "noEngineStart"};
    }

    void modes() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, engineMode);
        QFETCH(bool, screenshots);
        QFETCH(QStringList, flags);
        bool ok = false;
        const StartOptions o = parse(arguments, &ok);
        QVERIFY(ok);
        QCOMPARE(o.engineMode, engineMode);
        QCOMPARE(o.screenshots, screenshots);
        QCOMPARE(o.screenshotDir, screenshots ? QStringLiteral("/tmp/shots") : QString());
        QCOMPARE(o.demoNotDefault, flags.contains("demoNotDefault"));
        QCOMPARE(o.demoNoDriver, flags.contains("demoNoDriver"));
        QCOMPARE(o.autostart, flags.contains("autostart"));
        QCOMPARE(o.noEngineStart, flags.contains("noEngineStart"));
    }

    void rejectedCommandLines_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown option") << QStringList{"--bogus"};
        QTest::newRow("screenshots without a folder") << QStringList{"--screenshots"};
        QTest::newRow("no version option") << QStringList{"--version"};
        QTest::newRow("no short forms") << QStringList{"-demo"};
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
