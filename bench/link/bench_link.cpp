// The engine link through PipeTransport and an in-process fake engine:
//   BM_ReadMeters      readMeters of a block with a new frame every call; counts heap
//                      allocations made by the calling thread (allocs_per_call must be 0)
//   BM_RoundTrip       a small request and its reply, delivered on the GUI thread; the median
//                      and 99th percentile of single round trips are reported as counters
//   BM_Throughput1KB   1 KB messages from the engine to the GUI thread, messages per second

#include "bench/transport_support.h"
#include "engine/link_core.h"
#include "engine/pipe_transport.h"
#include "engine/runtime_dir.h"
#include "tests/support/framed_peer.h"
#include "tests/support/meter_writer.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <vector>

// ---- allocation counting for the measuring thread ------------------------------------------

namespace {
thread_local bool tCounting = false;
std::atomic<long> gAllocations{0};
} // namespace

void* operator new(std::size_t size) {
    if (tCounting)
        gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace qv::test;

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "bench_link";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// A connected PipeTransport with a fake engine in a private runtime folder.
struct Link {
    Link() {
        app();
        qv::link::LinkOptions options;
        options.autoStart = false;
        transport = std::make_unique<qv::ui::PipeTransport>(options, nullptr);
        server.listen();
        QObject::connect(transport.get(), &qv::ui::Transport::connectionChanged,
                         [this](bool on, const QString&) { connected = on; });
        transport->start();
        while (!connected || !server.hasClient())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ~Link() {
        transport.reset();
        server.close();
    }

    TempRuntimeDir dir;
    FakeEngineServer server{dir.file(qv::link::kEngineSocketName)};
    std::unique_ptr<qv::ui::PipeTransport> transport;
    bool connected = false;
};

void BM_ReadMeters(benchmark::State& state) {
    Link link;
    MeterWriter writer(link.dir.file(qv::link::kMetersFileName));
    writer.publish(1, 64);
    qv::MeterBlock out{};
    link.transport->readMeters(&out); // maps the block
    uint64_t frame = 2;
    long failures = 0;
    tCounting = true;
    const long before = gAllocations.load();
    for (auto _ : state) {
        // What the engine does per frame: sequence odd, new frame number, sequence even.
        qv::MeterBlock* block = writer.block();
        __atomic_store_n(&block->sequence, block->sequence + 1, __ATOMIC_RELAXED);
        block->frame = frame++;
        __atomic_store_n(&block->sequence, block->sequence + 1, __ATOMIC_RELEASE);
        if (!link.transport->readMeters(&out))
            ++failures;
        benchmark::DoNotOptimize(out);
    }
    const long allocations = gAllocations.load() - before;
    tCounting = false;
    state.counters["allocs_per_call"] =
        benchmark::Counter(double(allocations) / double(state.iterations()));
    state.counters["failed_reads"] = double(failures);
}
BENCHMARK(BM_ReadMeters);

void BM_RoundTrip(benchmark::State& state) {
    Link link;
    link.server.setReply(
        [](const std::string&) { return std::string("{\"reqId\":1,\"ok\":true}"); });
    qv::bench::measureRoundTrips(state, *link.transport, "{\"cmd\":\"ping\",\"reqId\":1}");
}
BENCHMARK(BM_RoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Throughput1KB(benchmark::State& state) {
    Link link;
    constexpr int kBatch = 2000;
    const std::string payload =
        "{\"event\":\"state\",\"pad\":\"" + std::string(1024 - 27, 'x') + "\"}";
    int received = 0;
    QEventLoop loop;
    QObject::connect(link.transport.get(), &qv::ui::Transport::message, &loop, [&] {
        if (++received == kBatch)
            loop.quit();
    });
    for (auto _ : state) {
        received = 0;
        for (int i = 0; i < kBatch; ++i)
            link.server.sendFrame(payload);
        loop.exec();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.counters["message_bytes"] = double(payload.size());
}
BENCHMARK(BM_Throughput1KB)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
