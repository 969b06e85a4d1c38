// The demo engine's hot paths on the interface's GUI thread: a meters snapshot every 16 ms and
// a live fader edit every 33 ms while the user drags.

#include "engine/demo_engine.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_FillMeters(benchmark::State& state) {
    qv::DemoEngine engine(true, true);
    auto block = std::make_unique<qv::MeterBlock>();
    int64_t ms = 0;
    for (auto _ : state) {
        engine.fillMeters(*block, ms += 16);
        benchmark::DoNotOptimize(block->frame);
    }
}
BENCHMARK(BM_FillMeters);

void BM_LiveFaderEdit(benchmark::State& state) {
    qv::DemoEngine engine(true, true);
    engine.handle(nlohmann::json{{"cmd", "subscribe"}, {"on", true}}, 0);
    int step = 0;
    for (auto _ : state) {
        const std::string request = R"({"cmd":"setSource","id":"app:chrome.exe","gainDb":)" +
                                    std::to_string(-(step++ % 40)) + R"(,"reqId":1})";
        auto messages = engine.handle(std::string_view(request), 0);
        benchmark::DoNotOptimize(messages);
    }
}
BENCHMARK(BM_LiveFaderEdit);

void BM_State(benchmark::State& state) {
    qv::DemoEngine engine(true, true);
    for (auto _ : state) {
        auto s = qv::dumpMessage(engine.state(1000));
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_State);

} // namespace
