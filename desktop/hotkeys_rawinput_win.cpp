#include "desktop/hotkeys_rawinput_win.h"

#include <wtsapi32.h>

#include <cstring>

namespace qv::rawinput {

namespace {

constexpr USHORT kUsagePageGeneric = 1;
constexpr USHORT kUsageMouse = 2;
constexpr USHORT kUsageKeyboard = 6;
constexpr unsigned kNoKey = 255;

// The largest record of the two registered devices (a mouse record on 64-bit Windows).
constexpr UINT kRecordSize = sizeof(RAWINPUT);

bool registerDevices(HWND target, DWORD flags) {
    RAWINPUTDEVICE devices[2] = {};
    devices[0].usUsagePage = kUsagePageGeneric;
    devices[0].usUsage = kUsageKeyboard;
    devices[0].dwFlags = flags;
    devices[0].hwndTarget = target;
    devices[1] = devices[0];
    devices[1].usUsage = kUsageMouse;
    return RegisterRawInputDevices(devices, 2, sizeof(RAWINPUTDEVICE)) != FALSE;
}

void deliver(InputReceiver& receiver, const Strokes& strokes) {
    if (strokes.hasKey)
        receiver.keyStroke(strokes.key);
    for (int i = 0; i < strokes.buttonCount; ++i)
        receiver.buttonStroke(strokes.buttons[std::size_t(i)]);
}

LRESULT CALLBACK inputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INPUT) {
        auto* receiver = reinterpret_cast<InputReceiver*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        alignas(RAWINPUT) unsigned char record[kRecordSize];
        UINT size = kRecordSize;
        const UINT read = GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, record,
                                          &size, sizeof(RAWINPUTHEADER));
        if (receiver && read != UINT(-1) && read != 0)
            deliver(*receiver, decode(record, read));
    } else if (message == WM_WTSSESSION_CHANGE) {
        if (auto* receiver =
                reinterpret_cast<InputReceiver*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            receiver->sessionChanged();
    }
    // WM_INPUT too: the system frees the input's buffer there.
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerWindowClass(HINSTANCE module) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = inputProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kWindowClass;
    // A second window in the same process reuses the class registered by the first.
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

Strokes decode(const void* data, std::size_t size) {
    Strokes out;
    if (!data || size < sizeof(RAWINPUTHEADER))
        return out;
    RAWINPUTHEADER header;
    std::memcpy(&header, data, sizeof header);
    const auto* body = static_cast<const unsigned char*>(data) + sizeof(RAWINPUTHEADER);
    if (header.dwType == RIM_TYPEKEYBOARD && size >= sizeof(RAWINPUTHEADER) + sizeof(RAWKEYBOARD)) {
        RAWKEYBOARD keyboard;
        std::memcpy(&keyboard, body, sizeof keyboard);
        if (keyboard.VKey == kNoKey)
            return out;
        out.hasKey = true;
        out.key.virtualKey = keyboard.VKey;
        out.key.pressed = (keyboard.Flags & RI_KEY_BREAK) == 0;
        out.key.makeCode = keyboard.MakeCode;
        out.key.extended = (keyboard.Flags & RI_KEY_E0) != 0;
    } else if (header.dwType == RIM_TYPEMOUSE &&
               size >= sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE)) {
        RAWMOUSE mouse;
        std::memcpy(&mouse, body, sizeof mouse);
        const USHORT flags = mouse.usButtonFlags;
        const struct {
            USHORT flag;
            int button;
            bool pressed;
        } table[] = {{RI_MOUSE_MIDDLE_BUTTON_DOWN, 3, true}, {RI_MOUSE_MIDDLE_BUTTON_UP, 3, false},
                     {RI_MOUSE_BUTTON_4_DOWN, 4, true},      {RI_MOUSE_BUTTON_4_UP, 4, false},
                     {RI_MOUSE_BUTTON_5_DOWN, 5, true},      {RI_MOUSE_BUTTON_5_UP, 5, false}};
        for (const auto& entry : table) {
            if (flags & entry.flag)
                out.buttons[std::size_t(out.buttonCount++)] = {entry.button, entry.pressed};
        }
    }
    return out;
}

InputWindow::InputWindow(InputReceiver& receiver) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (!registerWindowClass(module))
        return;
    HWND window = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  module, nullptr);
    if (!window)
        return;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver));
    if (!registerDevices(window, RIDEV_INPUTSINK)) {
        DestroyWindow(window);
        return;
    }
    // Without session notices the held keys are still polled; nothing depends on this alone.
    sessionNotices_ = WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
    window_ = window;
}

InputWindow::~InputWindow() {
    if (!window_)
        return;
    if (sessionNotices_)
        WTSUnRegisterSessionNotification(window_);
    registerDevices(nullptr, RIDEV_REMOVE);
    DestroyWindow(window_);
}

bool isKeyDown(unsigned virtualKey) {
    const auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    if (virtualKey == VK_LWIN)
        return down(VK_LWIN) || down(VK_RWIN);
    return down(int(virtualKey));
}

bool isButtonDown(int button) {
    switch (button) {
    case 3:
        return isKeyDown(VK_MBUTTON);
    case 4:
        return isKeyDown(VK_XBUTTON1);
    case 5:
        return isKeyDown(VK_XBUTTON2);
    default:
        return false;
    }
}

std::wstring keyNameText(unsigned makeCode, bool extended) {
    const LONG param = LONG((makeCode & 0xff) << 16) | (extended ? LONG(1) << 24 : 0);
    wchar_t name[64] = {};
    const int length = GetKeyNameTextW(param, name, 64);
    return length > 0 ? std::wstring(name, std::size_t(length)) : std::wstring();
}

std::wstring virtualKeyName(unsigned virtualKey) {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    if (scanCode == 0)
        return {};
    return keyNameText(scanCode, false);
}

} // namespace qv::rawinput
