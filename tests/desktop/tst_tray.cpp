// Tray: the tooltip and icon it shows for the Backend's state, the single orderly exit, and the
// window operations used by the show request and the "showWindow" hotkey. Run offscreen (no
// system tray) and by xvfb_run.sh on a real X display with a tray host (trayer) and without one:
// with a host the icon, its menu and the one-time hint exist; without one nothing is shown.

#include "desktop/tray.h"
#include "tests/backend/backend_fixture.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using namespace qv::test;
using qv::ui::Tray;

namespace {

Json documentWithMicMute(bool muted) {
    Json doc = smallMixerDocument();
    for (Json& s : doc["sources"]) {
        if (s["kind"] == "physical_input")
            s["mute"] = muted;
    }
    return doc;
}

} // namespace

class TrayTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsSet("QV_XVFB_MISSING"))
            QSKIP("Xvfb is not installed");
        if (qEnvironmentVariableIsSet("QV_TRAY_MISSING"))
            QSKIP("trayer is not installed");
        QVERIFY(m_settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("QUORVEL"));
        QCoreApplication::setApplicationName(QStringLiteral("QUORVEL"));
        m_expected = qEnvironmentVariableIntValue("QV_TRAY_EXPECTED") == 1;
        if (m_expected) // trayer takes the tray selection a moment after it starts
            QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        else
            QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    }

    // The tooltip and the dot of the muted icon follow the Backend through its signals.
    void followsBackendState() {
        BackendRig rig;
        Tray tray(rig.backend.get());
        QCOMPARE(tray.available(), m_expected);
        const auto shows = [&tray](const char* state, bool dot) {
            QCOMPARE(tray.toolTip(), QStringLiteral("QUORVEL — ") + QString::fromUtf8(state));
            QCOMPARE(tray.iconImage() == Tray::paintIcon(true), dot);
        };
        shows("движок не запущен", false);
        rig.startReady(documentWithMicMute(false));
        shows("микрофон включён", false);
        rig.backend->setMicMuted(true); // applied to the mirror at once
        shows("микрофон выключен", true);

        // The engine's document unmutes: the dot goes with the next change.
        rig.answerAll();
        rig.transport->deliver(Json{{"event", "config"}, {"config", documentWithMicMute(false)}});
        shows("микрофон включён", false);
        rig.backend->setMicMuted(true);
        rig.transport->disconnectEngine();
        shows("движок не запущен", true); // the mirror still says muted

        // Without a microphone the tooltip names only the program.
        BackendRig noMic;
        Tray bare(noMic.backend.get());
        Json doc = smallMixerDocument();
        doc["sources"] = Json::array({{{"id", "system"}, {"kind", "system"}, {"name", "Все"}}});
        noMic.startReady(doc);
        QCOMPARE(bare.toolTip(), QStringLiteral("QUORVEL"));
    }

    // The muted icon is the program icon with a dot in its lower right corner; the rest of the
    // picture is untouched.
    void mutedIconCarriesTheDot() {
        const QImage plain(QStringLiteral(":/icons/quorvel.png"));
        QVERIFY2(!plain.isNull(), "the program icon is missing from the resources");
        QCOMPARE(Tray::paintIcon(false), plain);

        const QImage muted = Tray::paintIcon(true);
        const QImage same = plain.convertToFormat(muted.format());
        const int w = plain.width();
        const int h = plain.height();
        QCOMPARE(muted.size(), plain.size());
        QCOMPARE(muted.copy(0, 0, w, h / 2), same.copy(0, 0, w, h / 2));
        QCOMPARE(muted.copy(0, h / 2, w / 2, h / 2), same.copy(0, h / 2, w / 2, h / 2));
        QVERIFY(muted.copy(w / 2, h / 2, w / 2, h / 2) != same.copy(w / 2, h / 2, w / 2, h / 2));
    }

    // "Выход" twice: one quit request to the engine, one completion, one notification. Without
    // an engine the exit completes on the next turn of the event loop.
    void quitsOnce() {
        BackendRig rig;
        rig.startReady();
        Tray tray(rig.backend.get());
        int completions = 0;
        tray.setQuitAction([&completions] { ++completions; });
        QSignalSpy quitting(&tray, &Tray::quittingChanged);

        tray.quit();
        tray.quit();
        QVERIFY(tray.quitting());
        QCOMPARE(quitting.count(), 1);
        QCOMPARE(tray.toolTip(), QStringLiteral("QUORVEL — выход…"));
        const std::vector<Json> quits = rig.transport->sentWithCmd("quit");
        QCOMPARE(quits.size(), size_t(1));
        QCOMPARE(completions, 0); // waits for the engine

        rig.transport->reply(quits.front());
        QCOMPARE(completions, 1);
        // Neither the Backend's time-out nor a later change runs it again or resets the tooltip.
        QTest::qWait(rig.backend->timings().quitTimeoutMs + 50);
        rig.backend->setMicMuted(true);
        QCOMPARE(completions, 1);
        QCOMPARE(tray.toolTip(), QStringLiteral("QUORVEL — выход…"));

        BackendRig never;
        Tray unconnected(never.backend.get());
        unconnected.setQuitAction([&completions] { ++completions; });
        unconnected.quit();
        QCOMPARE(completions, 1);
        QTRY_COMPARE(completions, 2);
        QVERIFY(never.transport->sentWithCmd("quit").empty());
    }

    void showAndToggleWindow() {
        if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
            QSKIP("activation needs a window manager");
        BackendRig rig;
        Tray tray(rig.backend.get());
        QWindow window;
        window.resize(300, 200);
        tray.setWindow(&window);

        tray.showWindow(); // hidden -> shown and active
        QVERIFY(window.isVisible());
        QTRY_VERIFY(window.isActive());
        tray.toggleWindow(); // visible and active -> hidden
        QVERIFY(!window.isVisible());
        tray.toggleWindow(); // hidden -> shown
        QVERIFY(window.isVisible());
        QTRY_VERIFY(window.isActive());

        window.showMinimized();
        QTRY_VERIFY(window.windowStates() & Qt::WindowMinimized);
        tray.toggleWindow(); // minimised -> shown normal, not hidden
        QVERIFY(window.isVisible());
        QVERIFY(!(window.windowStates() & Qt::WindowMinimized));

        // Visible but another window is active: toggling brings it to the front.
        QWindow other;
        other.resize(100, 100);
        other.show();
        other.requestActivate();
        QTRY_VERIFY(other.isActive());
        tray.toggleWindow();
        QVERIFY(window.isVisible());
        QTRY_VERIFY(window.isActive());
    }

    // Without a window the window operations do nothing.
    void windowGone() {
        BackendRig rig;
        Tray tray(rig.backend.get());
        const qsizetype windows = QGuiApplication::allWindows().size();
        auto* window = new QWindow;
        tray.setWindow(window);
        delete window;
        QCOMPARE(tray.window(), nullptr);
        tray.showWindow();
        tray.toggleWindow();
        QCOMPARE(QGuiApplication::allWindows().size(), windows);
    }

    void iconTooltipAndMenu() {
        BackendRig rig;
        Tray tray(rig.backend.get());
        QCOMPARE(tray.available(), m_expected);
        if (!m_expected) {
            QCOMPARE(tray.trayIcon(), nullptr);
            QCOMPARE(tray.menu(), nullptr);
            return;
        }
        QSystemTrayIcon* icon = tray.trayIcon();
        QVERIFY(icon->isVisible());
        QVERIFY(!icon->icon().isNull());
        QCOMPARE(icon->toolTip(), QStringLiteral("QUORVEL — движок не запущен"));
        QCOMPARE(icon->contextMenu(), tray.menu());

        QAction* mic = tray.micAction();
        QVERIFY(mic->isCheckable());
        QVERIFY(!mic->isEnabled()); // no microphone known yet

        rig.startReady();
        QVERIFY(mic->isEnabled());
        QVERIFY(!mic->isChecked());

        // The user ticks the entry: both microphones are muted through the Backend.
        mic->trigger();
        QCOMPARE(rig.transport->sentWithCmd("setSource").size(), size_t(2));
        QVERIFY(rig.backend->micMuted());
        QVERIFY(mic->isChecked());
        QCOMPARE(icon->toolTip(), QStringLiteral("QUORVEL — микрофон выключен"));

        QWindow window;
        tray.setWindow(&window);
        tray.menu()->actions().constFirst()->trigger(); // "Открыть QUORVEL"
        QVERIFY(window.isVisible());

        tray.setQuitAction([] {});
        tray.menu()->actions().constLast()->trigger(); // "Выход"
        QVERIFY(tray.quitting());
    }

    // The hint balloon appears on the first hide to the tray ever, not again after a restart;
    // without a tray never, and the setting stays unset for a later tray.
    void hintOnceAcrossRestarts() {
        BackendRig rig;
        {
            Tray tray(rig.backend.get());
            QCOMPARE(tray.hiddenToTray(), m_expected);
            QVERIFY(!tray.hiddenToTray());
        }
        {
            Tray restarted(rig.backend.get());
            QVERIFY(!restarted.hiddenToTray());
        }
        QCOMPARE(QSettings().contains(QStringLiteral("tray/explained")), m_expected);
    }

private:
    QTemporaryDir m_settingsDir;
    bool m_expected = false;
};

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
