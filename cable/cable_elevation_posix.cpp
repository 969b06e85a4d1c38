#include "cable/cable_elevation.h"

namespace qv::ui {

InstallerLaunch launchElevated(const QString&, const QString&, const QString&) {
    // The VB-CABLE installer only runs on Windows; say so instead of pretending it started.
    InstallerLaunch launch;
    launch.error = qv::cable::kErrorNotSupported;
    return launch;
}

} // namespace qv::ui
