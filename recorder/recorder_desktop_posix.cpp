#include "recorder/recorder_desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace qv::ui {

void showFileInDesktop(const QString& file) {
    // There is no common way to ask every file manager to select a file; its folder is shown.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}

} // namespace qv::ui
