// The global hotkeys wired to the Backend and the tray, driven end to end: scripted key events
// go into a HotkeyService, commands come out of a Backend on a scripted transport.

#include "app/hotkey_wiring.h"
#include "desktop/hotkey_service.h"
#include "desktop/tray.h"
#include "tests/backend/backend_fixture.h"
#include "tests/support/scripted_hotkeys.h"

#include <QWindow>
#include <QtTest>

using namespace qv::test;
using qv::ui::HotkeyService;
using qv::ui::Tray;

namespace {

// Push-to-talk on the side mouse button, mute on Ctrl+Alt+M, voice on F9, window on F10.
Json documentWithKeys(const Json& hotkeys, bool micsMuted = false) {
    Json doc = smallMixerDocument();
    doc["settings"]["hotkeys"] = hotkeys;
    for (Json& s : doc["sources"]) {
        if (s["kind"] == "physical_input")
            s["mute"] = micsMuted;
    }
    return doc;
}

const Json kAllKeys = {{"pushToTalk", "mouse5"},
                       {"micMute", "ctrl+alt+vk77"},
                       {"voice", "vk120"},
                       {"showWindow", "vk121"}};

// What the Backend sent for the microphones, as "in:mic1 mute=true" or "in:mic1 voice=on".
QStringList micCommands(ScriptedTransport& transport) {
    QStringList out;
    for (const Json& r : transport.takeSent()) {
        if (r.value("cmd", std::string()) != "setSource")
            continue;
        const QString id = QString::fromStdString(r.value("id", std::string()));
        if (r.contains("mute") && r["mute"].is_boolean())
            out << id + (r["mute"].get<bool>() ? " mute=true" : " mute=false");
        else if (r.contains("fx") && r["fx"].is_object() && r["fx"].contains("voice"))
            out << id + (r["fx"]["voice"].value("on", false) ? " voice=on" : " voice=off");
    }
    return out;
}

const QStringList kMuteBoth = {"in:mic1 mute=true", "in:mic2 mute=true"};
const QStringList kOpenBoth = {"in:mic1 mute=false", "in:mic2 mute=false"};

struct WiredRig {
    BackendRig rig;
    ScriptedHotkeySource* source = nullptr;
    std::unique_ptr<HotkeyService> keys;
    std::unique_ptr<Tray> tray;
    QWindow window;

    WiredRig() {
        auto owned = std::make_unique<ScriptedHotkeySource>();
        source = owned.get();
        keys = std::make_unique<HotkeyService>(std::move(owned));
        tray = std::make_unique<Tray>(rig.backend.get());
        tray->setWindow(&window);
        qv::ui::wireHotkeys(*rig.backend, *keys, *tray);
    }
};

} // namespace

class AppHotkeysTest : public QObject {
    Q_OBJECT

private slots:
    // Push-to-talk starts with the microphone closed: once, when the Backend is first
    // connected and ready - not when only connected, not again after a reconnection.
    void pushToTalkMutesOncePerRun() {
        WiredRig w;
        w.rig.transport->connectEngine(); // connected, no document yet: not ready
        QCOMPARE(micCommands(*w.rig.transport), QStringList{});
        w.rig.transport->disconnectEngine();

        w.rig.startReady(documentWithKeys(kAllKeys));
        QCOMPARE(micCommands(*w.rig.transport), kMuteBoth);
        QVERIFY(w.rig.backend->micMuted());
        w.rig.answerAll();

        // The user opens the microphone; further changes do not close it again.
        w.rig.backend->setMicMuted(false);
        w.rig.answerAll();
        w.rig.transport->deliver(
            Json{{"event", "config"}, {"config", documentWithKeys(kAllKeys, false)}});
        QCOMPARE(micCommands(*w.rig.transport), QStringList{});

        // Nor does a reconnection.
        w.rig.transport->disconnectEngine();
        w.rig.startReady(documentWithKeys(kAllKeys, false));
        QCOMPARE(micCommands(*w.rig.transport), QStringList{});
        QVERIFY(!w.rig.backend->micMuted());
    }

