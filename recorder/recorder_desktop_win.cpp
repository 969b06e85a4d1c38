#include "recorder/recorder_desktop.h"

#include <QDir>
#include <QProcess>

namespace qv::ui {

void showFileInDesktop(const QString& file) {
    // Explorer opens the folder with the file selected.
    QProcess::startDetached(QStringLiteral("explorer.exe"),
                            {QStringLiteral("/select,"), QDir::toNativeSeparators(file)});
}

} // namespace qv::ui
