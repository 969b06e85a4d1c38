#include "recorder/recorder_desktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace qv::ui {

RecorderDesktop systemRecorderDesktop() {
    RecorderDesktop desktop;
    desktop.pickFolder = [](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(nullptr, title, start, QFileDialog::ShowDirsOnly);
    };
    desktop.openFolder = [](const QString& folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    };
    desktop.showFile = showFileInDesktop;
    return desktop;
}

} // namespace qv::ui
