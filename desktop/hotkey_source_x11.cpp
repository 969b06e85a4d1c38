// X11: XInput2 raw key and button events of the whole display. They are read on a connection of
// our own (Qt's stays untouched), selected on the root window, so they arrive whichever window
// has the focus; raw events are copies, nothing is grabbed or taken from other programs.

#include "desktop/hotkey_source.h"

#include "desktop/hotkey_keymap_x11.h"
#include "desktop/hotkey_keys.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace qv::ui {

namespace {

// XInput2 raw button numbers of the middle button and the two side buttons.
int mouseButtonOf(int rawButton) {
    switch (rawButton) {
    case 2:
        return 3;
    case 8:
        return 4;
    case 9:
        return 5;
    default:
        return 0; // left, right, the wheel's turns and anything else
    }
}

// Set while the selection is made: Xlib's default handler would end the whole program on an
// error, where a server that refuses raw events should only leave the hotkeys unavailable.
bool selectionFailed = false;

int noteSelectionError(Display*, XErrorEvent*) {
    selectionFailed = true;
    return 0;
}

bool printable(char32_t c) {
    return (c > 0x20 && c < 0x7f) || (c > 0xa0 && c <= 0x10ffff && !(c >= 0xd800 && c < 0xe000));
}

class XInputSource final : public HotkeySource {
public:
    ~XInputSource() override {
        notifier_.reset();
        if (display_)
            XCloseDisplay(display_);
    }

    bool start(HotkeyInput& input) override {
        // Raw events reach only X clients: under Wayland, or with no display at all (offscreen),
        // the input of the session's other programs cannot be observed.
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return false;
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return false;
        int event = 0;
        int error = 0;
        int major = 2;
        int minor = 2;
        if (!XQueryExtension(display_, "XInputExtension", &opcode_, &event, &error) ||
            XIQueryVersion(display_, &major, &minor) != Success || major < 2) {
            return giveUp();
        }
        unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
        XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
        selectionFailed = false;
        const auto previousHandler = XSetErrorHandler(noteSelectionError);
        XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
        XSync(display_, False);
        XSetErrorHandler(previousHandler);
        if (selectionFailed) {
            return giveUp();
        }

        input_ = &input;
        notifier_ =
            std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { drain(); });
        drain();
        return true;
    }

    QString keyName(const HotkeyKey& key) const override {
        if (!display_)
            return {};
        return nameOf(key.scanCode, key.virtualKey);
    }

    QString virtualKeyName(int virtualKey) const override {
        if (!display_)
            return {};
        int first = 0;
        int last = 0;
        XDisplayKeycodes(display_, &first, &last);
        for (int keycode = first; keycode <= last; ++keycode) {
            const int found = virtualKeyOf(unsigned(keycode));
            if (found != 0 && keys::normalized(found) == virtualKey)
                return nameOf(unsigned(keycode), found);
        }
        return {};
    }

    // The server's own key state; a key-up the raw events never brought shows here.
    HeldState keyState(int virtualKey) const override {
        if (!display_)
            return HeldState::Unknown;
        char down[32] = {};
        XQueryKeymap(display_, down);
        for (unsigned keycode = 8; keycode < 256; ++keycode) {
            if ((down[keycode / 8] & (1 << (keycode % 8))) &&
                keys::normalized(virtualKeyOf(keycode)) == virtualKey)
                return HeldState::Down;
        }
        return HeldState::Up;
    }

