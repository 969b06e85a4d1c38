// Systems without a global input source the program knows: hotkeys are unavailable and the
// settings page says so.

#include "desktop/hotkey_source.h"

namespace qv::ui {

namespace {

class NoHotkeySource final : public HotkeySource {
public:
    bool start(HotkeyInput&) override { return false; }
    QString keyName(const HotkeyKey&) const override { return {}; }
    QString virtualKeyName(int) const override { return {}; }
};

} // namespace

std::unique_ptr<HotkeySource> createHotkeySource() {
    return std::make_unique<NoHotkeySource>();
}

} // namespace qv::ui
