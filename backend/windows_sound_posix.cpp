// Outside Windows the sound settings are the desktop's: PulseAudio's volume control when it is
// installed (opened at the matching device tab), else GNOME's sound page, else nothing.

#include "backend/windows_sound.h"

#include <QStandardPaths>

namespace qv::ui::sound_panel {

Command command(int tab) {
    const QString pavucontrol = QStandardPaths::findExecutable(QStringLiteral("pavucontrol"));
    if (!pavucontrol.isEmpty()) {
        // pavucontrol's tabs: 3 output devices, 4 input devices.
        const int page = tab == 1 ? 4 : 3;
        return {pavucontrol, {QStringLiteral("--tab=%1").arg(page)}};
    }
    const QString gnome = QStandardPaths::findExecutable(QStringLiteral("gnome-control-center"));
    if (!gnome.isEmpty())
        return {gnome, {QStringLiteral("sound")}};
    return {};
}

} // namespace qv::ui::sound_panel
