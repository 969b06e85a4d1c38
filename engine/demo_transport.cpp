#include "engine/demo_transport.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QTimer>

namespace qv::ui {

namespace {
constexpr int kStatePeriodMs = 1000;
}

DemoTransport::DemoTransport(bool windowsDefault, bool driverPresent, QObject* parent)
    : Transport(parent), engine_(windowsDefault, driverPresent) {}

DemoTransport::~DemoTransport() = default;

void DemoTransport::start() {
    if (stateTimer_)
        return;
    {
        QMutexLocker lock(&mutex_);
        clock_.start();
    }
    // Like a real connection, the news arrives on a later turn of the event loop.
    QMetaObject::invokeMethod(
        this, [this] { emit connectionChanged(true, QString()); }, Qt::QueuedConnection);
    stateTimer_ = new QTimer(this);
    stateTimer_->setInterval(kStatePeriodMs);
    connect(stateTimer_, &QTimer::timeout, this, &DemoTransport::tick);
    stateTimer_->start();
}

void DemoTransport::send(QByteArray json) {
    std::vector<std::string> messages;
    {
        QMutexLocker lock(&mutex_);
        messages =
            engine_.handle(std::string_view(json.constData(), size_t(json.size())), clockMs());
    }
    post(std::move(messages));
}

bool DemoTransport::readMeters(MeterBlock* out) {
    if (!out)
        return false;
    QMutexLocker lock(&mutex_);
    engine_.fillMeters(*out, clockMs());
    return true;
}

int64_t DemoTransport::clockMs() const {
    return clock_.isValid() ? clock_.elapsed() : 0;
}

void DemoTransport::tick() {
    std::vector<std::string> messages;
    {
        QMutexLocker lock(&mutex_);
        messages = engine_.tick(clockMs());
    }
    post(std::move(messages));
}

// Every message is delivered by its own queued call, so the receiver sees them on later turns
// of the event loop and in the order the engine produced them.
void DemoTransport::post(std::vector<std::string> messages) {
    for (std::string& m : messages) {
        QByteArray bytes(m.data(), qsizetype(m.size()));
        QMetaObject::invokeMethod(
            this, [this, bytes] { emit message(bytes); }, Qt::QueuedConnection);
    }
}

} // namespace qv::ui
