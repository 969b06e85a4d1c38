#pragma once
// The seam between HotkeyService and the system's global input. One implementation per system,
// chosen by the build: Windows raw input, XInput2 on X11, or none.

#include <QString>

#include <cstdint>
#include <memory>

namespace qv::ui {

// One key going down or up, as the system reported it.
struct HotkeyKey {
    int virtualKey = 0;    // Windows virtual-key code, left/right modifiers not yet merged
    bool pressed = false;  // false: released
    uint32_t scanCode = 0; // what the source needs to name the key (make code, X keycode)
    bool extended = false; // the E0 prefix on Windows
};

// What the system says about a key or button right now.
enum class HeldState { Up, Down, Unknown };

// Where a source delivers input; everything is called on the GUI thread.
class HotkeyInput {
public:
    virtual void keyEvent(const HotkeyKey& key) = 0;
    // button 3 (middle), 4 or 5 (side buttons); other buttons never reach the service.
    virtual void mouseEvent(int button, bool pressed) = 0;
    // Key-ups may have been lost: the session was locked or unlocked, or input went where it
    // is not reported (a secure desktop). What is held is then asked of the system again.
    virtual void inputMayHaveBeenLost() = 0;

protected:
    ~HotkeyInput() = default;
};

class HotkeySource {
public:
    virtual ~HotkeySource() = default;
    // Starts watching input for `input`, which outlives the source. False when this system or
    // session offers no global input; the source then never calls `input`.
    virtual bool start(HotkeyInput& input) = 0;
    // The keyboard layout's name of the key behind `key`; empty when the layout has none.
    virtual QString keyName(const HotkeyKey& key) const = 0;
    // The layout's name of a (normalised) virtual key; empty when the layout has none.
    virtual QString virtualKeyName(int virtualKey) const = 0;
    // Whether a normalised virtual key (16, 17, 18 and 91 stand for either side) or mouse
    // button 3, 4 or 5 is down now. Unknown never releases anything.
    virtual HeldState keyState(int virtualKey) const {
        (void)virtualKey;
        return HeldState::Unknown;
    }
    virtual HeldState buttonState(int button) const {
        (void)button;
        return HeldState::Unknown;
    }
};

// The source of the system the program was built for.
std::unique_ptr<HotkeySource> createHotkeySource();

} // namespace qv::ui
