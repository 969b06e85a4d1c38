// Application icons on Windows: the first large icon of the executable.

#include "desktop/app_icon_source.h"

#include <QDir>

#include <windows.h>

#include <shellapi.h>

namespace qv::ui::detail {

QImage loadAppIcon(const QString& exePath, const QSize&) {
    const QString native = QDir::toNativeSeparators(exePath);
    HICON large = nullptr;
    const UINT count =
        ExtractIconExW(reinterpret_cast<LPCWSTR>(native.utf16()), 0, &large, nullptr, 1);
    QImage image;
    if (count != 0 && large)
        image = QImage::fromHICON(large);
    if (large)
        DestroyIcon(large);
    return image;
}

} // namespace qv::ui::detail
