#pragma once
// The "icon" image provider: the interface's line icons at any size, colour and stroke width.

#include <QHash>
#include <QQuickImageProvider>
#include <QString>

namespace qv::ui {

// Request ids look like "check?c=15120A&w=2.6": an icon name, then optionally the colour as six
// hexadecimal digits and the stroke width in view-box units (of a 24 x 24 box).
class LineIconProvider : public QQuickImageProvider {
public:
    LineIconProvider();

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

    // Icon name -> SVG path data in a 24 x 24 view box; a leading "@" marks a filled shape.
    static const QHash<QString, QString>& table();
};

} // namespace qv::ui
