// The dialogs as the main window opens them, on the demo engine: the dialog base (size by the
// screen, Esc, closing only hides), and the add, routes and replace windows with the cable card.
//
// Runs on the offscreen platform with three screens (offscreen-three-screens.json): a 1920 × 1080
// one for the main window, and two low ones to see the body limit follow the available height.

#include "tests/qml/main_app.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QScreen>
#include <QStandardPaths>

using App = qv::test::MainApp;

namespace {

// A window of the dialog base, as the program's dialogs derive from it; `extra` is QML for the
// body of its declaration.
QQuickWindow* makeDialog(App& app, const QByteArray& extra) {
    QQmlComponent component(&app.engine);
    component.setData("import QtQuick\nimport \"qrc:/qml\"\nDialog {\n" + extra + "\n}",
                      QUrl(QStringLiteral("qrc:/test/TestDialog.qml")));
    QObject* object = component.create();
    if (!object)
        qWarning("%s", qPrintable(component.errorString()));
    auto* dialog = qobject_cast<QQuickWindow*>(object);
    if (dialog) {
        static_cast<QObject*>(dialog)->setParent(&app.engine);
        dialog->setProperty("mainWindow", QVariant::fromValue(app.window));
    }
    return dialog;
}

void openOver(QObject* dialog, QQuickWindow* over) {
    QMetaObject::invokeMethod(dialog, "openOver", Q_ARG(QVariant, QVariant::fromValue(over)));
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("QUORVEL-test"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_dialogs"));
        QGuiApplication::setQuitOnLastWindowClosed(false);
        qv::ui::registerQmlFonts();
        QVERIFY2(QGuiApplication::screens().size() == 3, "run with offscreen-three-screens.json");
    }

    // The body takes its limit from the available height of the main window's screen, never
    // below 200 px; with fitContent a short body shrinks to its content. The window's height is
    // header, body, footer and frame.
    void bodyFollowsTheScreen_data() {
        QTest::addColumn<int>("screen");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("footer");
        QTest::addColumn<int>("content");
        QTest::addColumn<int>("body");
        QTest::newRow("tall screen") << 0 << false << true << 100 << 580;
        QTest::newRow("500 px screen") << 1 << false << true << 100 << 332;
        QTest::newRow("340 px screen") << 2 << false << true << 900 << 200;
        QTest::newRow("fit, short") << 0 << true << true << 100 << 132;
        QTest::newRow("fit, long") << 1 << true << true << 900 << 332;
        QTest::newRow("no footer") << 0 << false << false << 100 << 580;
    }
    void bodyFollowsTheScreen() {
        QFETCH(int, screen);
        QFETCH(bool, fit);
        QFETCH(bool, footer);
        QFETCH(int, content);
        QFETCH(int, body);
        App app({});
        QVERIFY(app.start());
        QScreen* target = QGuiApplication::screens().at(screen);
        app.window->setScreen(target);
        app.window->setPosition(target->geometry().topLeft() + QPoint(10, 10));
        QTRY_COMPARE(app.window->screen(), target);

        QQuickWindow* dialog =
            makeDialog(app, QByteArray("fitContent: ") + (fit ? "true" : "false") +
                                "\nfooter: " + (footer ? "true" : "false") +
                                "\nItem { width: 10; height: " + QByteArray::number(content) + " }");
        QVERIFY(dialog);
        openOver(dialog, app.window);
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->property("bodyHeight").toInt(), body);
        QCOMPARE(dialog->height(), 44 + body + (footer ? 64 : 0) + 2);
        QCOMPARE(dialog->width(), 860);
        auto* flick = dialog->property("bodyFlick").value<QQuickItem*>();
        QVERIFY(flick);
        QCOMPARE(flick->property("interactive").toBool(), content + 32 > body);
    }

    // Esc closes the dialog that has the focus and no other; closing only hides, and the next
    // opening shows the body from its top again.
    void escClosesTheFocusedDialog() {
        App app({});
        QVERIFY(app.start());
        QQuickWindow* first = makeDialog(app, "Item { width: 10; height: 2000 }");
        QQuickWindow* second = makeDialog(app, "");
        QVERIFY(first && second);
        openOver(first, app.window);
        auto* flick = first->property("bodyFlick").value<QQuickItem*>();
        flick->setProperty("contentY", 300);
        openOver(second, app.window);
        QTRY_COMPARE(QGuiApplication::focusWindow(), second);
        QTest::keyClick(second, Qt::Key_Escape);
        QTRY_VERIFY(!second->isVisible());
        QVERIFY(first->isVisible());

        first->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), first);
        QTest::keyClick(first, Qt::Key_Escape);
        QTRY_VERIFY(!first->isVisible());
        openOver(first, app.window);
        QTRY_VERIFY(first->isVisible());
        QCOMPARE(flick->property("contentY").toReal(), 0.0);
    }
};

QTEST_MAIN(DialogsTest)

#include "tst_dialogs.moc"
