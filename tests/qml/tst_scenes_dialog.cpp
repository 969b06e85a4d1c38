// The scenes window as the main window opens it, on the demo engine: the new-scene name field
// and renaming one scene at a time.

#include "tests/qml/main_app.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QTest>

using App = qv::test::MainApp;
using qv::test::click;
using qv::test::named;

namespace {

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
    named(dialog, "sceneName")->forceActiveFocus();
    return dialog;
}

} // namespace

class ScenesDialogTest : public QObject {
    Q_OBJECT

private slots:
    // A name of only blanks saves nothing and says why, by Enter and by the button alike; the
    // field takes 40 characters and no more, and a saved name empties it.
    void sceneNameField() {
        App app({});
        QVERIFY(app.start());
        QQuickWindow* dialog = openScenes(app, {});
        QVERIFY(dialog);
        QQuickItem* field = named(dialog, "sceneName");

        type(dialog, "   ");
        QTest::keyClick(dialog, Qt::Key_Return);
        QCOMPARE(app.backend.toast(), QStringLiteral("Введите название сцены"));
        QVERIFY(click(named(dialog, "sceneSave")));
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
        const auto row = [&](int i) { return named(dialog, "scene:" + sceneId(app.backend, i)); };
        const auto flag = [&](int i, const char* name) { return row(i)->property(name).toBool(); };

        QVERIFY(click(named(row(0), "sceneRename")));
        QVERIFY(flag(0, "renaming"));
        type(dialog, "Не то");
        QVERIFY(click(named(row(1), "sceneRename")));
        QVERIFY(!flag(0, "renaming"));
        QVERIFY(flag(1, "renaming"));
        QTest::keyClick(dialog, Qt::Key_End);
        type(dialog, " 2");
        QTest::keyClick(dialog, Qt::Key_Return);
        QTRY_COMPARE(sceneNames(app.backend), (QStringList{"Игра", "Стрим 2"}));
        QVERIFY(!flag(1, "renaming"));

        QVERIFY(click(named(row(0), "sceneRename")));
        QVERIFY(click(named(row(1), "sceneDelete")));
        QVERIFY(!flag(0, "renaming"));
        QVERIFY(flag(1, "confirming"));
        QVERIFY(click(named(row(0), "sceneRename")));
        dialog->close();
        QTRY_VERIFY(!dialog->isVisible());
        QVERIFY(!flag(0, "renaming"));
        QVERIFY(!flag(1, "confirming"));
    }
};

QTEST_MAIN(ScenesDialogTest)
#include "tst_scenes_dialog.moc"
