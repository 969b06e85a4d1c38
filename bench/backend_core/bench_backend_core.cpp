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

void ensureApp() {
    static int argc = 1;
    static char name[] = "bench_backend_core";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

bool settled(const Backend& b) {
    return b.pendingReplyCount() == 0 && b.pendingEditCount() == 0 && !b.hasDeferredConfig();
}

bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The demo document grown to 128 sources and 16 devices, apps routed over the outputs.
Json largeDocument(const qv::MixerConfig& demo) {
    qv::MixerConfig doc = demo;
    for (int i = int(doc.sources.size()); i < 128; ++i) {
        qv::Source s;
        s.kind = qv::SourceKind::App;
        s.exeName = "bench" + std::to_string(i) + ".exe";
        s.id = "app:" + s.exeName;
        s.name = "Приложение " + std::to_string(i);
        s.gainDb = float(-(i % 30));
        doc.sources.push_back(s);
    }
    for (int j = int(doc.devices.size()); j < 16; ++j) {
        qv::Device d;
        d.endpointId = "bench-out-" + std::to_string(j);
        d.id = "out:" + d.endpointId;
        d.name = "Выход " + std::to_string(j);
        for (size_t i = size_t(j); i < doc.sources.size(); i += 3)
            if (doc.sources[i].kind == qv::SourceKind::App)
                d.sources.insert(doc.sources[i].id);
        doc.devices.push_back(d);
    }
    return Json::parse(qv::serializeConfig(doc));
}

struct World {
    std::unique_ptr<DemoTransport> transport;
    std::unique_ptr<Backend> backend;

    explicit World(bool large) {
        ensureApp();
        transport = std::make_unique<DemoTransport>(true, true);
        backend = std::make_unique<Backend>(transport.get());
        transport->start();
        if (!runUntil([&] { return backend->ready() && settled(*backend); }))
            qFatal("the demo engine did not answer");
        if (large) {
            backend->sendEdit({{"cmd", "setConfig"}, {"config", largeDocument(backend->config())}});
            if (!runUntil([&] { return settled(*backend); }) ||
                backend->config().sources.size() != 128)
                qFatal("the large document was not taken over");
        }
    }
};

const char* worldLabel(int64_t large) {
    return large ? "128 sources, 16 devices" : "demo world";
}

void LiveEdit(benchmark::State& state) {
    World w(state.range(0) != 0);
    const QString id = QStringLiteral("app:chrome.exe");
    int step = 0;
    for (auto _ : state) {
        w.backend->setSource(id, {{QStringLiteral("gainDb"), -(step++ % 48) * 0.25}}, true);
    }
    w.backend->flushPendingEdits();
    runUntil([&] { return settled(*w.backend); });
    state.SetLabel(worldLabel(state.range(0)));
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
    state.SetLabel(worldLabel(state.range(0)));
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
    state.SetLabel(worldLabel(state.range(0)));
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
    state.SetLabel(worldLabel(state.range(0)));
}

void ConfigTakeover(benchmark::State& state) {
    World w(state.range(0) != 0);
    const Json doc = Json::parse(qv::serializeConfig(w.backend->config()));
    for (auto _ : state)
        benchmark::DoNotOptimize(w.backend->applyConfig(doc));
    state.SetLabel(worldLabel(state.range(0)));
}

} // namespace

BENCHMARK(LiveEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(LiveEditRoundTrip)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ApplyInPlace)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ApplyOnCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(ConfigTakeover)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
