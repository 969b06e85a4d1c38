// MeterStore tick cost and heap traffic, the first build of the equaliser preset list, and the
// ListModel diff at the size of a full mixer.
//
// Heap allocations are counted by interposing malloc/calloc/realloc (glibc): Qt's containers
// allocate through malloc, and operator new does too, so one counter sees both.

#include "backend/list_model.h"
#include "backend/meter_store.h"
#include "backend/presets.h"
#include "engine/transport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <cstring>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
}

namespace {
std::atomic<long long> g_allocations{0};
}

extern "C" void* malloc(size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(p, n);
}

namespace {

// A transport that copies a prepared 128-entry block, like the pipe transport copies the mapping.
class BlockTransport : public qv::ui::Transport {
public:
    BlockTransport() {
        std::memset(&loud, 0, sizeof loud);
        loud.magic = qv::kMeterMagic;
        loud.version = qv::kMeterVersion;
        loud.count = qv::kMeterSlots;
        for (int i = 0; i < qv::kMeterSlots; ++i) {
            std::snprintf(loud.entries[i].id, qv::kMeterIdBytes, "app:some-application-%03d.exe",
                          i);
            loud.entries[i].left = 0.5f;
            loud.entries[i].right = 0.25f;
        }
        quiet = loud;
        for (int i = 0; i < qv::kMeterSlots; i += 2)
            quiet.entries[i].left = quiet.entries[i].right = 0.f;
    }
    void start() override {}
    void send(QByteArray) override {}
    bool readMeters(qv::MeterBlock* out) override {
        // Alternate so that half the entries attack and release every other tick.
        std::memcpy(out, (++reads % 8) < 4 ? &loud : &quiet, sizeof(qv::MeterBlock));
        return true;
    }
    qv::MeterBlock loud, quiet;
    long long reads = 0;
};

class BenchStore : public qv::ui::MeterStore {
public:
    using MeterStore::MeterStore;
    void step() {
        now += 16;
        tick();
    }

protected:
    qint64 nowMs() const override { return now; }

private:
    qint64 now = 0;
};

int argcStub = 1;
char appName[] = "bench_backend_meters";
char* argvStub[] = {appName, nullptr};

void MeterTick128(benchmark::State& state) {
    QCoreApplication app(argcStub, argvStub);
    BlockTransport transport;
    BenchStore store(&transport);
    store.setRunning(false); // ticks are driven here, not by the timer
    for (int i = 0; i < 16; ++i)
        store.step(); // every id seen, the hashes grown
    const long long before = g_allocations.load();
    for (auto _ : state)
        store.step();
    const long long allocations = g_allocations.load() - before;
    state.counters["allocs_per_tick"] =
        benchmark::Counter(double(allocations) / double(state.iterations()));
    state.counters["frames"] = store.frame();
    if (allocations != 0)
        state.SkipWithError("MeterStore::tick allocated after warm-up");
}
BENCHMARK(MeterTick128);

void EqPresetListFirstBuild(benchmark::State& state) {
    for (auto _ : state) {
        QVariantList list = qv::ui::presets::makeEqPresetList();
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(EqPresetListFirstBuild)->Unit(benchmark::kMillisecond);

void EqCurve48(benchmark::State& state) {
    const QVariantList bands{7, 6, 3, -1, -3, -3, -1, 2, 5, 6};
    for (auto _ : state) {
        QVariantList curve = qv::ui::presets::eqCurve(bands, 48);
        benchmark::DoNotOptimize(curve);
    }
}
BENCHMARK(EqCurve48)->Unit(benchmark::kMicrosecond);

// A rebuild of 150 rows with 26 roles; Arg(0): nothing changed, Arg(1): one value in every row
// changed (a fader drag touches one row, a meter-free rebuild none).
void ListModelRebuild150(benchmark::State& state) {
    QStringList roles;
    for (int k = 0; k < 25; ++k)
        roles.append(QStringLiteral("role%1").arg(k));
    qv::ui::ListModel model(roles);
    auto build = [&](int variant) {
        QList<QVariantMap> rows;
        for (int i = 0; i < 150; ++i) {
            QVariantMap row{{"id", QStringLiteral("app:program-%1.exe").arg(i)}};
            for (int k = 0; k < 25; ++k)
                row.insert(roles[k], k == 7 ? QVariant(double(variant)) : QVariant(k * 0.5));
            rows.append(row);
        }
        return rows;
    };
    const QList<QVariantMap> a = build(0), b = build(1), a2 = build(0);
    model.setRows(a);
    int flip = 0;
    for (auto _ : state) {
        // Fresh maps with equal content, as a rebuild makes them.
        model.setRows(state.range(0) == 0 ? ((++flip & 1) ? a2 : a) : ((++flip & 1) ? b : a));
    }
}
BENCHMARK(ListModelRebuild150)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
