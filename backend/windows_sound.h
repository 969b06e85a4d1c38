#pragma once
// Where the system's own sound settings live. On Windows that is the classic sound control panel
// ("control.exe mmsys.cpl,,<tab>"); elsewhere (the demo and development builds) the desktop's
// mixer when one is installed. One implementation per platform: windows_sound_win.cpp and
// windows_sound_posix.cpp.

#include <QString>
#include <QStringList>

namespace qv::ui::sound_panel {

struct Command {
    QString program; // empty: this system has nothing to open
    QStringList arguments;
};

// The program that opens the sound settings at `tab`, numbered as the Windows panel numbers its
// tabs (0 playback devices, 1 recording devices).
Command command(int tab);

} // namespace qv::ui::sound_panel
