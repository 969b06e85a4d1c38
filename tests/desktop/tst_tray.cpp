// Tray without a system tray (offscreen): the tooltip and icon it would show for the Backend's
// state, the single orderly exit, and the window operations used by the show request and the
// "showWindow" hotkey.

#include "desktop/tray.h"
#include "tests/backend/backend_fixture.h"

#include <QGuiApplication>
#include <QSettings>
#include <QSignalSpy>
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
        QVERIFY(m_settingsDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("QUORVEL"));
        QCoreApplication::setApplicationName(QStringLiteral("QUORVEL"));
    }

    // The tooltip and the dot of the muted icon follow the Backend through its signals.
    void followsBackendState() {
        BackendRig rig;
        Tray tray(rig.backend.get());
        QVERIFY(!tray.available()); // offscreen has no system tray
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

    // Without a tray the hint is never shown and the setting stays unset for a later tray;
    // without a window the window operations do nothing.
    void withoutTrayOrWindow() {
        BackendRig rig;
        Tray tray(rig.backend.get());
        QVERIFY(!tray.hiddenToTray());
        QVERIFY(!QSettings().contains(QStringLiteral("tray/explained")));
        QCOMPARE(tray.menu(), nullptr);

        auto* window = new QWindow;
        tray.setWindow(window);
        delete window;
        QCOMPARE(tray.window(), nullptr);
        tray.showWindow();
        tray.toggleWindow();
        QCOMPARE(QGuiApplication::allWindows().size(), 0);
    }

private:
    QTemporaryDir m_settingsDir;
};

QTEST_MAIN(TrayTest)
#include "tst_tray.moc"
