#include "cable/cable_unpack.h"
#include "cable/unpack_command.h"

#include <QDir>
#include <QFile>

namespace qv::ui {

UnpackCommand unpackCommand(const QString& package, const QString& dir) {
    QString systemRoot = qEnvironmentVariable("SystemRoot");
    if (systemRoot.isEmpty())
        systemRoot = QStringLiteral("C:/Windows");
    const QString tar = QDir(systemRoot).filePath(QStringLiteral("System32/tar.exe"));
    const qv::cable::CommandLine line = qv::cable::windowsUnpackCommand(
        QDir::toNativeSeparators(tar).toStdWString(), QFile::exists(tar),
        QDir::toNativeSeparators(package).toStdWString(),
        QDir::toNativeSeparators(dir).toStdWString());

    UnpackCommand command;
    command.program = QString::fromStdWString(line.program);
    for (const std::wstring& argument : line.arguments)
        command.arguments << QString::fromStdWString(argument);
    return command;
}

} // namespace qv::ui
