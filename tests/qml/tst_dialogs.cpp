// The dialogs as the main window opens them, on the demo engine: the dialog base (size by the
// screen, Esc, closing only hides), the add, routes and replace windows with the cable card, and
// the settings and recorder windows.
//
// Runs on the offscreen platform with three screens (offscreen-three-screens.json): a 1920 × 1080
// one for the main window, and two low ones to see the body limit follow the available height.

#include "backend/list_model.h"
#include "tests/qml/main_app.h"

#include <QGuiApplication>
#include <QJSValue>
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

QQuickItem* named(QQuickWindow* window, const QString& name) {
    const QList<QQuickItem*> items = itemsWhere(window->contentItem(), "objectName", name);
    return items.isEmpty() ? nullptr : items.constFirst();
}

QStringList pickedIds(QQuickWindow* recorder) {
    QVariant picked = recorder->property("picked");
    if (picked.canConvert<QJSValue>())
        picked = picked.value<QJSValue>().toVariant();
    return picked.toStringList();
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
    void bufferMarksOnlyAnOfferedValue_data() {
        QTest::addColumn<double>("bufferMs");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("7 ms") << 7.0 << QStringList();
        QTest::newRow("20 ms") << 20.0 << QStringList{"20 мс"};
        QTest::newRow("4.6 ms") << 4.6 << QStringList{"5 мс"};
    }
    void bufferMarksOnlyAnOfferedValue() {
        QFETCH(double, bufferMs);
        QFETCH(QStringList, selected);
        App app({});
        QVERIFY(app.start());
        app.step("settings");
        app.backend.setSettings({{QStringLiteral("bufferMs"), bufferMs}});
        QQuickWindow* settings = app.dialog("settingsDialog");
        QTRY_VERIFY(settings->isVisible());
        QStringList shown;
        for (QQuickItem* segment :
             itemsWhere(named(settings, QStringLiteral("bufferChoice")), "selected", true))
            shown.append(segment->property("label").toString());
        QCOMPARE(shown, selected);
    }

    // A folder of its own gives its row the button back to the default folder; the other row
    // keeps none.
    void folderSetShowsItsReset() {
        App app({});
        QVERIFY(app.start());
        app.step("settings-record");
        QQuickWindow* settings = app.dialog("settingsDialog");
        QTRY_VERIFY(settings->isVisible());
        const auto resetShown = [&](const char* row) {
            const QList<QQuickItem*> buttons =
                itemsWhere(named(settings, QString::fromLatin1(row)), "tip",
                           QStringLiteral("Папка по умолчанию"));
            return buttons.size() == 1 && buttons.constFirst()->isVisible();
        };
        QVERIFY(!resetShown("videoFolderRow"));
        app.backend.setSettings({{QStringLiteral("videoFolder"), QStringLiteral("/tmp/clips")}});
        QTRY_VERIFY(resetShown("videoFolderRow"));
        QVERIFY(!resetShown("audioFolderRow"));
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
};

QTEST_MAIN(DialogsTest)

#include "tst_dialogs.moc"
