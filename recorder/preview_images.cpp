#include "recorder/preview_images.h"

#include "recorder/recorder.h"

namespace qv::ui {

PreviewImages::PreviewImages(Recorder* recorder)
    : QQuickImageProvider(QQuickImageProvider::Image), m_recorder(recorder) {}

QImage PreviewImages::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    Q_UNUSED(id);
    Q_UNUSED(requestedSize);
    const QImage image = m_recorder ? m_recorder->previewImage() : QImage();
    if (size)
        *size = image.size();
    return image;
}

} // namespace qv::ui
