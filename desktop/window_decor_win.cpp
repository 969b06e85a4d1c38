// Rounded corners for frameless windows through DWM (Windows 11; older systems refuse the
// attribute and keep square corners, which is fine).

#include "desktop/window_decor.h"

#include <QWindow>

#include <windows.h>

#include <dwmapi.h>

namespace qv::ui::detail {

namespace {
// Spelled out: older SDK headers (MinGW among them) lack these names.
constexpr DWORD kWindowCornerPreference = 33; // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kCornerRound = 2;             // DWMWCP_ROUND
} // namespace

void requestRoundCorners(QWindow* w) {
    if (!w)
        return;
    const HWND hwnd = reinterpret_cast<HWND>(w->winId());
    const DWORD preference = kCornerRound;
    // The result is deliberately ignored: a refusal only means square corners.
    DwmSetWindowAttribute(hwnd, kWindowCornerPreference, &preference, sizeof(preference));
}

} // namespace qv::ui::detail
