#pragma once
// Windows virtual-key codes that the hotkey code treats specially. Bindings store Windows codes
// on every system, so a settings document moves between machines unchanged.

namespace qv::ui::keys {

inline constexpr int kShift = 16;
inline constexpr int kCtrl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kCapsLock = 20;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kLeftWin = 91;
inline constexpr int kRightWin = 92;
inline constexpr int kF1 = 112;
inline constexpr int kF24 = 135;
inline constexpr int kLeftShift = 160;
inline constexpr int kRightShift = 161;
inline constexpr int kLeftCtrl = 162;
inline constexpr int kRightCtrl = 163;
inline constexpr int kLeftAlt = 164;
inline constexpr int kRightAlt = 165;

// One code per modifier: a binding names "Ctrl", not the left or the right one.
constexpr int normalized(int virtualKey) {
    switch (virtualKey) {
    case kLeftShift:
    case kRightShift:
        return kShift;
    case kLeftCtrl:
    case kRightCtrl:
        return kCtrl;
    case kLeftAlt:
    case kRightAlt:
        return kAlt;
    case kRightWin:
        return kLeftWin;
    default:
        return virtualKey;
    }
}

// True for the normalised modifier codes.
constexpr bool isModifier(int virtualKey) {
    return virtualKey == kShift || virtualKey == kCtrl || virtualKey == kAlt ||
           virtualKey == kLeftWin;
}

} // namespace qv::ui::keys
