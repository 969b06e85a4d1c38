#pragma once
// Per-platform window decoration behind WindowTools::decorate.

class QWindow;

namespace qv::ui::detail {

// Asks the window manager for rounded corners on w's native window; failures leave square
// corners. Platforms without such a request do nothing.
void requestRoundCorners(QWindow* w);

} // namespace qv::ui::detail
