#include "desktop/line_icon_provider.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrlQuery>

#include <algorithm>

namespace qv::ui {

namespace {

const QString kDefaultColour = QStringLiteral("E8E6E1");
const QString kDefaultStroke = QStringLiteral("1.8");
constexpr double kMaxStroke = 24.0; // the whole view box

// Both values are pasted into SVG text, so only their plain forms pass; anything else (a URL
// crafted to close the attribute and add markup, a colour name, a negative width) takes the
// default instead.
bool isHexColour(const QString& c) {
    if (c.size() != 6)
        return false;
    return std::all_of(c.begin(), c.end(), [](QChar ch) {
        return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') ||
               (ch >= u'A' && ch <= u'F');
    });
}

bool isPlainStroke(const QString& w) {
    int digits = 0;
    int points = 0;
    for (QChar ch : w) {
        if (ch >= u'0' && ch <= u'9')
            ++digits;
        else if (ch == u'.')
            ++points;
        else
            return false;
    }
    if (digits == 0 || points > 1)
        return false;
    bool ok = false;
    const double value = w.toDouble(&ok);
    return ok && value >= 0.0 && value <= kMaxStroke;
}

} // namespace

LineIconProvider::LineIconProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage LineIconProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    const qsizetype mark = id.indexOf(u'?');
    const QString name = mark < 0 ? id : id.left(mark);
    const QUrlQuery query(mark < 0 ? QString() : id.mid(mark + 1));

    QString colour = query.queryItemValue(QStringLiteral("c"), QUrl::FullyDecoded);
    if (!isHexColour(colour))
        colour = kDefaultColour;
    QString stroke = query.queryItemValue(QStringLiteral("w"), QUrl::FullyDecoded);
    if (!isPlainStroke(stroke))
        stroke = kDefaultStroke;

    const QSize target =
        requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(24, 24);
    if (size)
        *size = target;

    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    const auto found = table().constFind(name);
    if (found == table().constEnd())
        return image;

    QString path = *found;
    QString fill = QStringLiteral("none");
    if (path.startsWith(u'@')) {
        path.remove(0, 1);
        fill = u'#' + colour;
        stroke = QStringLiteral("0");
    }
    const QString svg =
        QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 24 24' fill='%1' "
                       "stroke='#%2' stroke-width='%3' stroke-linecap='round' "
                       "stroke-linejoin='round'><path d='%4'/></svg>")
            .arg(fill, colour, stroke, path);

    QSvgRenderer renderer(svg.toUtf8());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(target)));
    return image;
}

} // namespace qv::ui
