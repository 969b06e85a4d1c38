#pragma once
// The picture that stands in for the live preview when the capture tool is missing (demo and
// screenshot modes), and the scaler that fits it into the preview size.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace qv::ui {

// The size the tool would capture for `target`: windows ("w…") 1280x960 for "w2" and 1600x900
// otherwise, screens 1920x1080.
QSize placeholderSourceSize(const QString& target);

// A desktop painted at a quarter of the target's source size: a dark blue-to-violet gradient,
// a few flat window rectangles, a taskbar strip for screens and the caption in the middle.
QImage paintPlaceholder(const QString& target, const QString& caption);

// The largest centred rectangle of the source's shape inside `target` (each side at least 1).
QRect previewFitRect(QSize source, QSize target);

// Halves a picture by averaging 2x2 blocks, rounded; odd last rows and columns are dropped.
QImage halvePicture(const QImage& picture);

// Resamples bilinearly to `size` with 8-bit fractional weights, rounded; pixel centres map onto
// pixel centres, and an unchanged size copies the picture exactly.
QImage bilinearPicture(const QImage& picture, QSize size);

// Fits `picture` into an opaque black image of `size`, keeping its shape: halved while it is at
// least twice the fitted size in both directions, then resampled bilinearly.
QImage scalePreview(const QImage& picture, QSize size);

} // namespace qv::ui
