// The cost of rebuilding every row and derived property, in the demo world (8 sources,
// 4 devices) and in a large one (128 sources, 16 devices), against the demo engine:
//   RebuildUnchanged   rebuildModels() with nothing new: all rows built and diffed, no list
//                      signal may come out (counter listSignals, per rebuild)
//   RepeatedState      the same "state" payload taken in again (what the engine's periodic
//                      state message costs when nothing moved)
//   OneGainChanged     setSource(id, {gainDb}, true): local apply, rebuild with one changed
//                      role in one row, merge; listSignals counts the dataChanged signals
//                      (one per list whose row changed)

#include "backend/backend.h"
#include "bench/backend_support.h"
#include "config/commands.h"
#include "engine/demo_transport.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <memory>

using Json = nlohmann::json;
using qv::ui::Backend;
using qv::ui::DemoTransport;

namespace {

using namespace qv::bench;

// The demo world with the list models' change signals counted.
struct World : DemoWorld {
    int listSignals = 0;

    explicit World(bool large) : DemoWorld(large) {
        if (large) {
            // A state that reports the large world's sources too.
            backend->sendRequest({{"cmd", "getState"}}, [this](const Json& reply) {
                if (reply.contains("state"))
                    backend->applyState(reply["state"]);
            });
            runUntil([&] { return settled(*backend); });
        }
        for (QObject* m : {backend->channels(), backend->sources(), backend->devices()}) {
            auto* model = qobject_cast<QAbstractItemModel*>(m);
            auto count = [this] { ++listSignals; };
            QObject::connect(model, &QAbstractItemModel::dataChanged, count);
            QObject::connect(model, &QAbstractItemModel::rowsInserted, count);
            QObject::connect(model, &QAbstractItemModel::rowsRemoved, count);
            QObject::connect(model, &QAbstractItemModel::rowsMoved, count);
            QObject::connect(model, &QAbstractItemModel::modelReset, count);
        }
    }

    void report(benchmark::State& state, bool large) {
        state.counters["listSignals"] =
            benchmark::Counter(double(listSignals), benchmark::Counter::kAvgIterations);
        state.SetLabel(worldLabel(large));
    }
};

void RebuildUnchanged(benchmark::State& state) {
    const bool large = state.range(0) != 0;
    World w(large);
    for (auto _ : state)
        w.backend->rebuildModels();
    w.report(state, large);
}

void RepeatedState(benchmark::State& state) {
    const bool large = state.range(0) != 0;
    World w(large);
    Json payload;
    w.backend->sendRequest({{"cmd", "getState"}}, [&payload](const Json& reply) {
        payload = reply.value("state", Json::object());
    });
    runUntil([&] { return settled(*w.backend); });
    w.listSignals = 0;
    for (auto _ : state)
        w.backend->applyState(payload);
    w.report(state, large);
}

void OneGainChanged(benchmark::State& state) {
    const bool large = state.range(0) != 0;
    World w(large);
    const QString id = QStringLiteral("app:chrome.exe");
    int step = 0;
    for (auto _ : state)
        w.backend->setSource(id, {{QStringLiteral("gainDb"), -(++step % 48) * 0.25 - 0.1}}, true);
    w.report(state, large);
    w.backend->flushPendingEdits();
    runUntil([&] { return settled(*w.backend); });
}

} // namespace

BENCHMARK(RebuildUnchanged)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(RepeatedState)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneGainChanged)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
