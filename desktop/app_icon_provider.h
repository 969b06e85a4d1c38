#pragma once
// The "appicon" image provider: the icon of an application, from its executable's path.

#include <QQuickImageProvider>

namespace qv::ui {

// Request ids are percent-encoded executable paths. Loading is forced asynchronous, since
// reading icons touches the disk. There is no cache here: QML's image cache serves repeated URLs.
class AppIconProvider : public QQuickImageProvider {
public:
    AppIconProvider();

    // The icon scaled into the requested size (32 x 32 without one), keeping its aspect ratio;
    // a null image with an invalid size when the executable has no icon.
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

} // namespace qv::ui
