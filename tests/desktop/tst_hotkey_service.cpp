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

QVariantMap bindings(const QStringList& pairs) {
    QVariantMap map;
    for (const QString& pair : pairs) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        map.insert(pair.left(eq), pair.mid(eq + 1));
    }
    return map;
}

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

    // Input and binding changes in turn: "events | bindings | events | ...".
    void play(const QString& script) {
        const QStringList steps = script.split(QStringLiteral(" | "));
        for (qsizetype i = 0; i < steps.size(); ++i) {
            if (i % 2 == 0)
                source->play(steps[i]);
            else
                service->setBindings(bindings(steps[i].split(' ', Qt::SkipEmptyParts)));
        }
    }

    ScriptedHotkeySource* source = nullptr;
    std::unique_ptr<HotkeyService> service;
    QStringList triggers;
    QStringList captures;
};

} // namespace

class HotkeyServiceTest : public QObject {
    Q_OBJECT
private slots:
    void triggers_data() {
        QTest::addColumn<bool>("knows"); // whether the system reports its own key state
        QTest::addColumn<QStringList>("bound");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QStringList>("expected");
        const auto words = [](const char* text) {
            return QString::fromUtf8(text).split(' ', Qt::SkipEmptyParts);
        };
        const auto row = [&](const char* name, bool knows, const char* bound, const char* events,
                             const char* expected) {
            QTest::newRow(name) << knows << words(bound) << QString(events) << words(expected);
        };
        const char* mute = "micMute=ctrl+vk77";
        const char* muted = "micMute:down micMute:up";
        const char* pushed = "pushToTalk:down pushToTalk:up";
        row("auto-repeat fires once", false, "voice=vk120", "+120 +120 +120 -120",
            "voice:down voice:up");
        row("combination", false, mute, "+162 +77 -77 -162", muted);
        row("generic and right-hand Ctrl", false, mute, "+17 +77 -77 -17 +163 +77 -77 -163",
            "micMute:down micMute:up micMute:down micMute:up");
        row("extra modifier held", false, mute, "+162 +160 +77 -77 -160 -162", "");
        row("modifier released first, ends with the key", false, mute, "+162 +77 -162 -77", muted);
        row("modifier pressed after the key", false, mute, "+77 +162 -162 -77", "");
        row("modifier order of a binding", false, "voice=ctrl+alt+shift+win+vk65",
            "+92 +161 +165 +163 +65 -65", "voice:down voice:up");
        row("lone Ctrl, either side", false, "pushToTalk=vk17", "+162 -162 +163 -163",
            "pushToTalk:down pushToTalk:up pushToTalk:down pushToTalk:up");
        row("lone Ctrl after Alt", false, "pushToTalk=vk17", "+164 +162 -162 -164", "");
        row("lone Ctrl held through a combination", false, "pushToTalk=vk17 micMute=ctrl+vk77",
            "+162 +77 -77 -162", "pushToTalk:down micMute:down micMute:up pushToTalk:up");
        row("lone modifier repeat", false, "showWindow=vk91", "+91 +91 +92 -91",
            "showWindow:down showWindow:up");
        row("mouse with modifier, modifier released first", false, "pushToTalk=shift+mouse4",
            "+160 +m4 -160 -m4", pushed);
        row("mouse repeat and stray release", false, "pushToTalk=mouse5", "-m5 +m5 +m5 -m5 -m5",
            pushed);
        row("same spec twice: the later action wins", false, "micMute=vk65 voice=vk65", "+65 -65",
            "voice:down voice:up");
        row("empty spec binds nothing", false, "micMute= voice=vk65", "+65 -65",
            "voice:down voice:up");
        // The settings change under a held push-to-talk key: its release must still close the
        // mic. A binding that appears while its key is held waits for the next press.
        row("rebound while held", false, "pushToTalk=vk120",
            "+120 | voice=vk120 | -120 +120 -120 |  | +120 -120",
            "pushToTalk:down pushToTalk:up voice:down voice:up");
        row("bound while held", false, "", "+121 | showWindow=vk121 | -121 +121 -121",
            "showWindow:down showWindow:up");

        // Key-ups the system never reported (the lock screen, a secure desktop) are caught up
        // with the system's own key state: at once on a session change; otherwise a key must
        // read up at two checks (polls while held, presses), since its release may only be queued.
        row("session change ends push-to-talk", true, "pushToTalk=vk120", "+120 ~120 !", pushed);
        row("polled while held", true, "pushToTalk=vk120", "+120 ~120 @", pushed);
        row("lost side button", true, "pushToTalk=mouse5", "+m5 ~m5 !", pushed);
        row("lost modifier joins no later binding", true, "micMute=vk77", "+91 ~91 @ +77 -77",
            muted);
        row("a new press after the lost key-up", true, "pushToTalk=vk120", "+120 ~120 @ +120",
            "pushToTalk:down pushToTalk:up pushToTalk:down");
        row("a release not read yet is no loss", true, mute, "+162 ~162 +77 -77", muted);
        row("what is still down stays held", true, mute, "+162 +77 -77 ! @ +77",
            "micMute:down micMute:up micMute:down");
        row("a system that cannot tell", false, "pushToTalk=vk120", "+120 ~120 ! @ +120",
            "pushToTalk:down");
    }

