// The Windows sound control panel, opened at one of its tabs.

#include "backend/windows_sound.h"

namespace qv::ui::sound_panel {

Command command(int tab) {
    return {QStringLiteral("control.exe"), {QStringLiteral("mmsys.cpl,,%1").arg(tab)}};
}

} // namespace qv::ui::sound_panel
