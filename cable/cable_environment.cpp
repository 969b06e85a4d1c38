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
const char kBaseUrlVariable[] = "QUORVEL_CABLE_BASE_URL";

// A usable replacement of the download server: an absolute http(s) address with a host.
QUrl serverOverride() {
    const QString text = qEnvironmentVariable(kBaseUrlVariable).trimmed();
    if (text.isEmpty())
        return {};
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        qWarning("%s is not an http or https address; using the vendor's server", kBaseUrlVariable);
        return {};
    }
    return url;
}

} // namespace

CableSystem CableSystem::real() {
    CableSystem system;
    system.unpackCommand = &qv::ui::unpackCommand;
    system.verifySignature = &verifyInstallerSignature;
    system.launchElevated = &qv::ui::launchElevated;
    system.openUrl = [](const QUrl& page) { QDesktopServices::openUrl(page); };
    return system;
}

CableEnvironment CableEnvironment::fromSystem() {
    CableEnvironment env;
    const QUrl override = serverOverride();
    env.downloadServer = override.isEmpty() ? QUrl(QString::fromLatin1(kDownloadServer)) : override;
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
