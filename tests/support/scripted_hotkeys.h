#pragma once
// ScriptedHotkeySource: the system's global input as a test plays it, for a HotkeyService.
// A source that is never played stands for input that starts and never reports a key.

#include "desktop/hotkey_keys.h"
#include "desktop/hotkey_service.h"
#include "desktop/hotkey_source.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTest>

namespace qv::test {

class ScriptedHotkeySource final : public ui::HotkeySource {
public:
    bool start(ui::HotkeyInput& input) override {
        input_ = &input;
        return true;
    }
    // Names come from the tables the test fills in; empty ones fall back to the built-in names.
    QString keyName(const ui::HotkeyKey& key) const override {
        return keyNames.value(key.scanCode);
    }
    QString virtualKeyName(int virtualKey) const override { return layoutNames.value(virtualKey); }
    ui::HeldState keyState(int virtualKey) const override {
        return stateOf(QStringLiteral("vk%1").arg(virtualKey));
    }
    ui::HeldState buttonState(int button) const override {
        return stateOf(QStringLiteral("m%1").arg(button));
    }

    // Events written as "+162 +77 -77 -162" (virtual keys down and up) and "+m4 -m4" (mouse
    // buttons); a key's scan code is its virtual key. "~162" lets a key go up unreported, "!"
    // tells that input may have been lost, "@" waits a few polls of the held keys.
    void play(const QString& script) {
        for (const QString& step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("!")) {
                input_->inputMayHaveBeenLost();
                continue;
            }
            if (step == QLatin1String("@")) {
                QTest::qWait(3 * ui::HotkeyService::kHeldPollMs);
                continue;
            }
            const bool mouse = step.at(1) == QLatin1Char('m');
            const int code = step.mid(mouse ? 2 : 1).toInt();
            const QString held = mouse ? QStringLiteral("m%1").arg(code)
                                       : QStringLiteral("vk%1").arg(ui::keys::normalized(code));
            const bool pressed = step.startsWith(QLatin1Char('+'));
            if (pressed)
                down_.insert(held);
            else
                down_.remove(held);
            if (step.startsWith(QLatin1Char('~')))
                continue;
            if (mouse)
                input_->mouseEvent(code, pressed);
            else
                input_->keyEvent(ui::HotkeyKey{code, pressed, uint32_t(code), false});
        }
    }

    bool knowsState = false; // whether keyState and buttonState say anything
    QHash<uint32_t, QString> keyNames;
    QHash<int, QString> layoutNames;

private:
    ui::HeldState stateOf(const QString& held) const {
        if (!knowsState)
            return ui::HeldState::Unknown;
        return down_.contains(held) ? ui::HeldState::Down : ui::HeldState::Up;
    }

    ui::HotkeyInput* input_ = nullptr;
    QSet<QString> down_; // as the system sees it
};

} // namespace qv::test
