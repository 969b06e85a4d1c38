#include "recorder/preview_placeholder.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace qv::ui {
namespace {

constexpr QRgb kOpaque = 0xff000000u;

QImage asRgb32(const QImage& picture) {
    return picture.format() == QImage::Format_RGB32 ? picture
                                                    : picture.convertToFormat(QImage::Format_RGB32);
}

// Source position (in 1/256 of a pixel, clamped to the picture) of destination pixel `x` when
// `from` pixels are stretched over `to`.
int sourcePosition(int x, int from, int to) {
    const std::int64_t pos = (std::int64_t(2 * x + 1) * from * 128) / to - 128;
    return int(std::clamp<std::int64_t>(pos, 0, std::int64_t(from - 1) * 256));
}

} // namespace

QSize placeholderSourceSize(const QString& target) {
    if (target.startsWith(QLatin1Char('w')))
        return target == QLatin1String("w2") ? QSize(1280, 960) : QSize(1600, 900);
    return QSize(1920, 1080);
}

QImage paintPlaceholder(const QString& target, const QString& caption) {
    const QSize size = placeholderSourceSize(target) / 4;
    const bool window = target.startsWith(QLatin1Char('w'));
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(QPointF(0, 0), QPointF(size.width(), size.height()));
    gradient.setColorAt(0, QColor(29, 43, 69));
    gradient.setColorAt(1, QColor(58, 31, 61));
    p.fillRect(image.rect(), gradient);

    // Flat "windows", in proportion to the picture, clear of the corners and the taskbar.
    const int w = size.width(), h = size.height();
    p.fillRect(QRect(w * 8 / 100, h * 12 / 100, w * 40 / 100, h * 45 / 100), QColor(36, 38, 46));
    p.fillRect(QRect(w * 55 / 100, h * 20 / 100, w * 34 / 100, h * 38 / 100), QColor(30, 32, 40));
    p.fillRect(QRect(w * 30 / 100, h * 62 / 100, w * 36 / 100, h * 20 / 100), QColor(42, 44, 54));
    if (!window)
        p.fillRect(QRect(0, h - 14, w, 14), QColor(20, 21, 24));

    QFont font = p.font();
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(242, 169, 59));
    p.drawText(image.rect(), Qt::AlignCenter, caption);
    p.end();
    return image;
}

QRect previewFitRect(QSize source, QSize target) {
    const std::int64_t sw = std::max(source.width(), 1), sh = std::max(source.height(), 1);
    const std::int64_t tw = std::max(target.width(), 1), th = std::max(target.height(), 1);
    std::int64_t fw = tw, fh = th;
    if (sw * th >= sh * tw) // wider than the target (or the same shape): full width
        fh = std::max<std::int64_t>(1, (tw * sh + sw / 2) / sw);
    else
        fw = std::max<std::int64_t>(1, (th * sw + sh / 2) / sh);
    return QRect(int((tw - fw) / 2), int((th - fh) / 2), int(fw), int(fh));
}

QImage halvePicture(const QImage& picture) {
    const QImage src = asRgb32(picture);
    QImage out(src.width() / 2, src.height() / 2, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        const auto* r0 = reinterpret_cast<const QRgb*>(src.constScanLine(2 * y));
        const auto* r1 = reinterpret_cast<const QRgb*>(src.constScanLine(2 * y + 1));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb a = r0[2 * x], b = r0[2 * x + 1], c = r1[2 * x], d = r1[2 * x + 1];
            const int red = (qRed(a) + qRed(b) + qRed(c) + qRed(d) + 2) / 4;
            const int green = (qGreen(a) + qGreen(b) + qGreen(c) + qGreen(d) + 2) / 4;
            const int blue = (qBlue(a) + qBlue(b) + qBlue(c) + qBlue(d) + 2) / 4;
            o[x] = kOpaque | qRgb(red, green, blue);
        }
    }
    return out;
}

QImage bilinearPicture(const QImage& picture, QSize size) {
    const QImage src = asRgb32(picture);
    QImage out(size, QImage::Format_RGB32);
    if (src.isNull() || out.isNull())
        return out;
    const int sw = src.width(), sh = src.height();
    for (int y = 0; y < out.height(); ++y) {
        const int sy = sourcePosition(y, sh, out.height());
        const int y0 = sy >> 8, y1 = std::min(y0 + 1, sh - 1), fy = sy & 255;
        const auto* r0 = reinterpret_cast<const QRgb*>(src.constScanLine(y0));
        const auto* r1 = reinterpret_cast<const QRgb*>(src.constScanLine(y1));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int sx = sourcePosition(x, sw, out.width());
            const int x0 = sx >> 8, x1 = std::min(x0 + 1, sw - 1), fx = sx & 255;
            // The four weights add up to 65536.
            const std::uint32_t w00 = (256 - fx) * (256 - fy), w10 = fx * (256 - fy);
            const std::uint32_t w01 = (256 - fx) * fy, w11 = fx * fy;
            const QRgb a = r0[x0], b = r0[x1], c = r1[x0], d = r1[x1];
            auto mix = [&](int (*channel)(QRgb)) {
                return int((channel(a) * w00 + channel(b) * w10 + channel(c) * w01 +
                            channel(d) * w11 + 32768) >>
                           16);
            };
            o[x] = kOpaque | qRgb(mix(qRed), mix(qGreen), mix(qBlue));
        }
    }
    return out;
}

QImage scalePreview(const QImage& picture, QSize size) {
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(kOpaque);
    if (picture.isNull())
        return out;
    const QRect fit = previewFitRect(picture.size(), size);
    QImage current = asRgb32(picture);
    while (current.width() >= 2 * fit.width() && current.height() >= 2 * fit.height())
        current = halvePicture(current);
    const QImage fitted = bilinearPicture(current, fit.size());
    for (int y = 0; y < fit.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(fitted.constScanLine(y)), fit.width(),
                    reinterpret_cast<QRgb*>(out.scanLine(fit.y() + y)) + fit.x());
    return out;
}

} // namespace qv::ui
