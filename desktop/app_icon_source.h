#pragma once
// Per-platform lookup of an application's icon behind AppIconProvider.

#include <QImage>
#include <QSize>
#include <QString>

namespace qv::ui::detail {

// The icon of the executable at exePath at its natural size (target is a hint for scalable
// sources), or a null image. Called on QML's image-loading threads.
QImage loadAppIcon(const QString& exePath, const QSize& target);

} // namespace qv::ui::detail
