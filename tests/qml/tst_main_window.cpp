// The main window as start-up creates it, on the demo engine: closing to the tray or for real,
// sizing to the mixer, the place remembered, meters that stop while hidden,
// the minimised start and the prepared screenshot states.
//
// Runs on the offscreen platform with a 1920 × 1080 screen (scripts/offscreen-screen.json) so
// that the demo mixer fits without being clamped.

#include "backend/meter_store.h"
#include "tests/qml/main_app.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

using namespace qv::ui;
using App = qv::test::MainApp;

namespace {

// The program's own settings store, which keeps the window's place.
QSettings settings() {
    return QSettings(QStringLiteral("QUORVEL"), QStringLiteral("QUORVEL"));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Before the first window: init() clears the store, which must be the test one.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        QSettings s = settings();
        s.clear();
    }

    // With a tray the window goes there and the program keeps running; while quitting, without
    // a tray or in screenshot mode the close goes through.
    void closing_data() {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("quitting");
        QTest::addColumn<bool>("screenshots");
        QTest::addColumn<bool>("toTray");
        QTest::newRow("tray") << true << false << false << true;
        QTest::newRow("tray, quitting") << true << true << false << false;
        QTest::newRow("no tray") << false << false << false << false;
        QTest::newRow("tray, screenshots") << true << false << true << false;
    }
    void closing() {
        QFETCH(bool, tray);
        QFETCH(bool, quitting);
        QFETCH(bool, screenshots);
        QFETCH(bool, toTray);
        App app({tray, screenshots, false});
        QVERIFY(app.window);
        QVERIFY(QTest::qWaitForWindowExposed(app.window));
        QVERIFY(app.start());
        QTRY_VERIFY(app.backend.meters()->property("running").toBool()); // shown: they run
        app.tray.quitting = quitting;

        // close() tells whether the window really closed or refused and went to the tray.
        QCOMPARE(app.window->close(), !toTray);
        QVERIFY(!app.window->isVisible());
        QCOMPARE(app.tray.hidden, toTray ? 1 : 0);
        // Either way the place is saved first.
        QVERIFY(settings().contains("window/pos"));
        // The meters stop while nobody sees them: no tick moves a level any more.
        QVERIFY(!app.backend.meters()->property("running").toBool());
        const int frame = app.backend.meters()->property("frame").toInt();
        QTest::qWait(100);
        QCOMPARE(app.backend.meters()->property("frame").toInt(), frame);
    }

    // Started with Windows: only the tray icon with a tray, a minimised window without one.
    void startMinimized() {
        {
            App app({true, false, true});
            QVERIFY(app.window);
            QTest::qWait(50);
            QVERIFY(!app.window->isVisible());
        }
        App app({false, false, true});
        QVERIFY(app.window);
        QTRY_VERIFY(app.window->isVisible());
        QCOMPARE(app.window->visibility(), QWindow::Minimized);
        QVERIFY(!app.backend.meters()->property("running").toBool());
    }

    // The window follows the mixer while auto-size is on (a missing setting means on), and
    // keeps the user's size with the resize handles working when it is off.
    void autoSize() {
        App app({});
        QVERIFY(app.start());
        QVERIFY(QTest::qWaitForWindowExposed(app.window));
        QVERIFY(app.prop("autoSize").toBool());
        QTRY_COMPARE(app.window->size(), app.want());
        QVERIFY(!app.item("resizeTop")->isEnabled());

        const int wide = app.window->width();
        app.backend.setAllCollapsed(true);
        QTRY_VERIFY(app.want().width() < wide);
        QTRY_COMPARE(app.window->size(), app.want());

        app.backend.setSettings({{"autoSizeWindow", false}});
        QTRY_VERIFY(!app.prop("autoSize").toBool());
        QVERIFY(app.item("resizeTop")->isEnabled());
        const QSize kept = app.window->size();
        app.backend.setAllCollapsed(false);
        QTRY_VERIFY(app.want().width() > kept.width());
        QTest::qWait(50);
        QCOMPARE(app.window->size(), kept);

        // A size set by hand is saved once the window has been left alone for a moment.
        app.window->resize(700, 500);
        QTRY_COMPARE_WITH_TIMEOUT(settings().value("window/size").toSize(), QSize(700, 500), 3000);

        // Turned back on, the window fits at once.
        app.backend.setSettings({{"autoSizeWindow", true}});
        QTRY_COMPARE(app.window->size(), app.want());

        // A maximised window is never fitted and has neither frame nor resize handles.
        app.backend.setSettings({{"autoSizeWindow", false}});
        QTRY_VERIFY(app.item("resizeTop")->isEnabled());
        app.window->showMaximized();
        QTRY_VERIFY(app.prop("maximized").toBool());
        const QSize big = app.window->size();
        QVERIFY(!app.item("resizeTop")->isEnabled());
        app.backend.setSettings({{"autoSizeWindow", true}});
        app.backend.setAllCollapsed(true);
        QTest::qWait(50);
        QCOMPARE(app.window->size(), big);
        QCOMPARE(app.item("titleBar")->mapToScene({0, 0}), QPointF(0, 0));
    }

    // With the cable as the virtual microphone, making it the Windows output loops the voice
    // (the prepared screenshot states change the mixer through the Backend as a user would).
    //
    // Names come from devices, programs and the user: a Bluetooth device choosing the name
    // <img src="http://…"> must not make the window lay out markup or fetch that address. Every
    // text of the window is plain; only the Windows banner styles its own words around escaped
    // names.
    void screenshotStepsAndPlainTexts() {
        App app({true, true, false});
        QVERIFY(app.start());
        QVERIFY(QTest::qWaitForWindowExposed(app.window));
        app.step("settings-cable");
        app.step("loop");
        QTRY_VERIFY(app.item("loopBanner")->isVisible());
        QTRY_COMPARE(app.window->size(), app.want());

        QList<QQuickItem*> pending = app.window->findChildren<QQuickItem*>();
        pending.append(app.window->contentItem());
        QSet<QQuickItem*> seen;
        QStringList styled;
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeLast();
            if (!item || seen.contains(item))
                continue;
            seen.insert(item);
            pending.append(item->childItems());
            // The styled texts are the banner and the cable credit with its link; a field's
            // placeholder shows only the field's own fixed hint.
            if (!item->inherits("QQuickText") || item->inherits("QQuickPlaceholderText") ||
                item->objectName() == QLatin1String("windowsBannerText") ||
                item->objectName() == QLatin1String("cableCreditText"))
                continue;
            if (item->property("textFormat").toInt() != 0) // Text.PlainText
                styled << item->property("text").toString();
        }
        QVERIFY(seen.size() > 1);
        QVERIFY2(styled.isEmpty(), qPrintable(styled.join(" | ")));

        app.step("loop-fixed");
        QTRY_VERIFY(!app.item("loopBanner")->isVisible());
    }
};

QTEST_MAIN(MainWindowTest)

#include "tst_main_window.moc"
