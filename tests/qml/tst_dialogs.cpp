// The dialogs as the main window opens them, on the demo engine: the dialog base (size by the
// screen, Esc, closing only hides), and the add, routes and replace windows.
//
// Runs on the offscreen platform with three screens (offscreen-three-screens.json): a 1920 × 1080
// one for the main window, and two low ones to see the body limit follow the available height.

#include "backend/list_model.h"
#include "tests/qml/main_app.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QScreen>

using App = qv::test::MainApp;
using qv::test::click;
using qv::test::findItem;
using qv::test::named;

namespace {

// A window of the dialog base, as the program's dialogs derive from it; `extra` is QML for the
// body of its declaration.
QQuickWindow* makeDialog(App& app, const QByteArray& extra) {
    QQmlComponent component(&app.engine);
    component.setData("import QtQuick\nimport \"qrc:/qml\"\nDialog {\n" + extra + "\n}",
                      QUrl("qrc:/test/TestDialog.qml"));
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

// A row of a dialog's list: the rows are made once the opened window's bindings see it shown.
QQuickItem* rowOf(QQuickWindow* w, const QString& name) {
    // A row that never comes is reported by the caller's check of the null result.
    (void)QTest::qWaitFor([&] { return named(w, name) != nullptr; }, 2000);
    return named(w, name);
}

// A control of the module by its document name (Toggle, Fader …).
QQuickItem* ofType(QQuickItem* root, const char* type) {
    const QByteArray prefix = QByteArray(type) + "_QMLTYPE";
    return findItem(root, [&](QQuickItem* i) {
        return QByteArray(i->metaObject()->className()).startsWith(prefix);
    });
}

// The visible button (or other item) showing exactly `text`.
QQuickItem* withText(QQuickItem* root, const QString& text) {
    return findItem(root, [&](QQuickItem* i) {
        return i->isVisible() && i->property("text").toString() == text;
    });
}

// Endpoint ids of one list of the add window (inputsList or outputsList) that are on or off.
QStringList endpoints(const QVariantList& list, bool on) {
    QStringList ids;
    for (const QVariant& v : list) {
        const QVariantMap e = v.toMap();
        if (e.value(QStringLiteral("on")).toBool() == on)
            ids.append(e.value(QStringLiteral("endpointId")).toString());
    }
    return ids;
}

bool isOn(const QVariantList& list, const QString& endpointId) {
    return endpoints(list, true).contains(endpointId);
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::screens().size() == 3, "run with offscreen-three-screens.json");
    }

