// WindowTools on two offscreen screens (offscreen-two-screens.json, given by CTest): A at (0,0)
// 1000 x 700, B right of it at (1000,0) 800 x 600.

#include "desktop/window_tools.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <memory>

using qv::ui::WindowTools;

namespace {

QSettings appSettings() {
    return QSettings(QStringLiteral("QUORVEL"), QStringLiteral("QUORVEL"));
}

std::unique_ptr<QWindow> makeWindow(const QRect& geometry) {
    auto w = std::make_unique<QWindow>();
    w->setFlags(Qt::Window | Qt::FramelessWindowHint);
    // A hidden window keeps the screen it is given; pick the one a window manager would.
    if (QScreen* screen = QGuiApplication::screenAt(geometry.center()))
        w->setScreen(screen);
    w->setGeometry(geometry);
    return w;
}

} // namespace

class WindowToolsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(screenA()->availableGeometry(), QRect(0, 0, 1000, 700));
        QCOMPARE(screenB()->availableGeometry(), QRect(1000, 0, 800, 600));
        // The store must be the temporary one, never the user's.
        QVERIFY(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        QSettings s = appSettings();
        QVERIFY2(s.fileName().startsWith(settingsDir_.path()), qPrintable(s.fileName()));
    }
    void init() { appSettings().clear(); }

    void fit_data() {
        QTest::addColumn<QRect>("start");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("expected");

        QTest::newRow("grows to the left")
            << QRect(600, 100, 300, 200) << QSize() << QSize(400, 250) << QRect(500, 100, 400, 250);
        QTest::newRow("below minimum") << QRect(600, 100, 300, 200) << QSize(350, 220)
                                       << QSize(100, 100) << QRect(550, 100, 350, 220);
        QTest::newRow("above the screen")
            << QRect(600, 100, 300, 200) << QSize() << QSize(2000, 900) << QRect(0, 0, 1000, 700);
        QTest::newRow("left edge grows right")
            << QRect(0, 50, 200, 200) << QSize() << QSize(400, 200) << QRect(0, 50, 400, 200);
        QTest::newRow("second screen") << QRect(1500, 100, 200, 200) << QSize() << QSize(900, 200)
                                       << QRect(1000, 100, 800, 200);
    }
    void fit() {
        QFETCH(QRect, start);
        QFETCH(QSize, minimum);
        QFETCH(QSize, wanted);
        QFETCH(QRect, expected);

        auto w = makeWindow(start);
        if (minimum.isValid())
            w->setMinimumSize(minimum);
        tools_.fit(w.get(), wanted.width(), wanted.height());
        QCOMPARE(w->geometry(), expected);
    }
    void placeOver_data() {
        QTest::addColumn<QRect>("parent");
        QTest::addColumn<QSize>("wanted");
        QTest::addColumn<QRect>("expected");

        QTest::newRow("centred, 40 below parent top")
            << QRect(100, 100, 800, 500) << QSize(400, 300) << QRect(300, 140, 400, 300);
        QTest::newRow("too high: bottom on the area's bottom")
            << QRect(100, 0, 800, 500) << QSize(600, 900) << QRect(200, 16, 600, 684);
        QTest::newRow("wider than the area")
            << QRect(0, 0, 1000, 700) << QSize(1200, 200) << QRect(0, 40, 1000, 200);
        QTest::newRow("parent on the second screen")
            << QRect(1100, 50, 600, 400) << QSize(300, 200) << QRect(1250, 90, 300, 200);
    }
    void placeOver() {
        QFETCH(QRect, parent);
        QFETCH(QSize, wanted);
        QFETCH(QRect, expected);

        auto dialog = makeWindow(QRect(10, 10, 50, 50));
        auto owner = makeWindow(parent);
        tools_.placeOver(dialog.get(), owner.get(), wanted.width(), wanted.height());
        QCOMPARE(dialog->geometry(), expected);
    }
    void restore_data() {
        QTest::addColumn<QVariant>("pos");
        QTest::addColumn<QVariant>("size");
        QTest::addColumn<bool>("autoSize");
        QTest::addColumn<QSize>("defaults");
        QTest::addColumn<QRect>("expected"); // and its screen

        QTest::newRow("nothing stored: centred")
            << QVariant() << QVariant() << false << QSize(800, 500) << QRect(100, 100, 800, 500);
        QTest::newRow("auto size ignores the stored size")
            << QVariant(QPoint(50, 60)) << QVariant(QSize(500, 400)) << true << QSize(300, 200)
            << QRect(50, 60, 300, 200);
        QTest::newRow("on the second screen, clamped")
            << QVariant(QPoint(1600, 300)) << QVariant(QSize(400, 400)) << false << QSize(100, 100)
            << QRect(1400, 200, 400, 400);
        QTest::newRow("monitor gone: centred on the current screen")
            << QVariant(QPoint(5000, 5000)) << QVariant(QSize(400, 300)) << false << QSize(100, 100)
            << QRect(300, 200, 400, 300);
        QTest::newRow("corner off screen: pulled in")
            << QVariant(QPoint(-100, 100)) << QVariant(QSize(400, 300)) << false << QSize(100, 100)
            << QRect(0, 100, 400, 300);
        QTest::newRow("damaged size: default")
            << QVariant(QPoint(10, 20)) << QVariant(QStringLiteral("big")) << false
            << QSize(300, 200) << QRect(10, 20, 300, 200);
    }
    void restore() {
        QFETCH(QVariant, pos);
        QFETCH(QVariant, size);
        QFETCH(bool, autoSize);
        QFETCH(QSize, defaults);
        QFETCH(QRect, expected);

        {
            QSettings s = appSettings();
            if (pos.isValid())
                s.setValue("window/pos", pos);
            if (size.isValid())
                s.setValue("window/size", size);
        }
        auto w = makeWindow(QRect(0, 0, 10, 10));
        tools_.restore(w.get(), autoSize, defaults.width(), defaults.height());
        QCOMPARE(w->geometry(), expected);
        QCOMPARE(w->screen(), QGuiApplication::screenAt(expected.center()));
    }
    void saveRestoreRoundTrip() {
        auto w = makeWindow(QRect(1200, 50, 400, 300));
        tools_.save(w.get(), false);
        auto again = makeWindow(QRect(0, 0, 10, 10));
        tools_.restore(again.get(), false, 1100, 700);
        QCOMPARE(again->geometry(), QRect(1200, 50, 400, 300));
        QCOMPARE(again->screen(), screenB());

        // With auto-size only the place is written; the old size stays as it was.
        w->setGeometry(QRect(100, 120, 640, 480));
        tools_.save(w.get(), true);
        QSettings s = appSettings();
        QCOMPARE(s.value("window/pos").toPoint(), QPoint(100, 120));
        QCOMPARE(s.value("window/size").toSize(), QSize(400, 300));
    }
    // A maximised or full-screen window is neither resized nor remembered at that size.
    void leavesMaximisedAndMinimisedAlone() {
        for (Qt::WindowState state :
             {Qt::WindowMaximized, Qt::WindowFullScreen, Qt::WindowMinimized}) {
            auto w = makeWindow(QRect(100, 100, 300, 200));
            w->setWindowStates(state);
            if (state != Qt::WindowMinimized) {
                tools_.fit(w.get(), 500, 500);
                QCOMPARE(w->geometry(), QRect(100, 100, 300, 200));
            }
            if (state != Qt::WindowFullScreen)
                tools_.save(w.get(), false);
        }
        QVERIFY(appSettings().allKeys().isEmpty());
    }

    void absentWindowIsIgnored() {
        tools_.fit(nullptr, 100, 100);
        tools_.placeOver(nullptr, nullptr, 100, 100);
        tools_.restore(nullptr, false, 100, 100);
        tools_.save(nullptr, false);
        tools_.decorate(nullptr);
        tools_.bringToFront(nullptr);
        QVERIFY(appSettings().allKeys().isEmpty());

        // A dialog whose parent is gone is placed over its own screen.
        auto dialog = makeWindow(QRect(1100, 10, 50, 50));
        tools_.placeOver(dialog.get(), nullptr, 200, 100);
        QCOMPARE(dialog->geometry(), QRect(1300, 40, 200, 100));
    }
    void bringToFrontRestoresMinimised() {
        auto w = makeWindow(QRect(100, 100, 300, 200));
        w->showMinimized();
        QTRY_VERIFY(w->windowStates() & Qt::WindowMinimized);
        tools_.bringToFront(w.get());
        QTRY_VERIFY(!(w->windowStates() & Qt::WindowMinimized));
        QVERIFY(w->isVisible());
        tools_.decorate(w.get()); // a no-op here, but must accept a live window
    }

private:
    QScreen* screenA() const { return QGuiApplication::screens().value(0); }
    QScreen* screenB() const { return QGuiApplication::screens().value(1); }

    QTemporaryDir settingsDir_;
    WindowTools tools_;
};

QTEST_MAIN(WindowToolsTest)
#include "tst_window_tools.moc"
