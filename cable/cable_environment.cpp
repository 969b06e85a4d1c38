// Where the cable setup finds the vendor, its folders and the system's calls.
#include "cable/cable_setup.h"
#include "cable/cable_signature.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QStandardPaths>

namespace qv::ui {

namespace {

const char kDownloadServer[] = "https://download.vb-audio.com";
const char kSite[] = "https://vb-audio.com";

} // namespace

CableSystem CableSystem::real() {
    CableSystem system;
    system.unpackCommand = &qv::ui::unpackCommand;
    system.verifySignature = &verifyInstallerSignature;
    system.launchElevated = &qv::ui::launchElevated;
    system.openUrl = [](const QUrl& page) { QDesktopServices::openUrl(page); };
    system.holdInstaller = &qv::ui::holdInstallerFile;
    return system;
}

CableEnvironment CableEnvironment::fromSystem() {
    CableEnvironment env;
    env.downloadServer = QUrl(QString::fromLatin1(kDownloadServer));
    env.site = QUrl(QString::fromLatin1(kSite));
    // On Windows the generic data location is the local application-data folder.
    // Without one the work folder stays empty: nothing is searched, saving fails and is
    // reported, and no folder outside the program's own is ever deleted.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        env.workFolder = data + QStringLiteral("/QUORVEL/vbcable");
    env.programFolder = QCoreApplication::applicationDirPath();
    env.system = CableSystem::real();
    return env;
}

} // namespace qv::ui
