#include "desktop/hotkey_keymap_x11.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>

#include <array>
#include <cstddef>

namespace qv::ui::x11keys {

namespace {

struct Entry {
    unsigned long keysym;
    int virtualKey;
};

constexpr Entry kNamedKeys[] = {
    // editing and navigation
    {XK_BackSpace, 8},
    {XK_Tab, 9},
    {XK_ISO_Left_Tab, 9},
    {XK_Clear, 12},
    {XK_Return, 13},
    {XK_Pause, 19},
    {XK_Break, 19},
    {XK_Caps_Lock, 20},
    {XK_Escape, 27},
    {XK_space, 32},
    {XK_Prior, 33},
    {XK_Next, 34},
    {XK_End, 35},
    {XK_Home, 36},
    {XK_Left, 37},
    {XK_Up, 38},
    {XK_Right, 39},
    {XK_Down, 40},
    {XK_Select, 41},
    {XK_Execute, 43},
    {XK_Print, 44},
    {XK_Sys_Req, 44},
    {XK_Insert, 45},
    {XK_Delete, 46},
    {XK_Help, 47},
    {XK_Menu, 93},
    {XK_Num_Lock, 144},
    {XK_Scroll_Lock, 145},
    // modifiers, by side
    {XK_Shift_L, 160},
    {XK_Shift_R, 161},
    {XK_Control_L, 162},
    {XK_Control_R, 163},
    {XK_Alt_L, 164},
    {XK_Meta_L, 164},
    {XK_Alt_R, 165},
    {XK_Meta_R, 165},
    {XK_ISO_Level3_Shift, 165}, // AltGr, which Windows reports as the right Alt
    {XK_Super_L, 91},
    {XK_Super_R, 92},
    // keypad: digits and operators as with NumLock on, the rest as without
    {XK_KP_0, 96},
    {XK_KP_1, 97},
    {XK_KP_2, 98},
    {XK_KP_3, 99},
    {XK_KP_4, 100},
    {XK_KP_5, 101},
    {XK_KP_6, 102},
    {XK_KP_7, 103},
    {XK_KP_8, 104},
    {XK_KP_9, 105},
    {XK_KP_Multiply, 106},
    {XK_KP_Add, 107},
    {XK_KP_Separator, 108},
    {XK_KP_Subtract, 109},
    {XK_KP_Decimal, 110},
    {XK_KP_Divide, 111},
    {XK_KP_Enter, 13},
    {XK_KP_Home, 36},
    {XK_KP_Up, 38},
    {XK_KP_Prior, 33},
    {XK_KP_Left, 37},
    {XK_KP_Begin, 12},
    {XK_KP_Right, 39},
    {XK_KP_End, 35},
    {XK_KP_Down, 40},
    {XK_KP_Next, 34},
    {XK_KP_Insert, 45},
    {XK_KP_Delete, 46},
    // media and launch keys
    {XF86XK_Back, 166},
    {XF86XK_Forward, 167},
    {XF86XK_Reload, 168},
    {XF86XK_Refresh, 168},
    {XF86XK_Stop, 169},
    {XF86XK_Search, 170},
    {XF86XK_Favorites, 171},
    {XF86XK_HomePage, 172},
    {XF86XK_AudioMute, 173},
    {XF86XK_AudioLowerVolume, 174},
    {XF86XK_AudioRaiseVolume, 175},
    {XF86XK_AudioNext, 176},
    {XF86XK_AudioPrev, 177},
    {XF86XK_AudioStop, 178},
    {XF86XK_AudioPlay, 179},
    {XF86XK_AudioPause, 179},
    {XF86XK_Mail, 180},
    {XF86XK_AudioMedia, 181},
    {XF86XK_MyComputer, 182},
    {XF86XK_Explorer, 182},
    {XF86XK_Calculator, 183},
    {XF86XK_Sleep, 95},
};

// evdev key numbers (X keycode - 8) of the PC keyboard's main block.
constexpr int kEvdevOffset = 8;
constexpr Entry kPositions[] = {
    {2, '1'},  {3, '2'},  {4, '3'},  {5, '4'},  {6, '5'},  {7, '6'},  {8, '7'},  {9, '8'},
    {10, '9'}, {11, '0'}, {12, 189}, {13, 187}, {16, 'Q'}, {17, 'W'}, {18, 'E'}, {19, 'R'},
    {20, 'T'}, {21, 'Y'}, {22, 'U'}, {23, 'I'}, {24, 'O'}, {25, 'P'}, {26, 219}, {27, 221},
    {30, 'A'}, {31, 'S'}, {32, 'D'}, {33, 'F'}, {34, 'G'}, {35, 'H'}, {36, 'J'}, {37, 'K'},
    {38, 'L'}, {39, 186}, {40, 222}, {41, 192}, {43, 220}, {44, 'Z'}, {45, 'X'}, {46, 'C'},
    {47, 'V'}, {48, 'B'}, {49, 'N'}, {50, 'M'}, {51, 188}, {52, 190}, {53, 191}, {86, 226},
};

} // namespace

int virtualKeyOfKeysym(unsigned long keysym) {
    // Letters and digits follow the layout, as Windows' codes for them do.
    if (keysym >= XK_a && keysym <= XK_z)
        return int(keysym - XK_a) + 'A';
    if ((keysym >= XK_A && keysym <= XK_Z) || (keysym >= XK_0 && keysym <= XK_9))
        return int(keysym);
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return int(keysym - XK_F1) + 112;
    for (const Entry& entry : kNamedKeys) {
        if (entry.keysym == keysym)
            return entry.virtualKey;
    }
    return 0;
}

int virtualKeyOfKeycode(unsigned keycode) {
    const unsigned long evdev = keycode >= kEvdevOffset ? keycode - kEvdevOffset : 0;
    for (const Entry& entry : kPositions) {
        if (entry.keysym == evdev)
            return entry.virtualKey;
    }
    return 0;
}

bool isKeypadKeysym(unsigned long keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

} // namespace qv::ui::x11keys
