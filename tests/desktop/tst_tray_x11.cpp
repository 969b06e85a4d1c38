// Tray on a real X display, run twice by xvfb_run.sh: with a tray host (trayer) the icon,
// its tooltip, menu and the one-time hint exist; without one the tray reports itself
// unavailable and shows nothing.

#include "desktop/tray.h"
#include "tests/backend/backend_fixture.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using namespace qv::test;
using qv::ui::Tray;

class TrayX11Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsSet("QV_XVFB_MISSING"))
            QSKIP("Xvfb is not installed");
        if (qEnvironmentVariableIsSet("QV_TRAY_MISSING"))
            QSKIP("trayer is not installed");
        QVERIFY(m_settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("QUORVEL"));
        QCoreApplication::setApplicationName(QStringLiteral("QUORVEL"));

        m_expected = qEnvironmentVariableIntValue("QV_TRAY_EXPECTED") == 1;
        if (m_expected) // trayer takes the tray selection a moment after it starts
            QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        else
            QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
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

    // The hint balloon appears on the first hide to the tray ever, not again after a restart.
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
        QCOMPARE(QSettings().value(QStringLiteral("tray/explained"), false).toBool(), m_expected);
    }

private:
    QTemporaryDir m_settingsDir;
    bool m_expected = false;
};

QTEST_MAIN(TrayX11Test)
#include "tst_tray_x11.moc"
