// The raw input window and the decoding of WM_INPUT records, on Wine.

#include "tests/win/win_test_support.h"

#include "desktop/hotkeys_rawinput_win.h"

#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace qv::rawinput {
namespace {

struct Recorder final : InputReceiver {
    void keyStroke(const KeyStroke& key) override { keys.push_back(key); }
    void buttonStroke(const ButtonStroke& button) override { buttons.push_back(button); }
    void sessionChanged() override { ++sessions; }
    int sessions = 0;
    std::vector<KeyStroke> keys;
    std::vector<ButtonStroke> buttons;
};

std::vector<RAWINPUTDEVICE> registeredDevices() {
    RAWINPUTDEVICE devices[8];
    UINT count = 8;
    const UINT got = GetRegisteredRawInputDevices(devices, &count, sizeof(RAWINPUTDEVICE));
    return {devices, devices + (got == UINT(-1) ? 0 : got)};
}

std::vector<unsigned char> bytesOf(const RAWINPUT& input, std::size_t size) {
    std::vector<unsigned char> bytes(size);
    std::memcpy(bytes.data(), &input, size);
    return bytes;
}

std::vector<unsigned char> keyboardRecord(USHORT virtualKey, USHORT flags, USHORT makeCode) {
    RAWINPUT input = {};
    input.header.dwType = RIM_TYPEKEYBOARD;
    input.header.dwSize = sizeof(RAWINPUTHEADER) + sizeof(RAWKEYBOARD);
    input.data.keyboard.VKey = virtualKey;
    input.data.keyboard.Flags = flags;
    input.data.keyboard.MakeCode = makeCode;
    input.data.keyboard.Message = (flags & RI_KEY_BREAK) ? WM_KEYUP : WM_KEYDOWN;
    return bytesOf(input, input.header.dwSize);
}

std::vector<unsigned char> mouseRecord(USHORT buttonFlags) {
    RAWINPUT input = {};
    input.header.dwType = RIM_TYPEMOUSE;
    input.header.dwSize = sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE);
    input.data.mouse.usButtonFlags = buttonFlags;
    if (buttonFlags & RI_MOUSE_WHEEL)
        input.data.mouse.usButtonData = WHEEL_DELTA;
    return bytesOf(input, input.header.dwSize);
}

std::string describe(const Strokes& strokes) {
    std::string out;
    if (strokes.hasKey) {
        out += "vk" + std::to_string(strokes.key.virtualKey) +
               (strokes.key.pressed ? " down" : " up") + " make" +
               std::to_string(strokes.key.makeCode) + (strokes.key.extended ? " e0" : "");
    }
    for (int i = 0; i < strokes.buttonCount; ++i) {
        const ButtonStroke& b = strokes.buttons[std::size_t(i)];
        out += (out.empty() ? "" : ", ") + std::string("mouse") + std::to_string(b.button) +
               (b.pressed ? " down" : " up");
    }
    return out;
}

