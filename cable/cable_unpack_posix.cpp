#include "cable/cable_unpack.h"

#include <QDir>
#include <QStandardPaths>

namespace qv::ui {

UnpackCommand unpackCommand(const QString& package, const QString& dir) {
    // bsdtar takes the archive name literally (unzip would expand wildcards in it) and refuses
    // entries that climb out of the target folder.
    QString program = QStandardPaths::findExecutable(QStringLiteral("bsdtar"));
    if (program.isEmpty())
        program = QStringLiteral("bsdtar"); // fails to start, which the setup reports
    return {program,
            {QStringLiteral("-xf"), QDir::toNativeSeparators(package), QStringLiteral("-C"),
             QDir::toNativeSeparators(dir)}};
}

} // namespace qv::ui
