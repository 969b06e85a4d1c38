#pragma once
// Just enough of the XDG desktop entry format to find the icon of an installed program.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qv::ui::detail {

struct DesktopEntry {
    QString exec;
    QString tryExec;
    QString icon;
    bool hidden = false;
};

// The [Desktop Entry] group of a .desktop file (unlocalised keys only).
DesktopEntry parseDesktopEntry(const QByteArray& text);

// The program an Exec value runs: its first word with quoting and escapes undone, skipping a
// leading "env" and its NAME=value assignments.
QString execProgram(const QString& exec);

// The Icon value of the desktop entry, under the "applications" folders of dataDirs (searched in
// order, sub-folders included), that runs exePath; an entry naming exactly that path wins over
// one naming only its file name. Empty when there is none.
QString desktopIconFor(const QString& exePath, const QStringList& dataDirs);

} // namespace qv::ui::detail