TEST(HotkeyRawInput, HiddenWindowReceivesBackgroundInputUntilDestroyed) {
    Recorder recorder;
    HWND handle = nullptr;
    {
        InputWindow window(recorder);
        ASSERT_TRUE(window.valid());
        handle = window.handle();
        EXPECT_FALSE(IsWindowVisible(handle));
        // Keyboard (6) and mouse (2) of the generic desktop page, delivered in the background.
        std::vector<std::string> devices;
        for (const RAWINPUTDEVICE& device : registeredDevices())
            devices.push_back(
                std::to_string(device.usUsagePage) + "/" + std::to_string(device.usUsage) +
                (device.dwFlags == RIDEV_INPUTSINK && device.hwndTarget == handle ? " sink"
                                                                                  : " other"));
        std::sort(devices.begin(), devices.end());
        EXPECT_EQ(devices, (std::vector<std::string>{"1/2 sink", "1/6 sink"}));

        // A WM_INPUT whose input cannot be read reaches nobody.
        SendMessageW(handle, WM_INPUT, RIM_INPUT, LPARAM(0x1234));
        EXPECT_TRUE(recorder.keys.empty());
        EXPECT_TRUE(recorder.buttons.empty());
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_TRUE(registeredDevices().empty());

    // The class stays registered; a later window reuses it.
    InputWindow again(recorder);
    ASSERT_TRUE(again.valid());
    EXPECT_EQ(registeredDevices().size(), 2u);
}

// Injected input arrives through the window. The system's key state (what the service checks
// lost key-ups against, either side of a modifier) and the session's changes reach it too.
TEST(HotkeyRawInput, InjectedInputKeyStateAndSessionChanges) {
    Recorder recorder;
    InputWindow window(recorder);
    ASSERT_TRUE(window.valid());
    // M with its scan code, F9 and the right-hand Shift and Win, read back by their generic codes.
    const auto press = [](bool up) {
        const WORD codes[4] = {'M', VK_F9, VK_RSHIFT, VK_RWIN};
        INPUT keys[4] = {};
        for (int i = 0; i < 4; ++i) {
            keys[i].type = INPUT_KEYBOARD;
            keys[i].ki.wVk = codes[i];
            keys[i].ki.wScan = i == 0 ? 0x32 : 0;
            keys[i].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        }
        return SendInput(4, keys, sizeof(INPUT)) == 4;
    };
    EXPECT_FALSE(isKeyDown('Q'));
    for (bool up : {false, true}) {
        ASSERT_TRUE(press(up));
        const std::size_t seen = up ? 8 : 4;
        ASSERT_TRUE(wintest::pumpMessagesUntil([&] { return recorder.keys.size() >= seen; }))
            << "keys seen: " << recorder.keys.size();
        const KeyStroke& m = recorder.keys[seen - 4];
        EXPECT_EQ(m.virtualKey, unsigned('M'));
        EXPECT_EQ(m.makeCode, 0x32u);
        EXPECT_EQ(m.pressed, !up);
        for (unsigned key : {VK_F9, VK_SHIFT, VK_LWIN})
            EXPECT_EQ(isKeyDown(key), !up) << key;
    }

    // The middle and first side button; the left click between them is not reported.
    INPUT clicks[6] = {};
    const DWORD flags[6] = {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP,     MOUSEEVENTF_XDOWN,    MOUSEEVENTF_XUP};
    for (int i = 0; i < 6; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = flags[i];
        if (flags[i] & (MOUSEEVENTF_XDOWN | MOUSEEVENTF_XUP))
            clicks[i].mi.mouseData = XBUTTON1;
    }
    ASSERT_EQ(SendInput(6, clicks, sizeof(INPUT)), 6u);
    ASSERT_TRUE(wintest::pumpMessagesUntil([&] { return recorder.buttons.size() >= 4; }))
        << "buttons seen: " << recorder.buttons.size();
    std::string seen;
    for (const ButtonStroke& b : recorder.buttons)
        seen += std::to_string(b.button) + (b.pressed ? "+" : "-");
    EXPECT_EQ(seen, "3+3-4+4-");
    EXPECT_FALSE(isButtonDown(4));
    EXPECT_FALSE(isButtonDown(1));

    SendMessageW(window.handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    EXPECT_EQ(recorder.sessions, 1);
}

TEST(HotkeyRawInput, DecodesKeyAndButtonRecords) {
    RAWINPUT hid = {};
    hid.header.dwType = RIM_TYPEHID;
    hid.header.dwSize = sizeof(RAWINPUT);
    const std::vector<unsigned char> key = keyboardRecord('M', RI_KEY_MAKE, 0x32);
    const std::vector<unsigned char> click = mouseRecord(RI_MOUSE_MIDDLE_BUTTON_DOWN);
    const struct {
        std::vector<unsigned char> record;
        std::string strokes;
    } cases[] = {
        {key, "vk77 down make50"},
        {keyboardRecord('M', RI_KEY_BREAK, 0x32), "vk77 up make50"},
        // Right Ctrl: the generic Ctrl code with the E0 prefix.
        {keyboardRecord(VK_CONTROL, RI_KEY_E0 | RI_KEY_BREAK, 0x1d), "vk17 up make29 e0"},
        // 255 is the keyboard's "no key" (part of some multi-code sequences).
        {keyboardRecord(255, RI_KEY_MAKE, 0x2a), ""},
        {click, "mouse3 down"},
        {mouseRecord(RI_MOUSE_BUTTON_4_UP), "mouse4 up"},
        {mouseRecord(RI_MOUSE_BUTTON_5_UP | RI_MOUSE_BUTTON_4_DOWN | RI_MOUSE_MIDDLE_BUTTON_UP |
                     RI_MOUSE_MIDDLE_BUTTON_DOWN | RI_MOUSE_BUTTON_5_DOWN | RI_MOUSE_BUTTON_4_UP),
         "mouse3 down, mouse3 up, mouse4 down, mouse4 up, mouse5 down, mouse5 up"},
        // Left, right and the wheel are never hotkeys; mixed in, they leave the others alone.
        {mouseRecord(RI_MOUSE_LEFT_BUTTON_DOWN | RI_MOUSE_RIGHT_BUTTON_UP | RI_MOUSE_WHEEL |
                     RI_MOUSE_HWHEEL),
         ""},
        {mouseRecord(RI_MOUSE_LEFT_BUTTON_DOWN | RI_MOUSE_BUTTON_5_DOWN), "mouse5 down"},
        {mouseRecord(0), ""}, // a plain move
        // Cut short, or of another device.
        {std::vector<unsigned char>(key.begin(), key.end() - 1), ""},
        {std::vector<unsigned char>(click.begin(), click.end() - 1), ""},
        {std::vector<unsigned char>(key.begin(), key.begin() + sizeof(RAWINPUTHEADER) - 1), ""},
        {bytesOf(hid, sizeof hid), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describe(decode(c.record.data(), c.record.size())), c.strokes) << c.strokes;
    EXPECT_EQ(describe(decode(nullptr, key.size())), "");
}

TEST(HotkeyRawInput, NamesKeysFromTheLayout) {
    EXPECT_EQ(keyNameText(0x32, false), L"M");
    EXPECT_EQ(virtualKeyName('M'), L"M");
    EXPECT_EQ(virtualKeyName(VK_F9), L"F9");
    // The E0 prefix tells the right Ctrl from the left one.
    EXPECT_NE(keyNameText(0x1d, true), keyNameText(0x1d, false));
    EXPECT_FALSE(keyNameText(0x1d, true).empty());
    // Codes without a key have no name.
    EXPECT_EQ(virtualKeyName(0xff), L"");
}

} // namespace
} // namespace qv::rawinput
