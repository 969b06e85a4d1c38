#pragma once
// Running the driver's installer with administrator rights.
//
//   Windows  ShellExecuteExW "runas" (runas_win.h); the process handle is watched with a
//            QWinEventNotifier and closed when the installer ends or the watch is destroyed
//   POSIX    the installer is a Windows program: the start fails with ERROR_NOT_SUPPORTED

#include "cable/trust_codes.h"

#include <QObject>
#include <QString>

#include <memory>

namespace qv::ui {

// A started installer. Emits finished() once, when the process has ended; its handle is
// closed by then. Destroying the object stops watching and closes the handle; the installer
// itself goes on running.
class InstallerProcess : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void finished();
};

struct InstallerLaunch {
    quint32 error = 0; // 0 started; ERROR_CANCELLED when the user declined; else the error code
    std::unique_ptr<InstallerProcess> process; // null when Windows gave no process handle
};

// Starts `program` elevated with `parameters`, working in `folder` (native paths).
InstallerLaunch launchElevated(const QString& program, const QString& parameters,
                               const QString& folder);

// Keeps the installer at `path` open from its signature check until its start has returned, so
// the file started is the file checked. Windows opens it sharing only reading: while it is held
// nobody can write, rename, replace or delete it. Null when it cannot be held (gone, not a plain
// file). POSIX cannot forbid such changes; the installer never starts there anyway.
std::shared_ptr<void> holdInstallerFile(const QString& path);

} // namespace qv::ui
