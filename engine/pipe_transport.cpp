#include "engine/pipe_transport.h"

#include "engine/link_core.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace qv::ui {
namespace {

link::LinkOptions defaultOptions(bool autoStart) {
    link::LinkOptions options;
    options.autoStart = autoStart;
    const QByteArray overrideDir = qgetenv("QUORVEL_ENGINE_DIR");
    options.interfaceDir = overrideDir.isEmpty()
                               ? QCoreApplication::applicationDirPath().toStdString()
                               : overrideDir.toStdString();
    return options;
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

PipeTransport::PipeTransport(bool autoStart, QObject* parent) : Transport(parent) {
    init(defaultOptions(autoStart));
}

PipeTransport::PipeTransport(const link::LinkOptions& options, QObject* parent)
    : Transport(parent) {
    init(options);
}

void PipeTransport::init(const link::LinkOptions& options) {
    link::LinkCallbacks callbacks;
    callbacks.connected = [this] { emit connectionChanged(true, QString()); };
    callbacks.message = [this](std::string&& message) {
        emit this->message(QByteArray(message.data(), qsizetype(message.size())));
    };
    callbacks.disconnected = [this](const std::string& status) {
        emit connectionChanged(false, fromUtf8(status));
    };
    // Runs on the I/O thread; the decision and the start itself belong to this object's thread.
    // A check still queued when this object is destroyed is discarded with it.
    callbacks.checkLaunch = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (core_)
                    core_->checkLaunch();
            },
            Qt::QueuedConnection);
    };
    core_ = std::make_unique<link::LinkCore>(options, std::move(callbacks));
}

PipeTransport::~PipeTransport() {
    // Joins the I/O thread while this object is still whole: its callbacks emit our signals.
    core_.reset();
}

void PipeTransport::start() {
    core_->start();
}

void PipeTransport::send(QByteArray json) {
    core_->send(std::string(json.constData(), json.size()));
}

bool PipeTransport::readMeters(MeterBlock* out) {
    return core_->readMeters(out);
}

void PipeTransport::startEngine() {
    core_->startEngine();
}

} // namespace qv::ui