    HeldState buttonState(int button) const override {
        const int rawButton = button == 3 ? 2 : button == 4 ? 8 : button == 5 ? 9 : 0;
        int pointer = 0;
        if (!display_ || rawButton == 0 || !XIGetClientPointer(display_, None, &pointer))
            return HeldState::Unknown;
        Window root = 0, child = 0;
        double rootX = 0, rootY = 0, x = 0, y = 0;
        XIButtonState buttons{};
        XIModifierState modifiers{};
        XIGroupState group{};
        if (!XIQueryPointer(display_, pointer, DefaultRootWindow(display_), &root, &child, &rootX,
                            &rootY, &x, &y, &buttons, &modifiers, &group))
            return HeldState::Unknown;
        const bool down = rawButton < buttons.mask_len * 8 && XIMaskIsSet(buttons.mask, rawButton);
        XFree(buttons.mask);
        return down ? HeldState::Down : HeldState::Up;
    }

private:
    bool giveUp() {
        XCloseDisplay(display_);
        display_ = nullptr;
        return false;
    }

    // Xlib may have read events off the socket already while answering a request, so the
    // queue is emptied completely on every wake-up.
    void drain() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != opcode_ ||
                !XGetEventData(display_, cookie))
                continue;
            const int type = cookie->evtype;
            const int detail = static_cast<const XIRawEvent*>(cookie->data)->detail;
            XFreeEventData(display_, cookie);
            dispatch(type, detail);
        }
    }

    void dispatch(int type, int detail) {
        switch (type) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease: {
            const auto keycode = unsigned(detail);
            // Keys without a Windows code cannot be stored in a binding.
            if (const int virtualKey = virtualKeyOf(keycode))
                input_->keyEvent(HotkeyKey{virtualKey, type == XI_RawKeyPress, keycode, false});
            break;
        }
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            if (const int button = mouseButtonOf(detail))
                input_->mouseEvent(button, type == XI_RawButtonPress);
            break;
        default:
            break;
        }
    }

    KeySym symbolOf(unsigned keycode) const {
        const KeySym base = XkbKeycodeToKeysym(display_, KeyCode(keycode), 0, 0);
        // A keypad key is bound by its digit whatever the NumLock state, so one binding works
        // both ways.
        if (x11keys::isKeypadKeysym(base)) {
            const KeySym numeric = XkbKeycodeToKeysym(display_, KeyCode(keycode), 0, 1);
            if (x11keys::isKeypadKeysym(numeric) && x11keys::virtualKeyOfKeysym(numeric) != 0)
                return numeric;
        }
        return base;
    }

    int virtualKeyOf(unsigned keycode) const {
        if (keycode > 255)
            return 0;
        const int virtualKey = x11keys::virtualKeyOfKeysym(symbolOf(keycode));
        return virtualKey != 0 ? virtualKey : x11keys::virtualKeyOfKeycode(keycode);
    }

    QString nameOf(unsigned keycode, int virtualKey) const {
        // X names each side of a modifier ("Control_R"), while a binding covers both.
        switch (keys::normalized(virtualKey)) {
        case keys::kShift:
            return QStringLiteral("Shift");
        case keys::kCtrl:
            return QStringLiteral("Ctrl");
        case keys::kAlt:
            return QStringLiteral("Alt");
        case keys::kLeftWin:
            return QStringLiteral("Win");
        default:
            break;
        }
        if (keycode > 255)
            return {};
        const KeySym symbol = symbolOf(keycode);
        if (symbol == NoSymbol)
            return {};
        // Characters by their capital, as key caps show them; other keys by their X name.
        char32_t character = 0;
        if (symbol < 0x100)
            character = char32_t(symbol);
        else if ((symbol & 0xff000000) == 0x01000000)
            character = char32_t(symbol & 0x00ffffff);
        if (character != 0 && printable(character))
            return QString::fromUcs4(&character, 1).toUpper();
        const char* name = XKeysymToString(symbol);
        if (!name || !*name)
            return {};
        QString text = QString::fromLatin1(name).replace(QLatin1Char('_'), QLatin1Char(' '));
        text[0] = text[0].toUpper(); // "space" -> "Space"
        return text;
    }

    Display* display_ = nullptr;
    int opcode_ = 0;
    HotkeyInput* input_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

std::unique_ptr<HotkeySource> createHotkeySource() {
    return std::make_unique<XInputSource>();
}

} // namespace qv::ui
