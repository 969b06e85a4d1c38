// X11, Wayland and offscreen have no per-window corner request: the compositor decides.

#include "desktop/window_decor.h"

namespace qv::ui::detail {

void requestRoundCorners(QWindow*) {}

} // namespace qv::ui::detail
