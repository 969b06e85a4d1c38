#pragma once
// What the recorder asks of the desktop: a folder picker, opening a folder in the file manager
// and showing one file there. Tests replace these with recorders of the calls.
//
//   Windows  showFile starts "explorer.exe" with "/select," and the file
//   POSIX    showFile opens the file's folder (file managers differ in how to select a file)

#include <QString>

#include <functional>

namespace qv::ui {

struct RecorderDesktop {
    // A directory picker titled `title` starting at `start`; empty when the user cancels.
    std::function<QString(const QString& title, const QString& start)> pickFolder;
    std::function<void(const QString& folder)> openFolder;
    std::function<void(const QString& file)> showFile;
};

// The real desktop of this system.
RecorderDesktop systemRecorderDesktop();

// Its showFile, one per system (recorder_desktop_<os>.cpp).
void showFileInDesktop(const QString& file);

} // namespace qv::ui
