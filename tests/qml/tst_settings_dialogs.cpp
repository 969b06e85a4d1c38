// The settings, scenes and recorder windows as the main window opens them, on the demo engine:
// a tab change ends a hotkey capture, the buffer segments, the recorder's first pick, the
// new-scene name field and renaming one scene at a time.

#include "backend/list_model.h"
#include "tests/qml/main_app.h"

#include <QGuiApplication>
#include <QJSValue>
#include <QQuickItem>
#include <QTest>

using App = qv::test::MainApp;
using qv::test::click;
using qv::test::named;

namespace {

// Every item below `root` (delegates included) whose property `name` has `value`.
QList<QQuickItem*> itemsWhere(QQuickItem* root, const char* name, const QVariant& value) {
    QList<QQuickItem*> found;
    if (!root)
        return found;
    if (root->property(name) == value)
        found.append(root);
    for (QQuickItem* child : root->childItems())
        found += itemsWhere(child, name, value);
    return found;
}

QStringList pickedIds(QQuickWindow* recorder) {
    QVariant picked = recorder->property("picked");
    if (picked.canConvert<QJSValue>())
        picked = picked.value<QJSValue>().toVariant();
    return picked.toStringList();
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

class SettingsDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // Changing the settings tab scrolls the body to the top and ends a capture that waits for
    // a key, and so does hiding the window; the window keeps one height on every tab.
    void settingsTabEndsACapture() {
        App app({});
        QVERIFY(app.start());
        app.step("settings-keys");
        QQuickWindow* settings = app.dialog("settingsDialog");
        QTRY_VERIFY(settings->isVisible());
        const int height = settings->height();
        auto* flick = settings->property("bodyFlick").value<QQuickItem*>();
        for (const char* tab : {"sound", "window", "voice", "record", "engine", "keys"}) {
            app.keys.capture(QStringLiteral("micMute"));
            flick->setProperty("contentY", 120);
            settings->setProperty("tab", QString::fromLatin1(tab));
            QCOMPARE(app.keys.capturing(), QString());
            QCOMPARE(flick->property("contentY").toReal(), 0.0);
            QCOMPARE(settings->height(), height);
        }
        app.keys.capture(QStringLiteral("voice"));
        QQuickItem* row = named(settings, QStringLiteral("hotkey_voice"));
        QVERIFY(row);
        QVERIFY(row->property("waiting").toBool());
        settings->close();
        QTRY_COMPARE(app.keys.capturing(), QString());
        QVERIFY(!row->property("waiting").toBool());
    }

    // The buffer choice marks the stored value rounded, and nothing for a value it does not
    // offer.
    void bufferMarksOnlyAnOfferedValue() {
        App app({});
        QVERIFY(app.start());
        app.step("settings");
        QQuickWindow* settings = app.dialog("settingsDialog");
        QTRY_VERIFY(settings->isVisible());
        const auto marked = [&] {
            QStringList shown;
            for (QQuickItem* segment :
                 itemsWhere(named(settings, "bufferChoice"), "selected", true))
                shown.append(segment->property("label").toString());
            return shown;
        };
        const QList<QPair<double, QStringList>> cases = {
            {20.0, {"20 мс"}}, {7.0, {}}, {4.6, {"5 мс"}}};
        for (const auto& [bufferMs, selected] : cases) {
            app.backend.setSettings({{"bufferMs", bufferMs}});
            QTRY_COMPARE(marked(), selected);
        }
    }

    // Shown with nothing picked, the recorder picks the first device that is not the virtual
    // microphone, every time; a choice of the user's stays between showings.
    void recorderPicksTheFirstRealDevice() {
        App app({});
        QVERIFY(app.start());
        QStringList real;
        const auto* devices = qobject_cast<qv::ui::ListModel*>(app.backend.devices());
        QVERIFY(devices);
        for (int i = 0; i < devices->count(); ++i) {
            const QVariantMap row = devices->get(i);
            if (row.value("kind") == "physical")
                real.append(row.value("id").toString());
        }
        QVERIFY(real.size() >= 2);
        QQuickWindow* recorder = app.dialog("recorderDialog");
        for (const QStringList& choice : {QStringList(), QStringList{real.at(1)}}) {
            app.step("recorder");
            QTRY_VERIFY(recorder->isVisible());
            recorder->setProperty("picked", choice);
            recorder->close();
            QTRY_VERIFY(!recorder->isVisible());
            app.step("recorder");
            QTRY_VERIFY(recorder->isVisible());
            // The window tells QML of its showing a moment later.
            QTRY_COMPARE(pickedIds(recorder), choice.isEmpty() ? QStringList{real.at(0)} : choice);
            recorder->close();
        }
    }

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
        const auto row = [&](int i) {
            return named(dialog, "scene:" + app.backend.scenes().value(i).toMap()["id"].toString());
        };
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

QTEST_MAIN(SettingsDialogsTest)
#include "tst_settings_dialogs.moc"
