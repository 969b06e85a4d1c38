// The live preview of the screen recorder: the shared block, the preview process, the 50 ms
// poll with the sequence protocol, and the painted placeholder when the tool is missing.

#include "recorder/recorder.h"

#include "recorder/preview_block.h"
#include "recorder/preview_frame.h"
#include "recorder/preview_placeholder.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QProcess>

#include <algorithm>

namespace qv::ui {

bool Recorder::ensurePreviewBlock() {
    if (m_block->valid())
        return true;
    if (!m_block->create(static_cast<unsigned long>(QCoreApplication::applicationPid()))) {
        qWarning("QUORVEL: no capture preview: %s", m_block->error().c_str());
        return false;
    }
    m_lastSequence = 0;
    return true;
}

QString Recorder::previewBlockName() const {
    return QString::fromStdString(m_block->name());
}

QString Recorder::previewSizeText() const {
    return QStringLiteral("%1x%2").arg(m_previewSize.width()).arg(m_previewSize.height());
}

bool Recorder::previewReady() const {
    QMutexLocker lock(&m_imageMutex);
    return !m_image.isNull();
}

QImage Recorder::previewImage() const {
    QMutexLocker lock(&m_imageMutex);
    return m_image;
}

void Recorder::setPreviewImage(QImage image) {
    {
        QMutexLocker lock(&m_imageMutex);
        m_image = std::move(image);
    }
    ++m_previewSerial;
    emit previewChanged();
}

void Recorder::setPreviewNote(const QString& note) {
    if (note == m_previewNote)
        return;
    m_previewNote = note;
    emit previewChanged();
}

void Recorder::startPreview(const QString& target, int width, int height) {
    Q_UNUSED(height); // the shape is always 16:9, like the block
    const int w = std::clamp(width, 160, int(rec::kPreviewMaxWidth)) & ~1;
    m_previewSize = QSize(w, (w * 9 / 16) & ~1);
    const bool same = m_previewOn && target == m_previewTarget;
    m_previewOn = true;

    if (!m_available) {
        m_previewTarget = target;
        showPlaceholder();
        return;
    }
    if (m_video) { // the recording feeds the block
        send(m_video, QStringLiteral("preview on\n"));
        m_previewTarget = m_videoTarget;
        m_previewTimer.start();
        return;
    }
    if (m_preview && same)
        return;
    m_previewTarget = target;
    if (m_preview) {
        send(m_preview, QStringLiteral("target %1\n").arg(target));
        return;
    }
    setPreviewNote(QString());
    startPreviewProcess();
}

void Recorder::startPreviewProcess() {
    if (!m_available || m_previewTarget.isEmpty() || !ensurePreviewBlock())
        return;
    startTool(Kind::Preview,
              QStringList{QStringLiteral("preview"), QStringLiteral("--target"), m_previewTarget,
                          QStringLiteral("--preview"), previewBlockName(),
                          QStringLiteral("--preview-size"), previewSizeText()}
                  << parentArguments());
    m_previewTimer.start();
}

void Recorder::stopPreview() {
    m_previewOn = false;
    m_previewTimer.stop();
    if (m_preview) {
        send(m_preview, QStringLiteral("stop\n"));
        m_preview->closeWriteChannel();
        m_preview = nullptr;
    }
    if (m_video)
        send(m_video, QStringLiteral("preview off\n"));
    m_previewNote.clear();
    setPreviewImage(QImage());
}

void Recorder::pollPreview() {
    if (!m_block->valid())
        return;
    QImage frame;
    quint32 sequence = 0;
    const auto target = [&frame](quint32 width, quint32 height) -> unsigned char* {
        frame = QImage(int(width), int(height), QImage::Format_RGB32);
        if (frame.isNull() || frame.bytesPerLine() != qsizetype(width) * 4)
            return nullptr;
        return frame.bits();
    };
    if (rec::readPreviewFrame(m_block->data(), m_block->size(), m_lastSequence, target,
                              &sequence) != rec::FrameRead::Taken)
        return;
    m_lastSequence = sequence;
    // The fourth byte is unused by the tool; the image is opaque whatever it holds.
    auto* pixels = reinterpret_cast<QRgb*>(frame.bits());
    const qsizetype count = qsizetype(frame.width()) * frame.height();
    for (qsizetype i = 0; i < count; ++i)
        pixels[i] |= 0xff000000u;
    setPreviewImage(std::move(frame));
}

void Recorder::showPlaceholder() {
    setPreviewImage(scalePreview(paintPlaceholder(m_previewTarget, demoCaption(m_previewTarget)),
                                 m_previewSize));
}

} // namespace qv::ui
