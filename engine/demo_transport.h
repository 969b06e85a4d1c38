#pragma once
// The in-process demo engine behind the Transport interface (demo and screenshot modes).

#include "engine/demo_engine.h"
#include "engine/transport.h"

#include <QElapsedTimer>
#include <QMutex>

class QTimer;

namespace qv::ui {

class DemoTransport : public Transport {
    Q_OBJECT
public:
    // `windowsDefault`: QUORVEL's own endpoints are the Windows defaults; `driverPresent`: the
    // product's virtual audio driver is installed.
    DemoTransport(bool windowsDefault, bool driverPresent, QObject* parent = nullptr);
    ~DemoTransport() override;

    void start() override;
    void send(QByteArray json) override;
    bool readMeters(MeterBlock* out) override;
    bool isDemo() const override { return true; }
    void startEngine() override {}

private:
    int64_t clockMs() const;
    void post(std::vector<std::string> messages);
    void tick();

    // send() may be called from any thread; the engine itself is not thread-safe.
    mutable QMutex mutex_;
    DemoEngine engine_;
    QElapsedTimer clock_;
    QTimer* stateTimer_ = nullptr;
};

} // namespace qv::ui
