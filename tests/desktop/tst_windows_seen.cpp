// Whether any of the program's windows can be seen, as the blink follows it: the main window
// shown, hidden, minimised and covered, and a second window that keeps things seen.

#include "desktop/windows_seen.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace qv::ui;

class WindowsSeenTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheWindows() {
        QWindow main;
        WindowsSeen seen(&main);
        QSignalSpy changes(&seen, &WindowsSeen::seenChanged);
        QVERIFY(!seen.seen());

        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_VERIFY(seen.seen());

        main.setProperty("qvCovered", true);
        QTRY_VERIFY(!seen.seen());
        main.setProperty("qvCovered", false);
        QTRY_VERIFY(seen.seen());

        // A dialog still on screen keeps things seen while the main window goes away.
        QWindow dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        main.hide();
        QTest::qWait(20);
        QVERIFY(seen.seen());
        dialog.hide();
        dialog.requestActivate();
        main.showMinimized();
        QTRY_VERIFY(!seen.seen());
        QCOMPARE(changes.count(), 4);
    }
};

QTEST_MAIN(WindowsSeenTest)
#include "tst_windows_seen.moc"
