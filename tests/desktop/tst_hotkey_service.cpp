// HotkeyService's state machine fed through a scripted input source: triggers, captures,
// binding changes and key descriptions.

#include "desktop/hotkey_service.h"
#include "tests/support/scripted_hotkeys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using qv::test::ScriptedHotkeySource;
using qv::ui::HotkeyService;

namespace {

// A service on a scripted source, with its signals written down as text.
struct Rig {
    Rig() {
        auto owned = std::make_unique<ScriptedHotkeySource>();
        source = owned.get();
        service = std::make_unique<HotkeyService>(std::move(owned));
        QObject::connect(
            service.get(), &HotkeyService::triggered, [this](const QString& action, bool pressed) {
                triggers << action + (pressed ? QStringLiteral(":down") : QStringLiteral(":up"));
            });
        QObject::connect(service.get(), &HotkeyService::captured,
                         [this](const QString& action, const QString& spec) {
                             captures << action + QLatin1Char('=') + spec;
                         });
    }

    ScriptedHotkeySource* source = nullptr;
    std::unique_ptr<HotkeyService> service;
    QStringList triggers;
    QStringList captures;
};

QVariantMap bindings(const QStringList& pairs) {
    QVariantMap map;
    for (const QString& pair : pairs) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        map.insert(pair.left(eq), pair.mid(eq + 1));
    }
    return map;
}

} // namespace

class HotkeyServiceTest : public QObject {
    Q_OBJECT
private slots:
    void triggers_data();
    void triggers();
    void bindingsChangedWhileHeld();
    void lostKeyUps_data();
    void lostKeyUps();
    void capture_data();
    void capture();
    void captureSuppressesPressesButNotReleases();
    void captureRestartAndCancel();
    void describe_data();
    void describe();
    void learnedNamesFollowTheNormalisedKey();
    void unavailableOnTheOffscreenPlatform();
};

void HotkeyServiceTest::triggers_data() {
    QTest::addColumn<QStringList>("bound");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QStringList>("expected");

    const QStringList mute{QStringLiteral("micMute=ctrl+vk77")};
    QTest::newRow("auto-repeat fires once") << QStringList{"voice=vk120"} << "+120 +120 +120 -120"
                                            << QStringList{"voice:down", "voice:up"};
    QTest::newRow("combination") << mute << "+162 +77 -77 -162"
                                 << QStringList{"micMute:down", "micMute:up"};
    QTest::newRow("generic and right-hand Ctrl")
        << mute << "+17 +77 -77 -17 +163 +77 -77 -163"
        << QStringList{"micMute:down", "micMute:up", "micMute:down", "micMute:up"};
    QTest::newRow("extra modifier held") << mute << "+162 +160 +77 -77 -160 -162" << QStringList{};
    QTest::newRow("modifier released first, ends with the key")
        << mute << "+162 +77 -162 -77" << QStringList{"micMute:down", "micMute:up"};
    QTest::newRow("modifier pressed after the key") << mute << "+77 +162 -162 -77" << QStringList{};
    QTest::newRow("modifier order of a binding")
        << QStringList{"voice=ctrl+alt+shift+win+vk65"} << "+92 +161 +165 +163 +65 -65"
        << QStringList{"voice:down", "voice:up"};
    QTest::newRow("lone Ctrl, either side")
        << QStringList{"pushToTalk=vk17"} << "+162 -162 +163 -163"
        << QStringList{"pushToTalk:down", "pushToTalk:up", "pushToTalk:down", "pushToTalk:up"};
    QTest::newRow("lone Ctrl after Alt")
        << QStringList{"pushToTalk=vk17"} << "+164 +162 -162 -164" << QStringList{};
    QTest::newRow("lone Ctrl held through a combination")
        << QStringList{"pushToTalk=vk17", "micMute=ctrl+vk77"} << "+162 +77 -77 -162"
        << QStringList{"pushToTalk:down", "micMute:down", "micMute:up", "pushToTalk:up"};
    QTest::newRow("lone modifier repeat") << QStringList{"showWindow=vk91"} << "+91 +91 +92 -91"
                                          << QStringList{"showWindow:down", "showWindow:up"};
    QTest::newRow("mouse with modifier, modifier released first")
        << QStringList{"pushToTalk=shift+mouse4"} << "+160 +m4 -160 -m4"
        << QStringList{"pushToTalk:down", "pushToTalk:up"};
    QTest::newRow("mouse repeat and stray release")
        << QStringList{"pushToTalk=mouse5"} << "-m5 +m5 +m5 -m5 -m5"
        << QStringList{"pushToTalk:down", "pushToTalk:up"};
    QTest::newRow("same spec twice: the later action wins")
        << QStringList{"micMute=vk65", "voice=vk65"} << "+65 -65"
        << QStringList{"voice:down", "voice:up"};
    QTest::newRow("empty spec binds nothing") << QStringList{"micMute=", "voice=vk65"} << "+65 -65"
                                              << QStringList{"voice:down", "voice:up"};
}