    void noMuteWithoutPushToTalkOrWhenAlreadyMuted_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("no push-to-talk key")
            << QByteArray::fromStdString(documentWithKeys({{"micMute", "vk120"}}).dump());
        QTest::newRow("empty push-to-talk key")
            << QByteArray::fromStdString(documentWithKeys({{"pushToTalk", ""}}).dump());
        QTest::newRow("microphones already muted")
            << QByteArray::fromStdString(documentWithKeys(kAllKeys, true).dump());
    }

    void noMuteWithoutPushToTalkOrWhenAlreadyMuted() {
        QFETCH(QByteArray, document);
        WiredRig w;
        w.rig.startReady(Json::parse(document.toStdString()));
        QCOMPARE(micCommands(*w.rig.transport), QStringList{});
    }

    // Each binding's action, on press and release. Every row starts ready, with push-to-talk's
    // start-up mute done (both microphones muted).
    void pressAndReleaseRouting_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<bool>("windowVisible");

        QTest::newRow("push-to-talk held opens")
            << QString("+m5") << kOpenBoth << QString() << false;
        QTest::newRow("push-to-talk released closes")
            << QString("+m5 -m5") << (kOpenBoth + kMuteBoth) << QString() << false;
        QTest::newRow("mute key toggles on press")
            << QString("+162 +164 +77") << kOpenBoth << QString() << false;
        QTest::newRow("mute key release does nothing")
            << QString("+162 +164 +77 -77 -164 -162") << kOpenBoth << QString() << false;
        QTest::newRow("mute key twice mutes again")
            << QString("+162 +164 +77 -77 +77 -77") << (kOpenBoth + kMuteBoth) << QString()
            << false;
        QTest::newRow("voice key toggles the voice once")
            << QString("+120 -120") << QStringList{"in:mic1 voice=on", "in:mic2 voice=on"}
            << QString("Изменение голоса включено") << false;
        QTest::newRow("show-window key shows, release does nothing")
            << QString("+121 -121") << QStringList{} << QString() << true;
    }

    void pressAndReleaseRouting() {
        QFETCH(QString, script);
        QFETCH(QStringList, commands);
        QFETCH(QString, toast);
        QFETCH(bool, windowVisible);

        WiredRig w;
        w.rig.startReady(documentWithKeys(kAllKeys));
        w.rig.answerAll();
        QVERIFY(w.rig.backend->micMuted());

        // What the tray does with the window on a toggle is tst_tray's.
        w.source->play(script);
        QCOMPARE(micCommands(*w.rig.transport), commands);
        QCOMPARE(w.rig.backend->toast(), toast);
        QCOMPARE(w.window.isVisible(), windowVisible);
    }

    // A newly captured push-to-talk key is stored, closes the microphone and says how it works.
    void capturedPushToTalkKey() {
        WiredRig w;
        w.rig.startReady(documentWithKeys({{"micMute", "vk120"}}));
        w.rig.answerAll();

        w.keys->capture(QStringLiteral("pushToTalk"));
        w.source->play(QStringLiteral("+162 +122 -122 -162")); // Ctrl+F11
        const std::vector<Json> settings = w.rig.transport->sentWithCmd("setSettings");
        QCOMPARE(settings.size(), size_t(1));
        QCOMPARE_JSON(settings[0]["hotkeys"], (Json{{"pushToTalk", "ctrl+vk122"}}));
        QCOMPARE(micCommands(*w.rig.transport), kMuteBoth);
        QCOMPARE(w.rig.backend->toast(),
                 QStringLiteral("Push-to-talk: микрофон включается, пока нажата «Ctrl + F11»"));

        // Capturing another action only stores it.
        w.rig.answerAll();
        w.rig.backend->showToast(QString());
        w.keys->capture(QStringLiteral("voice"));
        w.source->play(QStringLiteral("+123 -123"));
        QCOMPARE(w.rig.transport->sentWithCmd("setSettings").size(), size_t(1));
        QCOMPARE(micCommands(*w.rig.transport), QStringList{});
        QCOMPARE(w.rig.backend->toast(), QString());
    }

    // Bindings follow the settings: a key removed from the document stops acting.
    void bindingsFollowTheSettings() {
        WiredRig w;
        w.rig.startReady(documentWithKeys({{"voice", "vk120"}}));
        w.rig.answerAll();
        w.rig.transport->deliver(Json{{"event", "config"}, {"config", documentWithKeys({})}});
        w.source->play(QStringLiteral("+120 -120"));
        QCOMPARE(micCommands(*w.rig.transport), QStringList{});
        QCOMPARE(w.rig.backend->toast(), QString());
    }
};

QTEST_MAIN(AppHotkeysTest)
#include "tst_app_hotkeys.moc"
