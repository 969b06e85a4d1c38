#pragma once
// The process that unpacks the driver package into a folder.
//
//   Windows  SystemRoot\System32\tar.exe -xf <package> -C <dir>, or PowerShell's Expand-Archive
//   POSIX    bsdtar -xf <package> -C <dir> (the same libarchive tool Windows ships as tar.exe)
//
// Arguments always go to the process as a list; no shell ever parses a path.

#include <QString>
#include <QStringList>

namespace qv::ui {

struct UnpackCommand {
    QString program;
    QStringList arguments;
};

UnpackCommand unpackCommand(const QString& package, const QString& dir);

} // namespace qv::ui