void HotkeyServiceTest::triggers() {
    QFETCH(QStringList, bound);
    QFETCH(QString, events);
    QFETCH(QStringList, expected);
    Rig rig;
    rig.service->setBindings(bindings(bound));
    rig.source->play(events);
    QCOMPARE(rig.triggers, expected);
}

void HotkeyServiceTest::bindingsChangedWhileHeld() {
    Rig rig;
    rig.service->setBindings(bindings({"pushToTalk=vk120"}));
    rig.source->play("+120");
    // The settings change under a held push-to-talk key: its release must still close the mic.
    rig.service->setBindings(bindings({"voice=vk120"}));
    rig.source->play("-120 +120 -120");
    rig.service->setBindings({});
    rig.source->play("+120 -120");
    QCOMPARE(rig.triggers,
             (QStringList{"pushToTalk:down", "pushToTalk:up", "voice:down", "voice:up"}));

    // A binding that appears while its key is held does not fire until the next press.
    rig.triggers.clear();
    rig.source->play("+121");
    rig.service->setBindings(bindings({"showWindow=vk121"}));
    rig.source->play("-121 +121 -121");
    QCOMPARE(rig.triggers, (QStringList{"showWindow:down", "showWindow:up"}));
}

// Key-ups the system never reported (the lock screen, a secure desktop) are caught up with the
// system's own key state: at once on a session change; otherwise a key must read up at two checks
// (polls while held, presses), since its release may only be queued.
void HotkeyServiceTest::lostKeyUps_data() {
    QTest::addColumn<bool>("knows");
    QTest::addColumn<QStringList>("bound");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QStringList>("expected");
    const QStringList ptt{"pushToTalk=vk120"};
    const QStringList pushed{"pushToTalk:down", "pushToTalk:up"};
    QTest::newRow("session change ends push-to-talk") << true << ptt << "+120 ~120 !" << pushed;
    QTest::newRow("polled while held") << true << ptt << "+120 ~120 @" << pushed;
    QTest::newRow("lost side button")
        << true << QStringList{"pushToTalk=mouse5"} << "+m5 ~m5 !" << pushed;
    QTest::newRow("lost modifier joins no later binding")
        << true << QStringList{"micMute=vk77"} << "+91 ~91 @ +77 -77"
        << QStringList{"micMute:down", "micMute:up"};
    QTest::newRow("a new press after the lost key-up")
        << true << ptt << "+120 ~120 @ +120"
        << QStringList{"pushToTalk:down", "pushToTalk:up", "pushToTalk:down"};
    QTest::newRow("a release not read yet is no loss")
        << true << QStringList{"micMute=ctrl+vk77"} << "+162 ~162 +77 -77"
        << QStringList{"micMute:down", "micMute:up"};
    QTest::newRow("what is still down stays held")
        << true << QStringList{"micMute=ctrl+vk77"} << "+162 +77 -77 ! @ +77"
        << QStringList{"micMute:down", "micMute:up", "micMute:down"};
    QTest::newRow("a system that cannot tell")
        << false << ptt << "+120 ~120 ! @ +120" << QStringList{"pushToTalk:down"};
}

