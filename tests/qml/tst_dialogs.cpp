// The dialogs as the main window opens them, on the demo engine: the dialog base (size by the
// screen, Esc, closing only hides), the add, routes and replace windows with the cable card, and
// the scenes window.
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

// Repeated rows are not QObject children of their window, so the search walks the items.
QQuickItem* findItem(QQuickItem* item, const QString& name) {
    if (item->objectName() == name)
        return item;
    for (QQuickItem* c : item->childItems())
        if (QQuickItem* found = findItem(c, name))
            return found;
    return nullptr;
}

QQuickItem* child(QObject* in, const char* name) {
    auto* window = qobject_cast<QQuickWindow*>(in);
    QQuickItem* found = findItem(window ? window->contentItem() : qobject_cast<QQuickItem*>(in),
                                 QString::fromUtf8(name));
    if (!found)
        qWarning("no item named %s", name);
    return found;
}

void click(QQuickItem* item) {
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, centre.toPoint());
}

// Typing as a keyboard would, one character at a time (QTest has no keyClicks for windows).
void type(QQuickWindow* window, const QString& text) {
    for (const QChar c : text) {
        const auto key = c.isLetterOrNumber() && c.unicode() < 128 ? Qt::Key(c.toUpper().unicode())
                         : c == u' '                               ? Qt::Key_Space
                                                                   : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, window, key, QString(c), {});
        QTest::sendKeyEvent(QTest::Release, window, key, QString(c), {});
    }
}

QStringList sceneNames(const qv::ui::Backend& backend) {
    QStringList out;
    for (const QVariant& v : backend.scenes())
        out << v.toMap().value("name").toString();
    return out;
}

QString sceneId(const qv::ui::Backend& backend, int i) {
    return backend.scenes().value(i).toMap().value("id").toString();
}

// The scenes window opened from the main window, its name field focused, with no scenes or
// with the ones named.
QQuickWindow* openScenes(App& app, const QStringList& names) {
    for (const QString& n : names)
        app.backend.saveScene(n);
    if (!QTest::qWaitFor([&] { return app.backend.scenes().size() == names.size(); }, 5000))
        return nullptr;
    QMetaObject::invokeMethod(app.window, "openDialog", Q_ARG(QVariant, QVariant("scenes")));
    QQuickWindow* dialog = app.dialog("scenesDialog");
    if (!QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == dialog; }, 5000))
        return nullptr;
    child(dialog, "sceneName")->forceActiveFocus();
    return dialog;
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

        QQuickWindow* dialog = makeDialog(
            app, QByteArray("fitContent: ") + (fit ? "true" : "false") +
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

    // A name of only blanks saves nothing and says why, by Enter and by the button alike; the
    // field takes 40 characters and no more, and a saved name empties it.
    void sceneNameField() {
        App app({});
        QVERIFY(app.start());
        QQuickWindow* dialog = openScenes(app, {});
        QVERIFY(dialog);
        QQuickItem* field = child(dialog, "sceneName");

        type(dialog, "   ");
        QTest::keyClick(dialog, Qt::Key_Return);
        QCOMPARE(app.backend.toast(), QStringLiteral("Введите название сцены"));
        click(child(dialog, "sceneSave"));
        QCOMPARE(app.backend.pendingReplyCount(), 0);
        QTest::qWait(100);
        QVERIFY(app.backend.scenes().isEmpty());
        QCOMPARE(field->property("text").toString(), QStringLiteral("   "));

        field->setProperty("text", QString());
        const QString typed = QString(41, QChar(u'я'));
        type(dialog, typed);
        QCOMPARE(field->property("text").toString(), typed.left(40));
        QTest::keyClick(dialog, Qt::Key_Return);
        QTRY_COMPARE(sceneNames(app.backend), QStringList{typed.left(40)});
        QCOMPARE(field->property("text").toString(), QString());
    }

    // One rename at a time: starting the second drops the first unsaved; Enter saves the one in
    // progress. Hiding the window ends renaming and a pending delete question.
    void sceneRenameOneAtATime() {
        App app({});
        QVERIFY(app.start());
        QQuickWindow* dialog = openScenes(app, {"Игра", "Стрим"});
        QVERIFY(dialog);
        // The rows are built afresh whenever the scene list changes: looked up each time.
        const auto row = [&](int i) {
            return child(dialog, qPrintable("scene:" + sceneId(app.backend, i)));
        };
        const auto flag = [&](int i, const char* name) { return row(i)->property(name).toBool(); };

        click(child(row(0), "sceneRename"));
        QVERIFY(flag(0, "renaming"));
        type(dialog, "Не то");
        click(child(row(1), "sceneRename"));
        QVERIFY(!flag(0, "renaming"));
        QVERIFY(flag(1, "renaming"));
        QTest::keyClick(dialog, Qt::Key_End);
        type(dialog, " 2");
        QTest::keyClick(dialog, Qt::Key_Return);
        QTRY_COMPARE(sceneNames(app.backend), (QStringList{"Игра", "Стрим 2"}));
        QVERIFY(!flag(1, "renaming"));

        click(child(row(0), "sceneRename"));
        click(child(row(1), "sceneDelete"));
        QVERIFY(!flag(0, "renaming"));
        QVERIFY(flag(1, "confirming"));
        click(child(row(0), "sceneRename"));
        dialog->close();
        QTRY_VERIFY(!dialog->isVisible());
        QVERIFY(!flag(0, "renaming"));
        QVERIFY(!flag(1, "confirming"));
    }
};

QTEST_MAIN(DialogsTest)

#include "tst_dialogs.moc"
