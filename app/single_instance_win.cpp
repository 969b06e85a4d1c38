#include "app/single_instance.h"

#include "app/single_instance_win32.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

namespace qv::ui {

Q_LOGGING_CATEGORY(lcInstance, "quorvel.instance", QtWarningMsg)

struct SingleInstance::Impl {
    instance::InstanceMutex mutex;
};

SingleInstance::SingleInstance() : d(std::make_unique<Impl>()) {}
SingleInstance::~SingleInstance() = default;

bool SingleInstance::held() const {
    return d->mutex.owned();
}

SingleInstance::Claim SingleInstance::claim() {
    switch (d->mutex.claim()) {
    case instance::InstanceMutex::Claim::Owned:
        return Claim::First;
    case instance::InstanceMutex::Claim::AlreadyRunning:
        instance::broadcastShowRequest();
        return Claim::Another;
    case instance::InstanceMutex::Claim::Failed:
        break;
    }
    return Claim::Unprotected;
}

namespace {

class ShowMessageFilter final : public QAbstractNativeEventFilter {
public:
    explicit ShowMessageFilter(QObject* target) : target_(target) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType == "windows_generic_MSG" && instance::isShowRequest(message)) {
            qCInfo(lcInstance, "show request");
            if (target_)
                QMetaObject::invokeMethod(target_, "showWindow", Qt::QueuedConnection);
        }
        return false; // other windows of the program may want the message too
    }

private:
    QPointer<QObject> target_;
};

} // namespace

struct ShowRequestFilter::Impl {
    std::unique_ptr<ShowMessageFilter> filter;
    QObject* target = nullptr;
};

ShowRequestFilter::ShowRequestFilter(QObject* target, const SingleInstance&)
    : d(std::make_unique<Impl>()) {
    d->target = target;
}

ShowRequestFilter::~ShowRequestFilter() {
    if (d->filter && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(d->filter.get());
}

bool ShowRequestFilter::install() {
    if (d->filter)
        return true;
    if (!QCoreApplication::instance())
        return false;
    d->filter = std::make_unique<ShowMessageFilter>(d->target);
    QCoreApplication::instance()->installNativeEventFilter(d->filter.get());
    return true;
}

} // namespace qv::ui
