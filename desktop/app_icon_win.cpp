// Application icons on Windows: the first large icon of the executable (app_icon_win32).

#include "desktop/app_icon_source.h"

#include "desktop/app_icon_win32.h"

#include <QDir>

#include <cstring>

namespace qv::ui::detail {

QImage loadAppIcon(const QString& exePath, const QSize&) {
    const appicon::IconPixels icon =
        appicon::extractFirstIcon(QDir::toNativeSeparators(exePath).toStdWString());
    if (icon.empty())
        return {};
    // Format_ARGB32 holds each pixel as one 0xAARRGGBB word, as the pixels come.
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const std::size_t rowBytes = std::size_t(icon.width) * sizeof(std::uint32_t);
    for (int y = 0; y < icon.height; ++y)
        std::memcpy(image.scanLine(y), icon.argb.data() + std::size_t(y) * icon.width, rowBytes);
    return image;
}

} // namespace qv::ui::detail
