#pragma once
// PreviewImages: the QML image provider "qvpreview". QML asks for "image://qvpreview/<serial>",
// so every new preview serial forces a reload; the id and the requested size are not used.
// Called on QML's image thread: the frame is copied under the Recorder's lock.

#include <QQuickImageProvider>

namespace qv::ui {

class Recorder;

class PreviewImages : public QQuickImageProvider {
public:
    explicit PreviewImages(Recorder* recorder);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    Recorder* m_recorder;
};

} // namespace qv::ui