void HotkeyServiceTest::lostKeyUps() {
    QFETCH(bool, knows);
    QFETCH(QStringList, bound);
    QFETCH(QString, events);
    QFETCH(QStringList, expected);
    Rig rig;
    rig.source->knowsState = knows;
    rig.service->setBindings(bindings(bound));
    rig.source->play(events);
    QCOMPARE(rig.triggers, expected);
}

void HotkeyServiceTest::capture_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("during");
    QTest::addColumn<QString>("result"); // empty: no captured signal
    QTest::addColumn<bool>("ended");

    // Keys already held when the capture starts, the keys pressed during it, what is captured.
    const auto row = [](const char* name, const char* before, const char* during,
                        const char* result, bool ended) {
        QTest::newRow(name) << QString(before) << QString(during) << QString(result) << ended;
    };
    row("combination", "", "+162 +77", "ctrl+vk77", true);
    row("lone Ctrl on release", "", "+162 -162", "vk17", true);
    row("lone right Ctrl", "", "+163 -163", "vk17", true);
    row("two modifiers give nothing", "", "+162 +164 -164 -162", "", false);
    row("then a lone Shift", "", "+162 +164 -164 -162 +161 -161", "vk16", true);
    row("modifier still down", "", "+162", "", false);
    row("Esc cancels", "", "+27", "", true);
    row("middle button", "", "+m3", "mouse3", true);
    row("side button with Shift", "", "+160 +m5", "shift+mouse5", true);
    row("repeat of a key held before", "+65", "+65 +66", "vk66", true);
    row("release of a key held before", "+65", "-65", "", false);
}

void HotkeyServiceTest::capture() {
    QFETCH(QString, before);
    QFETCH(QString, during);
    QFETCH(QString, result);
    QFETCH(bool, ended);
    Rig rig;
    rig.source->play(before);
    QSignalSpy changed(rig.service.get(), &HotkeyService::capturingChanged);
    rig.service->capture(QStringLiteral("voice"));
    QCOMPARE(rig.service->capturing(), QStringLiteral("voice"));
    rig.source->play(during);

    QCOMPARE(rig.captures, result.isEmpty() ? QStringList{} : QStringList{"voice=" + result});
    QCOMPARE(rig.service->capturing().isEmpty(), ended);
    QCOMPARE(changed.count(), ended ? 2 : 1);
}

void HotkeyServiceTest::captureSuppressesPressesButNotReleases() {
    Rig rig;
    rig.service->setBindings(bindings({"voice=vk120", "pushToTalk=vk17"}));
    rig.source->play("+120");
    rig.service->capture(QStringLiteral("micMute"));
    // The lone Ctrl binding must not fire during the capture; the held trigger still ends.
    rig.source->play("+162 -162 -120");
    QCOMPARE(rig.captures, (QStringList{"micMute=vk17"}));
    QCOMPARE(rig.triggers, (QStringList{"voice:down", "voice:up"}));

    // The key that ended a capture fires nothing on its way up, and the capture is over: the
    // next Ctrl press is a binding again.
    rig.triggers.clear();
    rig.service->capture(QStringLiteral("micMute"));
    rig.source->play("+120 -120 +162 -162");
    QCOMPARE(rig.captures, (QStringList{"micMute=vk17", "micMute=vk120"}));
    QCOMPARE(rig.triggers, (QStringList{"pushToTalk:down", "pushToTalk:up"}));
}

