#include "cable/cable_elevation.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::ui {

InstallerLaunch launchElevated(const QString&, const QString&, const QString&) {
    // The VB-CABLE installer only runs on Windows; say so instead of pretending it started.
    InstallerLaunch launch;
    launch.error = qv::cable::kErrorNotSupported;
    return launch;
}

std::shared_ptr<void> holdInstallerFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0)
        return nullptr;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<void>(new int(fd), [](void* held) {
        ::close(*static_cast<int*>(held));
        delete static_cast<int*>(held);
    });
}

} // namespace qv::ui
