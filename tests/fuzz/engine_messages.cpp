// The interface reading the engine: the bytes go through the frame decoder, and each message
// reaches a connected Backend whose start-up requests (ids 1 to 5) are still unanswered.
#include "backend/backend.h"
#include "engine/framing.h"
#include "engine/transport.h"

#include <QCoreApplication>

#include <cstdint>

namespace {

class SilentTransport : public qv::ui::Transport {
public:
    void start() override {}
    void send(QByteArray) override {}
    bool readMeters(qv::MeterBlock*) override { return false; }
    void open() { emit connectionChanged(true, QString()); }
    void deliver(const std::string& m) { emit message(QByteArray::fromStdString(m)); }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentTransport transport;
    qv::ui::Backend backend(&transport);
    transport.open();
    qv::link::FrameDecoder decoder;
    decoder.push(reinterpret_cast<const char*>(data), size);
    std::string message;
    while (decoder.next(message) == qv::link::FrameDecoder::Result::Message)
        transport.deliver(message);
    // What the interface derives from the messages is read as QML would read it.
    (void)backend.channels();
    (void)backend.engine();
    (void)backend.settings();
    return 0;
}
