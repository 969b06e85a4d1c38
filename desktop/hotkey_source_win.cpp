// Windows: raw input through the hidden window of hotkeys_rawinput_win. Its window procedure runs
// on the GUI thread, which dispatches the thread's messages in Qt's event loop, so input arrives
// here without a native event filter.

#include "desktop/hotkey_source.h"

#include "desktop/hotkeys_rawinput_win.h"

namespace qv::ui {

namespace {

class RawInputSource final : public HotkeySource, private rawinput::InputReceiver {
public:
    bool start(HotkeyInput& input) override {
        input_ = &input;
        rawinput::InputReceiver& receiver = *this;
        window_ = std::make_unique<rawinput::InputWindow>(receiver);
        if (!window_->valid())
            window_.reset();
        return window_ != nullptr;
    }

    QString keyName(const HotkeyKey& key) const override {
        return QString::fromStdWString(rawinput::keyNameText(key.scanCode, key.extended));
    }

    QString virtualKeyName(int virtualKey) const override {
        if (virtualKey < 0)
            return {};
        return QString::fromStdWString(rawinput::virtualKeyName(unsigned(virtualKey)));
    }

    HeldState keyState(int virtualKey) const override {
        if (virtualKey <= 0 || virtualKey > 254)
            return HeldState::Unknown;
        return rawinput::isKeyDown(unsigned(virtualKey)) ? HeldState::Down : HeldState::Up;
    }

    HeldState buttonState(int button) const override {
        return rawinput::isButtonDown(button) ? HeldState::Down : HeldState::Up;
    }

private:
    void sessionChanged() override { input_->inputMayHaveBeenLost(); }

    void keyStroke(const rawinput::KeyStroke& key) override {
        input_->keyEvent(HotkeyKey{int(key.virtualKey), key.pressed, key.makeCode, key.extended});
    }

    void buttonStroke(const rawinput::ButtonStroke& button) override {
        input_->mouseEvent(button.button, button.pressed);
    }

    HotkeyInput* input_ = nullptr;
    std::unique_ptr<rawinput::InputWindow> window_;
};

} // namespace

std::unique_ptr<HotkeySource> createHotkeySource() {
    return std::make_unique<RawInputSource>();
}

} // namespace qv::ui
