// HotkeyService on a real X server (Xvfb, started by xvfb_run.sh): key and button presses
// injected through XTEST with xdotool must reach the service as raw input, be translated to
// Windows key codes and fire bindings and captures (the state machine's rules are
// tst_hotkey_service's).

#include "desktop/hotkey_service.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using qv::ui::HotkeyService;

class HotkeysX11Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsSet("QV_XVFB_MISSING"))
            QSKIP("Xvfb is not installed");
        xdotool_ = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        QVERIFY2(!xdotool_.isEmpty(), "xdotool is needed to inject input");
        service_ = new HotkeyService(this);
        QVERIFY(service_->available());
    }
    void bindingFiresOnRealInput() {
        service_->setBindings({{QStringLiteral("voice"), QStringLiteral("vk120")}});
        QSignalSpy triggered(service_, &HotkeyService::triggered);
        xdotool({"key", "F9"});
        QTRY_COMPARE(triggered.count(), 2);
        service_->setBindings({});
    }
    void capturesRealInput_data() {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<QString>("spec");

        QTest::newRow("letter with modifiers")
            << QStringList{"keydown", "Control_R", "Alt_L", "a", "keyup", "a", "Alt_L", "Control_R"}
            << "ctrl+alt+vk65";
        QTest::newRow("lone right Shift") << QStringList{"key", "Shift_R"} << "vk16";
        QTest::newRow("Win and digit") << QStringList{"key", "super+7"} << "win+vk55";
        QTest::newRow("function key") << QStringList{"key", "F12"} << "vk123";
        QTest::newRow("punctuation by position") << QStringList{"key", "semicolon"} << "vk186";
        QTest::newRow("keypad by its digit") << QStringList{"key", "KP_End"} << "vk97";
        QTest::newRow("arrow") << QStringList{"key", "Left"} << "vk37";
        QTest::newRow("media key") << QStringList{"key", "XF86AudioPlay"} << "vk179";
        QTest::newRow("middle button") << QStringList{"click", "2"} << "mouse3";
        QTest::newRow("back button") << QStringList{"click", "8"} << "mouse4";
        QTest::newRow("side button with Shift")
            << QStringList{"keydown", "Shift_L", "click", "9", "keyup", "Shift_L"}
            << "shift+mouse5";
    }
    void capturesRealInput() {
        QFETCH(QStringList, input);
        QFETCH(QString, spec);
        QSignalSpy captured(service_, &HotkeyService::captured);
        service_->capture(QStringLiteral("voice"));
        xdotool(input);
        QTRY_COMPARE(captured.count(), 1);
        QCOMPARE(captured.at(0).at(1).toString(), spec);
        QCOMPARE(service_->capturing(), QString());
    }
    void leftAndRightButtonsNeverCapture() {
        QSignalSpy captured(service_, &HotkeyService::captured);
        QSignalSpy changed(service_, &HotkeyService::capturingChanged);
        service_->capture(QStringLiteral("micMute"));
        // The clicks reach the server before the key; Esc then cancels, so a click taken for a
        // binding would show as a captured spec ahead of the cancel.
        xdotool({"click", "1", "click", "3", "click", "4", "key", "Escape"});
        QTRY_COMPARE(changed.count(), 2);
        QCOMPARE(captured.count(), 0);
    }
    void namesComeFromTheKeyboardLayout() {
        // "A" was learned from the presses above; Space and Page Up are looked up in the layout.
        QCOMPARE(service_->describe("ctrl+vk65"), QStringLiteral("Ctrl + A"));
        QCOMPARE(service_->describe("vk17+vk120"), QStringLiteral("Ctrl + F9"));
        QCOMPARE(service_->describe("vk32"), QStringLiteral("Space"));
        QCOMPARE(service_->describe("vk33"), QStringLiteral("Prior"));
        QCOMPARE(service_->describe("vk91"), QStringLiteral("Win"));
    }
    // What the service checks a lost key-up against: the server's own key and button state.
    void heldStateComesFromTheServer() {
        struct Ignore final : qv::ui::HotkeyInput {
            void keyEvent(const qv::ui::HotkeyKey&) override {}
            void mouseEvent(int, bool) override {}
            void inputMayHaveBeenLost() override {}
        } input;
        const auto source = qv::ui::createHotkeySource();
        QVERIFY(source->start(input));
        using qv::ui::HeldState;
        xdotool({"keydown", "Shift_R", "F9", "mousedown", "8"});
        QCOMPARE(source->keyState(120), HeldState::Down);
        QCOMPARE(source->keyState(16), HeldState::Down); // either Shift
        QCOMPARE(source->buttonState(4), HeldState::Down);
        QCOMPARE(source->keyState(65), HeldState::Up);
        xdotool({"keyup", "F9", "Shift_R", "mouseup", "8"});
        QCOMPARE(source->keyState(120), HeldState::Up);
        QCOMPARE(source->keyState(16), HeldState::Up);
        QCOMPARE(source->buttonState(4), HeldState::Up);
    }

private:
    // Runs xdotool with the arguments; input it injects is queued at the server when it returns.
    void xdotool(const QStringList& arguments) {
        QProcess process;
        process.start(xdotool_, arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
    }

    QString xdotool_;
    HotkeyService* service_ = nullptr;
};

QTEST_MAIN(HotkeysX11Test)
#include "tst_hotkeys_x11.moc"