void HotkeyServiceTest::captureRestartAndCancel() {
    Rig rig;
    QSignalSpy changed(rig.service.get(), &HotkeyService::capturingChanged);
    rig.service->cancelCapture();
    QCOMPARE(changed.count(), 0);

    rig.service->capture(QStringLiteral("voice"));
    rig.service->capture(QStringLiteral("showWindow"));
    rig.source->play("+162 +77");
    QCOMPARE(rig.captures, (QStringList{"showWindow=ctrl+vk77"}));
    QCOMPARE(changed.count(), 3);

    // Ctrl is still held: a new capture ends on its release only when nothing else went down.
    rig.source->play("-77");
    rig.service->capture(QStringLiteral("voice"));
    rig.service->cancelCapture();
    QCOMPARE(rig.service->capturing(), QString());
    QCOMPARE(changed.count(), 5);
    rig.source->play("-162");
    QCOMPARE(rig.captures.size(), 1);
}

void HotkeyServiceTest::describe_data() {
    QTest::addColumn<QString>("spec");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* name, const char* spec, const char* expected) {
        QTest::newRow(name) << QString(spec) << QString::fromUtf8(expected);
    };
    row("empty", "", "");
    row("learned names", "ctrl+alt+vk77", "Ctrl + Alt + M");
    row("layout name", "shift+vk32", "Shift + Space");
    row("all modifiers", "ctrl+alt+shift+win+vk90", "Ctrl + Alt + Shift + Win + Z");
    row("F9 fallback", "vk120", "F9");
    row("F24", "vk135", "F24");
    row("lone modifiers", "vk16+vk17+vk18", "Shift + Ctrl + Alt");
    row("unnamed Win", "vk91", "Клавиша 91");
    row("unknown code", "vk136", "Клавиша 136");
    row("wheel", "mouse3", "Колесо мыши");
    row("side button", "shift+mouse5", "Shift + Мышь 5");
    row("empty parts skipped", "+ctrl++vk65+", "Ctrl + A");
    row("unknown parts left out", "super+vk65+vkX+vk-1", "A");
}

void HotkeyServiceTest::describe() {
    QFETCH(QString, spec);
    QFETCH(QString, expected);
    Rig rig;
    rig.source->keyNames.insert(77, QStringLiteral("M"));
    rig.source->layoutNames.insert(32, QStringLiteral("Space"));
    rig.source->play("+77 -77"); // learns "M"
    rig.source->keyNames.clear();
    QCOMPARE(rig.service->describe(spec), expected);
}

void HotkeyServiceTest::learnedNamesFollowTheNormalisedKey() {
    Rig rig;
    // Without a learned name, the layout's name of the code; without that, the fixed name.
    QCOMPARE(rig.service->describe("vk17"), QStringLiteral("Ctrl"));
    rig.source->layoutNames.insert(17, QStringLiteral("Ctrl (layout)"));
    QCOMPARE(rig.service->describe("vk17"), QStringLiteral("Ctrl (layout)"));
    // A right-hand key teaches the name of the merged token, and the first name stays.
    rig.source->keyNames.insert(163, QStringLiteral("Right Ctrl"));
    rig.source->keyNames.insert(162, QStringLiteral("Left Ctrl"));
    rig.source->play("+163 -163 +162 -162");
    QCOMPARE(rig.service->describe("ctrl+vk17"), QStringLiteral("Ctrl + Right Ctrl"));
}

void HotkeyServiceTest::unavailableOnTheOffscreenPlatform() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    HotkeyService service;
    QVERIFY(!service.available());
    QSignalSpy captured(&service, &HotkeyService::captured);
    service.capture(QStringLiteral("micMute"));
    QCoreApplication::processEvents();
    QCOMPARE(service.capturing(), QStringLiteral("micMute"));
    QCOMPARE(captured.count(), 0);
    QCOMPARE(service.describe("ctrl+vk120"), QStringLiteral("Ctrl + F9"));
}

QTEST_MAIN(HotkeyServiceTest)
#include "tst_hotkey_service.moc"