    // The body takes its limit from the available height of the main window's screen, never
    // below 200 px; with fitContent a short body shrinks to its content. The window's height is
    // header, body, footer and frame.
    void bodyFollowsTheScreen_data() {
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("footer");
        QTest::addColumn<int>("content");
        QTest::addColumn<int>("body");
        QTest::newRow("tall screen") << 1080 << false << true << 100 << 580;
        QTest::newRow("500 px screen") << 500 << false << true << 100 << 332;
        QTest::newRow("340 px screen") << 340 << false << true << 900 << 200;
        QTest::newRow("fit, short") << 1080 << true << true << 100 << 132;
        QTest::newRow("no footer") << 1080 << false << false << 100 << 580;
    }
    void bodyFollowsTheScreen() {
        QFETCH(int, screenHeight);
        QFETCH(bool, fit);
        QFETCH(bool, footer);
        QFETCH(int, content);
        QFETCH(int, body);
        App app({});
        QVERIFY(app.start());
        QScreen* target = nullptr;
        for (QScreen* screen : QGuiApplication::screens()) {
            if (screen->availableGeometry().height() == screenHeight)
                target = screen;
        }
        QVERIFY(target);
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
        // The bar shows exactly while the body scrolls.
        auto* bar = dialog->findChild<QQuickItem*>("dialogScrollBar");
        QVERIFY(bar);
        QCOMPARE(bar->isVisible(), content + 32 > body);
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

    // Every opener of the mixer opens its window, for its row, over the dimmed main window.
    // A row: the strip's cell ("" for the whole window), the opener in it, the window it opens,
    // and that window's property naming what it was opened for, with its value.
    void openers_data() {
        QTest::addColumn<QStringList>("row");
        const auto row = [](const char* name, QStringList columns) {
            QTest::newRow(name) << columns;
        };
        row("add card", {"", "addCard", "addDialog", "tab", "inputs"});
        row("where the voice goes",
            {"cell:in:demo-mic", "targetsBox", "routesDialog", "sourceId", "in:demo-mic"});
        row("what plays",
            {"cell:out:demo-hp", "playsBox", "routesDialog", "deviceId", "out:demo-hp"});
        row("swap microphone",
            {"cell:in:demo-mic", "swapButton", "replaceDialog", "targetId", "in:demo-mic"});
        row("swap device",
            {"cell:out:demo-spk", "swapButton", "replaceDialog", "targetId", "out:demo-spk"});
        row("voice", {"cell:in:demo-mic", "leftButton", "voiceDialog", "micId", "in:demo-mic"});
        row("equaliser", {"cell:out:demo-hp", "leftButton", "eqDialog", "deviceId", "out:demo-hp"});
        row("equaliser box", {"cell:out:demo-hp", "eqBox", "eqDialog", "deviceId", "out:demo-hp"});
    }
    void openers() {
        QFETCH(QStringList, row);
        const QString cell = row[0];
        const QString opener = row[1];
        App app({});
        QVERIFY(app.start());
        QVERIFY(QTest::qWaitForWindowExposed(app.window));
        QTRY_COMPARE(app.window->size(), app.want()); // the whole mixer in view
        QQuickItem* from = cell.isEmpty() ? app.window->contentItem() : named(app.window, cell);
        QTRY_VERIFY(named(from, opener) && named(from, opener)->width() > 0);
        QVERIFY(click(named(from, opener)));
        QQuickWindow* window = app.dialog(row[2]);
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(window->property(row[3].toLatin1()).toString(), row[4]);
        QCOMPARE(app.prop("openDialogs").toInt(), 1);
        QVERIFY(named(app.window, "dimLayer")->isVisible());
    }

    // Switching an input on applies at once and hands over to its routes; switching one off
    // only asks, and the row stays on until "Убрать". Changing the tab or opening the window
    // again drops the question.
    void addHandsOverAndAsksBeforeRemoving() {
        App app({});
        QVERIFY(app.start());
        QQuickWindow* add = app.dialog("addDialog");
        QQuickWindow* routes = app.dialog("routesDialog");
        const QStringList off = endpoints(app.backend.inputsList(), false);
        QVERIFY(!off.isEmpty());
        const QString id = off.first();
        const auto openAdd = [&] {
            QMetaObject::invokeMethod(app.window, "openAdd", Q_ARG(QVariant, QVariant("inputs")));
            return QTest::qWaitFor([&] { return add->isVisible(); });
        };
        // The rows are rebuilt on a tab change: looked up each time.
        const auto toggle = [&](const QString& endpoint) {
            QQuickItem* row = rowOf(add, "addRow:" + endpoint);
            return click(ofType(row, "Toggle")) ? row : nullptr;
        };
        const auto asking = [&](const QString& endpoint) {
            QQuickItem* row = rowOf(add, "addRow:" + endpoint);
            return row && row->property("confirming").toBool();
        };

        QVERIFY(openAdd());
        QVERIFY(toggle(id));
        QTRY_VERIFY(routes->isVisible());
        QVERIFY(!add->isVisible());
        QVERIFY(isOn(app.backend.inputsList(), id));
        QCOMPARE(routes->property("sourceId").toString(), "in:" + id);
        QVERIFY(routes->property("micMode").toBool());

        QVERIFY(openAdd());
        QVERIFY(toggle(id));
        QTRY_VERIFY(asking(id));
        QTest::qWait(50);
        QVERIFY(isOn(app.backend.inputsList(), id));
        QVERIFY(add->isVisible());
        // Only one row asks at a time.
        const QStringList on = endpoints(app.backend.inputsList(), true);
        const QString other = on.first() == id ? on.at(1) : on.first();
        QVERIFY(toggle(other));
        QTRY_VERIFY(asking(other));
        QVERIFY(!asking(id));

        QQuickItem* tabs = named(add, "addTabs");
        QVERIFY(click(withText(tabs, "Наушники и колонки")));
        QTRY_COMPARE(add->property("tab").toString(), QStringLiteral("outputs"));
        QVERIFY(click(withText(tabs, "Микрофоны")));
        QTRY_COMPARE(add->property("tab").toString(), QStringLiteral("inputs"));
        QVERIFY(!asking(id));
        QVERIFY(!asking(other));

        QVERIFY(toggle(id));
        QTRY_VERIFY(asking(id));
        QVERIFY(openAdd());
        QTRY_VERIFY(!asking(id));

        QQuickItem* row = toggle(id);
        QVERIFY(row);
        QTRY_VERIFY(asking(id));
        QVERIFY(click(withText(row, "Отмена")));
        QTRY_VERIFY(!asking(id));
        QVERIFY(isOn(app.backend.inputsList(), id));
        QVERIFY(toggle(id));
        QTRY_VERIFY(asking(id));
        QVERIFY(click(withText(row, "Убрать")));
        QTRY_VERIFY(!isOn(app.backend.inputsList(), id));
        QVERIFY(add->isVisible());
    }

    // "Сбросить" is there only while something is on and turns everything off; a device whose
    // row goes away leaves a routes window with an empty name and no advanced line.
    void routesOfADevice() {
        App app({});
        QVERIFY(app.start());
        QQuickWindow* routes = app.dialog("routesDialog");
        const auto showDevice = [&](const QString& id) {
            QMetaObject::invokeMethod(routes, "showDevice", Q_ARG(QVariant, id),
                                      Q_ARG(QVariant, QVariant::fromValue(app.window)));
        };
        app.backend.setOutputAdded("demo-bt", true);
        showDevice("out:demo-bt");
        QTRY_VERIFY(routes->isVisible());
        QQuickItem* reset = named(routes, "routesReset");
        QQuickItem* all = named(routes, "routesAll");
        QTRY_VERIFY(!reset->isEnabled());
        QVERIFY(named(routes, "routesAdvancedLine")->isVisible());

        QVERIFY(click(ofType(all, "Toggle")));
        QTRY_VERIFY(reset->isEnabled());
        QVERIFY(all->property("checked").toBool());
        QVERIFY(click(reset));
        QTRY_VERIFY(!reset->isEnabled());
        QVERIFY(!all->property("checked").toBool());

        const QString heading = routes->property("heading").toString();
        app.backend.setOutputAdded("demo-bt", false);
        QTRY_VERIFY(routes->property("heading").toString() != heading);
        QVERIFY(routes->property("heading").toString().endsWith("«»"));
        QVERIFY(!named(routes, "routesAdvancedLine")->isVisible());

        // Level lines read the meters only while the window can be seen.
        showDevice("out:demo-hp");
        QTRY_COMPARE(all->property("meterId").toString(), QStringLiteral("system"));
        QQuickItem* app1 = findItem(routes->contentItem(), [](QQuickItem* i) {
            return i->isVisible() && i->objectName().startsWith("routesApp:");
        });
        QVERIFY(app1);
        QCOMPARE(app1->property("meterId").toString(), app1->objectName().mid(10));
        const QString appRow = app1->objectName();
        routes->close();
        QTRY_COMPARE(all->property("meterId").toString(), QString());
        QVERIFY(!named(routes, appRow)); // a hidden window keeps no application rows
    }

    // Picking a candidate moves the row there and closes; without candidates only the
    // explanation and the note are shown, and "Отмена" closes.
    void replace() {
        App app({});
        QVERIFY(app.start());
        QQuickWindow* replace = app.dialog("replaceDialog");
        const auto openReplace = [&](const QString& id) {
            QMetaObject::invokeMethod(app.window, "openReplace", Q_ARG(QVariant, id));
            return QTest::qWaitFor([&] { return replace->isVisible(); });
        };
        const QVariantList candidates = app.backend.replaceCandidates("out:demo-hp");
        QVERIFY(!candidates.isEmpty());
        const QString to = candidates.first().toMap().value("endpointId").toString();
        QVERIFY(openReplace("out:demo-hp"));
        QVERIFY(click(withText(rowOf(replace, "candidate:" + to), "Выбрать")));
        QTRY_VERIFY(!replace->isVisible());
        QTRY_VERIFY(!app.backend.replaceCandidates("out:demo-hp").isEmpty());
        QVERIFY(isOn(app.backend.outputsList(), to));

        // Every input in the mixer: a microphone has nowhere to go.
        for (const QString& id : endpoints(app.backend.inputsList(), false))
            app.backend.setInputAdded(id, true);
        QTRY_VERIFY(endpoints(app.backend.inputsList(), false).isEmpty());
        QVERIFY(app.backend.replaceCandidates("in:demo-mic").isEmpty());
        QVERIFY(openReplace("in:demo-mic"));
        QVERIFY(named(replace, "noCandidates")->isVisible());
        QVERIFY(!findItem(replace->contentItem(), [](QQuickItem* i) {
            return i->isVisible() && i->objectName().startsWith("candidate:");
        }));
        QVERIFY(click(named(replace, "dialogDone")));
        QTRY_VERIFY(!replace->isVisible());
    }

    // While dialogs are open the dimmed main window takes no wheel turn: the fader beneath keeps
    // its value (and without a dialog the same turn does move it).
    void dimLayerTakesTheWheel() {
        App app({});
        QVERIFY(app.start());
        QVERIFY(QTest::qWaitForWindowExposed(app.window));
        QQuickItem* fader = ofType(named(app.window, "cell:in:demo-mic"), "Fader");
        QVERIFY(fader);
        const QPointF at = fader->mapToScene(fader->boundingRect().center());
        auto turn = [&] {
            QWheelEvent wheel(at, app.window->mapToGlobal(at), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QGuiApplication::sendEvent(app.window, &wheel);
        };
        const auto gain = [&] {
            auto* sources = qobject_cast<qv::ui::ListModel*>(app.backend.sources());
            return sources->get(sources->indexOf("in:demo-mic")).value("gainDb").toDouble();
        };
        const double before = gain();
        QMetaObject::invokeMethod(app.window, "openAdd", Q_ARG(QVariant, QVariant("inputs")));
        QMetaObject::invokeMethod(app.window, "openDialog", Q_ARG(QVariant, QVariant("scenes")));
        QTRY_COMPARE(app.prop("openDialogs").toInt(), 2);
        QTRY_VERIFY(named(app.window, "dimLayer")->isVisible());
        turn();
        QTest::qWait(50);
        QCOMPARE(gain(), before);

        // A press on the dimmed area closes every dialog; the settings button beneath gets nothing.
        QVERIFY(click(app.item("settingsButton")));
        QTRY_COMPARE(app.prop("openDialogs").toInt(), 0);
        QVERIFY(!app.dialog("addDialog")->isVisible());
        QVERIFY(!app.dialog("scenesDialog")->isVisible());
        QVERIFY(!app.dialog("settingsDialog")->isVisible());
        QTRY_VERIFY(!named(app.window, "dimLayer")->isVisible());
        turn();
        QTRY_VERIFY(gain() != before);
    }
};

QTEST_MAIN(DialogsTest)

#include "tst_dialogs.moc"
