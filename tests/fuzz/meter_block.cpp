// The meters block as the engine might leave it: the input is the block (zero-padded), taken
// only when the link's check accepts it, then read by the MeterStore for a few ticks.
#include "backend/meter_store.h"
#include "engine/link_core.h"
#include "engine/transport.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstring>

namespace {

class BlockTransport : public qv::ui::Transport {
public:
    void start() override {}
    void send(QByteArray) override {}
    bool readMeters(qv::MeterBlock* out) override {
        if (!block || !qv::link::meterBlockValid(*block))
            return false;
        std::memcpy(static_cast<void*>(out), block, sizeof *out);
        return true;
    }
    const qv::MeterBlock* block = nullptr;
};

class Store : public qv::ui::MeterStore {
public:
    using MeterStore::MeterStore;
    void step(qint64 ms) {
        now = ms;
        tick();
    }
    qint64 now = 0;

protected:
    qint64 nowMs() const override { return now; }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto block = std::make_unique<qv::MeterBlock>();
    std::memset(static_cast<void*>(block.get()), 0, sizeof *block);
    std::memcpy(static_cast<void*>(block.get()), data, std::min(size, sizeof *block));
    BlockTransport transport;
    transport.block = block.get();
    Store store(&transport);
    store.setRunning(false);
    for (qint64 t = 16; t <= 64; t += 16)
        store.step(t);
    for (int i = 0; i < std::min<int>(qv::kMeterSlots, int(block->count)); ++i) {
        const qv::MeterEntry& e = block->entries[i];
        const QString id = QString::fromUtf8(e.id, qsizetype(strnlen(e.id, qv::kMeterIdBytes)));
        const double l = store.left(id), r = store.right(id);
        if (!(l >= 0 && l <= 1 && r >= 0 && r <= 1))
            std::abort();
    }
    return 0;
}
