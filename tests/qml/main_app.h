#pragma once
// One program's worth of objects around Main.qml on the demo engine, as start-up wires them, for
// the tests of the main window and of its dialogs.

#include "backend/backend.h"
#include "cable/cable_setup.h"
#include "desktop/app_icon_provider.h"
#include "desktop/hotkey_service.h"
#include "desktop/line_icon_provider.h"
#include "desktop/window_tools.h"
#include "engine/demo_transport.h"
#include "qml/qml_resources.h"
#include "recorder/recorder.h"
#include "tests/support/scripted_hotkeys.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTest>
#include <QtQuickTest/quicktest.h>

#include <functional>

namespace qv::test {

// The first item below `root`, parents before children, for which `match` holds. Repeated rows
// are not QObject children of their window, so the search walks the items.
inline QQuickItem* findItem(QQuickItem* root, const std::function<bool(QQuickItem*)>& match) {
    if (!root)
        return nullptr;
    if (match(root))
        return root;
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = findItem(child, match))
            return found;
    }
    return nullptr;
}

inline QQuickItem* named(QQuickItem* root, const QString& name) {
    return findItem(root, [&](QQuickItem* i) { return i->objectName() == name; });
}
inline QQuickItem* named(QQuickWindow* w, const QString& name) {
    return w ? named(w->contentItem(), name) : nullptr;
}

// A left click in the middle of a visible item, once its window has laid it out (columns place
// their rows when the window polishes, just before it draws). False when it cannot be clicked.
inline bool click(QQuickItem* item) {
    if (!item || !item->isVisible() || !item->window() ||
        !QTest::qWaitForWindowExposed(item->window()) ||
        !QQuickTest::qWaitForPolish(item->window()))
        return false;
    const QPoint at = item->mapToScene(item->boundingRect().center()).toPoint();
    QTest::mouseClick(item->window(), Qt::LeftButton, {}, at);
    return true;
}

// What the window needs of the tray: whether there is one, whether the program is quitting, and
// the call that tells it the window went to the tray.
class FakeTray : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool available MEMBER available CONSTANT)
    Q_PROPERTY(bool quitting MEMBER quitting NOTIFY quittingChanged)

public:
    bool available = false;
    bool quitting = false;
    int hidden = 0;

    Q_INVOKABLE void hiddenToTray() { ++hidden; }

signals:
    void quittingChanged();
};

struct MainOptions {
    bool tray = false;
    bool screenshots = false;
    bool startMinimized = false;
};

struct MainApp {
    ui::DemoTransport transport{true, true};
    ui::Backend backend{&transport};
    ui::WindowTools tools;
    FakeTray tray;
    ui::Recorder recorder{&backend};
    ui::CableSetup cable{&backend};
    // Hotkeys are available and a capture waits: the input is never played.
    ui::HotkeyService keys{std::make_unique<ScriptedHotkeySource>()};
    QQmlApplicationEngine engine;
    QQuickWindow* window = nullptr;

    explicit MainApp(MainOptions o) {
        // The window's own fonts, once per process; linking this in also registers the native
        // meter item the documents import.
        static const int fonts = ui::registerQmlFonts();
        Q_UNUSED(fonts);
        // The window keeps its place in the settings: never the user's own.
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("QUORVEL-test"));
        QGuiApplication::setQuitOnLastWindowClosed(false);
        tray.available = o.tray;
        engine.addImageProvider(QStringLiteral("icon"), new ui::LineIconProvider);
        engine.addImageProvider(QStringLiteral("appicon"), new ui::AppIconProvider);
        QQmlContext* c = engine.rootContext();
        c->setContextProperty(QStringLiteral("qv"), &backend);
        c->setContextProperty(QStringLiteral("qvWin"), &tools);
        c->setContextProperty(QStringLiteral("qvTray"), &tray);
        c->setContextProperty(QStringLiteral("qvRec"), &recorder);
        c->setContextProperty(QStringLiteral("qvCable"), &cable);
        c->setContextProperty(QStringLiteral("qvKeys"), &keys);
        c->setContextProperty(QStringLiteral("qvStartMinimized"), o.startMinimized);
        c->setContextProperty(QStringLiteral("qvScreenshots"), o.screenshots);
        engine.load(QUrl(ui::kMainQmlUrl));
        if (!engine.rootObjects().isEmpty())
            window = qobject_cast<QQuickWindow*>(engine.rootObjects().constFirst());
    }

    bool start() {
        if (!window)
            return false;
        transport.start();
        return QTest::qWaitFor([&] { return backend.ready() && backend.haveState(); }, 5000);
    }

    QVariant prop(const char* name) const { return window->property(name); }
    // Items and dialogs declared in the window are the window's QObject children, not its
    // content item's.
    template <typename T> T* child(const QString& name) const {
        T* found = window->findChild<T*>(name);
        if (!found)
            qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
        return found;
    }
    QQuickItem* item(const QString& name) const { return child<QQuickItem>(name); }
    // A dialog by its object name ("addDialog"), made first if the window has not made it yet.
    QQuickWindow* dialog(const QString& name) const {
        QVariant made;
        QString kind = name;
        kind.chop(int(qstrlen("Dialog")));
        QMetaObject::invokeMethod(window, "dialog", Q_RETURN_ARG(QVariant, made),
                                  Q_ARG(QVariant, kind));
        return child<QQuickWindow>(name);
    }
    QSize want() const { return {prop("wantW").toInt(), prop("wantH").toInt()}; }
    void step(const QString& s) {
        QMetaObject::invokeMethod(window, "screenshotStep", Q_ARG(QVariant, QVariant(s)));
    }
};

} // namespace qv::test
