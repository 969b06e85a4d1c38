#pragma once
// Win32 side of the global hotkeys, without Qt: a hidden window that receives raw keyboard and
// mouse input while other programs have the focus, the decoding of that input and the key names
// of the keyboard layout. Nothing here intercepts input; raw input only observes it.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <cstddef>
#include <string>

namespace qv::rawinput {

inline constexpr wchar_t kWindowClass[] = L"QUORVEL.Hotkeys";

struct KeyStroke {
    unsigned virtualKey = 0;
    bool pressed = false; // RI_KEY_BREAK clear
    unsigned makeCode = 0;
    bool extended = false; // RI_KEY_E0 set
};

struct ButtonStroke {
    int button = 0; // 3 (middle), 4 or 5
    bool pressed = false;
};

// What one WM_INPUT carries for the hotkeys: at most one key, and the middle and side button
// transitions in the order 3 down, 3 up, 4 down, 4 up, 5 down, 5 up.
struct Strokes {
    bool hasKey = false;
    KeyStroke key;
    std::array<ButtonStroke, 6> buttons{};
    int buttonCount = 0;
};

// Decodes a RAWINPUT record of `size` bytes. Records that are too short, of another device
// type, the keyboard's "no key" code 255, the left and right buttons and the wheel give nothing.
Strokes decode(const void* data, std::size_t size);

// Receives decoded input on the thread that owns the window.
class InputReceiver {
public:
    virtual void keyStroke(const KeyStroke& key) = 0;
    virtual void buttonStroke(const ButtonStroke& button) = 0;
    // The session was locked, unlocked or switched (WM_WTSSESSION_CHANGE): key-ups may have
    // been lost on the way.
    virtual void sessionChanged() {}

protected:
    ~InputReceiver() = default;
};

// The hidden window of class "QUORVEL.Hotkeys" with keyboard and mouse raw input registered for
// it (RIDEV_INPUTSINK: input arrives in the background too) and the session's changes notified
// to it. Raw input registration belongs to the process, so only one InputWindow should exist at
// a time.
class InputWindow {
public:
    explicit InputWindow(InputReceiver& receiver);
    ~InputWindow();
    InputWindow(const InputWindow&) = delete;
    InputWindow& operator=(const InputWindow&) = delete;

    // False when the window could not be created or raw input not registered.
    bool valid() const { return window_ != nullptr; }
    HWND handle() const { return window_; }

private:
    HWND window_ = nullptr;
    bool sessionNotices_ = false;
};

// Whether the system holds a virtual key down now (GetAsyncKeyState). 16, 17 and 18 cover both
// sides; 91 stands for either Win key. Off the input desktop (a secure desktop) nothing is down.
bool isKeyDown(unsigned virtualKey);
// The same for mouse button 3 (middle), 4 or 5 (side buttons); false for any other.
bool isButtonDown(int button);

// The layout's name of the key with this make code ("M", "Right Ctrl"); empty when unknown.
std::wstring keyNameText(unsigned makeCode, bool extended);
// The layout's name of a virtual key, through its scan code; empty when unknown.
std::wstring virtualKeyName(unsigned virtualKey);

} // namespace qv::rawinput
