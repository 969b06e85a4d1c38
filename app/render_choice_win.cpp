#include "app/render_choice.h"

#include "app/render_adapter_win32.h"

namespace qv::ui {

QString graphicsRendererName() {
    return QString::fromStdWString(render::firstAdapterName());
}

} // namespace qv::ui
