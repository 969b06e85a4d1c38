// The cost of an edit in the Backend against the demo engine, in the demo world (8 sources,
// 4 devices) and in a large one (128 sources, 16 devices):
//   LiveEdit         one setSource(id, {gainDb}, true) as a dragged fader makes it: local apply,
//                    rebuild, merge (the 33 ms flush is not reached inside the loop)
//   LiveEditRoundTrip  the same, flushed at once and run until the demo engine's reply and
//                    "config" event have been taken over
//   ApplyInPlace / ApplyOnCopy  the model command alone, on the mirror itself or on a copy that
//                    replaces it (what a non-live edit pays so that a refused one leaves nothing)
//   ConfigTakeover   reading a whole document into the mirror (what re-asking the engine for
//                    its configuration after a refusal costs on this side)

#include "backend/backend.h"
#include "bench/backend_support.h"
#include "config/commands.h"
#include "engine/demo_transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <memory>

using Json = nlohmann::json;
using qv::ui::Backend;
using qv::ui::DemoTransport;

namespace {

using namespace qv::bench;

using World = DemoWorld;

void LiveEdit(benchmark::State& state) {
    World w(state.range(0) != 0);
    const QString id = QStringLiteral("app:chrome.exe");
    int step = 0;
    for (auto _ : state) {
        w.backend->setSource(id, {{QStringLiteral("gainDb"), -(step++ % 48) * 0.25}}, true);
    }
    w.backend->flushPendingEdits();
    runUntil([&] { return settled(*w.backend); });
    state.SetLabel(worldLabel(state.range(0) != 0));
}

void LiveEditRoundTrip(benchmark::State& state) {
    World w(state.range(0) != 0);
    const QString id = QStringLiteral("app:chrome.exe");
    int step = 0;
    for (auto _ : state) {
        w.backend->setSource(id, {{QStringLiteral("gainDb"), -(step++ % 48) * 0.25}}, true);
        w.backend->flushPendingEdits();
        runUntil([&] { return settled(*w.backend); });
    }
    state.SetLabel(worldLabel(state.range(0) != 0));
}

// The command a dragged fader produces, applied without the Backend around it.
Json gainCommand(int step) {
    return {{"cmd", "setSource"}, {"id", "app:chrome.exe"}, {"gainDb", -(step % 48) * 0.25}};
}

void ApplyInPlace(benchmark::State& state) {
    World w(state.range(0) != 0);
    qv::MixerConfig mirror = w.backend->config();
    const auto& endpoints = w.backend->endpointList();
    int step = 0;
    for (auto _ : state) {
        qv::CommandResult r = qv::applyCommand(mirror, gainCommand(step++), endpoints);
        benchmark::DoNotOptimize(r);
    }
    state.SetLabel(worldLabel(state.range(0) != 0));
}

void ApplyOnCopy(benchmark::State& state) {
    World w(state.range(0) != 0);
    qv::MixerConfig mirror = w.backend->config();
    const auto& endpoints = w.backend->endpointList();
    int step = 0;
    for (auto _ : state) {
        qv::MixerConfig candidate = mirror;
        qv::CommandResult r = qv::applyCommand(candidate, gainCommand(step++), endpoints);
        if (r.ok)
            mirror = std::move(candidate);
        benchmark::DoNotOptimize(r);
    }
    state.SetLabel(worldLabel(state.range(0) != 0));
}

void ConfigTakeover(benchmark::State& state) {
    World w(state.range(0) != 0);
    const Json doc = Json::parse(qv::serializeConfig(w.backend->config()));
    for (auto _ : state)
        benchmark::DoNotOptimize(w.backend->applyConfig(doc));
    state.SetLabel(worldLabel(state.range(0) != 0));
}

} // namespace

BENCHMARK(LiveEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(LiveEditRoundTrip)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ApplyInPlace)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ApplyOnCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ConfigTakeover)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
