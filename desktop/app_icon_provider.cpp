#include "desktop/app_icon_provider.h"

#include "desktop/app_icon_source.h"

#include <QUrl>

namespace qv::ui {

AppIconProvider::AppIconProvider()
    : QQuickImageProvider(QQuickImageProvider::Image,
                          QQmlImageProviderBase::ForceAsynchronousImageLoading) {}

QImage AppIconProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    const QSize target =
        requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(32, 32);
    const QString path = QUrl::fromPercentEncoding(id.toUtf8());

    QImage image = path.isEmpty() ? QImage() : detail::loadAppIcon(path, target);
    if (!image.isNull() && image.size() != target)
        image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (size)
        *size = image.isNull() ? QSize() : image.size();
    return image;
}

} // namespace qv::ui
