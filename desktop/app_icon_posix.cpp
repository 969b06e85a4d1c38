// Application icons on Linux and other XDG desktops: the icon theme's icon named after the
// executable, else the icon of the desktop entry that runs it.

#include "desktop/app_icon_source.h"

#include "desktop/desktop_entries.h"

#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QMutex>
#include <QPixmap>
#include <QStandardPaths>

namespace qv::ui::detail {

namespace {

// QIcon's theme loader keeps unguarded caches, and this runs on QML's loader threads.
QMutex themeMutex;

QImage themeIcon(const QString& name, const QSize& target) {
    if (name.isEmpty() || name.contains(u'/'))
        return {};
    QMutexLocker lock(&themeMutex);
    if (!QIcon::hasThemeIcon(name))
        return {};
    return QIcon::fromTheme(name).pixmap(target, 1.0).toImage();
}

QImage fileIcon(const QString& path, const QSize& target) {
    QImageReader reader(path);
    const QByteArray format = reader.format();
    if (format == "svg" || format == "svgz") {
        // Scalable: draw it at the wanted size rather than scaling a bitmap later.
        const QSize natural = reader.size();
        if (natural.isValid() && !natural.isEmpty())
            reader.setScaledSize(natural.scaled(target, Qt::KeepAspectRatio));
    }
    return reader.read();
}

// The icon a desktop entry names: a file path, or a theme name with the old "pixmaps" folders
// as the last resort (some entries still name a file there, extension included).
QImage namedIcon(const QString& icon, const QSize& target, const QStringList& dataDirs) {
    if (QFileInfo(icon).isAbsolute())
        return fileIcon(icon, target);
    QString name = icon;
    for (const char* ext : {".png", ".svg", ".xpm"}) {
        if (name.endsWith(QLatin1String(ext))) {
            name.chop(4);
            break;
        }
    }
    QImage image = themeIcon(name, target);
    if (!image.isNull() || name.contains(u'/'))
        return image;
    for (const QString& dir : dataDirs) {
        for (const char* ext : {".png", ".svg", ".xpm"}) {
            const QString path = dir + QStringLiteral("/pixmaps/") + name + QLatin1String(ext);
            if (QFileInfo::exists(path)) {
                image = fileIcon(path, target);
                if (!image.isNull())
                    return image;
            }
        }
    }
    return {};
}

} // namespace

QImage loadAppIcon(const QString& exePath, const QSize& target) {
    QString name = QFileInfo(exePath).fileName();
    // Paths reported for Windows programs (tests, a remote engine) end in ".exe".
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    QImage image = themeIcon(name, target);
    if (image.isNull() && name != name.toLower())
        image = themeIcon(name.toLower(), target);
    if (!image.isNull())
        return image;

    const QStringList dataDirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    const QString icon = desktopIconFor(exePath, dataDirs);
    return icon.isEmpty() ? QImage() : namedIcon(icon, target, dataDirs);
}

} // namespace qv::ui::detail
