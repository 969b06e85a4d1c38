#pragma once
// Whether a window is hidden under other windows. X11 reports a window that is fully obscured
// (without a compositing window manager) but Qt does not pass that on, so the window keeps
// drawing frames nobody sees; the meters read the dynamic property "qvCovered" that this sets
// (true while fully covered) and stop. Where the platform has no such report (Windows, whose
// compositor keeps every window's picture, Wayland, offscreen) nothing is ever set.

class QWindow;

namespace qv::ui {

// From now on keeps w's "qvCovered" property up to date; creates w's native window.
void watchWindowCover(QWindow* w);

} // namespace qv::ui