    void triggers() {
        QFETCH(bool, knows);
        QFETCH(QStringList, bound);
        QFETCH(QString, events);
        QFETCH(QStringList, expected);
        Rig rig;
        rig.source->knowsState = knows;
        rig.service->setBindings(bindings(bound));
        rig.play(events);
        QCOMPARE(rig.triggers, expected);
    }

    void capture_data() {
        QTest::addColumn<QStringList>("bound");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("during");
        QTest::addColumn<QString>("result"); // empty: no captured signal
        QTest::addColumn<bool>("ended");
        QTest::addColumn<QStringList>("triggers");

        // Keys already held when the capture starts, the keys pressed during it, what is
        // captured.
        const auto row = [](const char* name, const char* before, const char* during,
                            const char* result, bool ended) {
            QTest::newRow(name) << QStringList{} << QString(before) << QString(during)
                                << QString(result) << ended << QStringList{};
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
        // A capture suppresses the bindings' presses, not the release of a held trigger; the key
        // that ended it fires nothing on its way up, and after it the bindings work again.
        const QStringList bound{"voice=vk120", "pushToTalk=vk17"};
        QTest::newRow("bindings during a capture")
            << bound << "+120"
            << "+162 -162 -120"
            << "vk17" << true << QStringList{"voice:down", "voice:up"};
        QTest::newRow("bindings after a capture")
            << bound << ""
            << "+120 -120 +162 -162"
            << "vk120" << true << QStringList{"pushToTalk:down", "pushToTalk:up"};
    }

    void capture() {
        QFETCH(QStringList, bound);
        QFETCH(QString, before);
        QFETCH(QString, during);
        QFETCH(QString, result);
        QFETCH(bool, ended);
        QFETCH(QStringList, triggers);
        Rig rig;
        rig.service->setBindings(bindings(bound));
        rig.source->play(before);
        QSignalSpy changed(rig.service.get(), &HotkeyService::capturingChanged);
        rig.service->capture(QStringLiteral("voice"));
        QCOMPARE(rig.service->capturing(), QStringLiteral("voice"));
        rig.source->play(during);

        QCOMPARE(rig.captures, result.isEmpty() ? QStringList{} : QStringList{"voice=" + result});
        QCOMPARE(rig.service->capturing().isEmpty(), ended);
        QCOMPARE(changed.count(), ended ? 2 : 1);
        QCOMPARE(rig.triggers, triggers);
    }

    void captureRestartAndCancel() {
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

    // A key's name: the one learned from its presses, else the layout's, else the fixed one. A
    // right-hand key teaches the name of the merged token, and the first name learned stays.
    void describe_data() {
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
        row("lone modifiers", "vk16+vk18", "Shift + Alt (layout)");
        row("learned beats layout", "ctrl+vk17", "Ctrl + Right Ctrl");
        row("unnamed Win", "vk91", "Клавиша 91");
        row("unknown code", "vk136", "Клавиша 136");
        row("wheel", "mouse3", "Колесо мыши");
        row("side button", "shift+mouse5", "Shift + Мышь 5");
        row("empty parts skipped", "+ctrl++vk65+", "Ctrl + A");
        row("unknown parts left out", "super+vk65+vkX+vk-1", "A");
    }

    void describe() {
        QFETCH(QString, spec);
        QFETCH(QString, expected);
        Rig rig;
        rig.source->keyNames.insert(77, QStringLiteral("M"));
        rig.source->keyNames.insert(163, QStringLiteral("Right Ctrl"));
        rig.source->keyNames.insert(162, QStringLiteral("Left Ctrl"));
        rig.source->layoutNames.insert(32, QStringLiteral("Space"));
        rig.source->layoutNames.insert(17, QStringLiteral("Ctrl (layout)"));
        rig.source->layoutNames.insert(18, QStringLiteral("Alt (layout)"));
        rig.source->play("+77 -77 +163 -163 +162 -162");
        rig.source->keyNames.clear();
        QCOMPARE(rig.service->describe(spec), expected);
    }

    void unavailableOnTheOffscreenPlatform() {
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
};

QTEST_MAIN(HotkeyServiceTest)
#include "tst_hotkey_service.moc"
