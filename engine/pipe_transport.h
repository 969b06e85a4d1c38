#pragma once
// The Transport over the engine's message channel and its meters block.
//
// A thin Qt face over link::LinkCore: the core's I/O thread emits connectionChanged and message
// itself, so receivers on the GUI thread get them as queued calls in emission order. The check
// "should the engine be started" is posted back to this object's thread, where startEngine runs.
//
// The engine is looked for next to the interface (QCoreApplication::applicationDirPath()); the
// environment variable QUORVEL_ENGINE_DIR, when set and non-empty, names another folder to use
// instead (tests and development setups).

#include "engine/transport.h"

#include <memory>

namespace qv::link {
class LinkCore;
struct LinkOptions;
} // namespace qv::link

namespace qv::ui {

class PipeTransport : public Transport {
    Q_OBJECT
public:
    explicit PipeTransport(bool autoStart, QObject* parent = nullptr);
    // For tests: the core's options as given (interface folder, clock, retry delays).
    PipeTransport(const link::LinkOptions& options, QObject* parent);
    ~PipeTransport() override;

    void start() override;
    void send(QByteArray json) override;
    bool readMeters(MeterBlock* out) override;
    void startEngine() override;

private:
    void init(const link::LinkOptions& options);

    std::unique_ptr<link::LinkCore> core_;
};

} // namespace qv::ui
