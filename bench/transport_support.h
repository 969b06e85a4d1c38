#pragma once
// The round-trip measurement shared by the transport benchmarks: one small request at a time,
// timed from send() until its reply arrives on the GUI thread, with the median and p99 of all
// the samples as counters.

#include "engine/transport.h"

#include <QByteArray>
#include <QEventLoop>
#include <QObject>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace qv::bench {

inline void measureRoundTrips(benchmark::State& state, ui::Transport& transport,
                              const QByteArray& request) {
    QEventLoop loop;
    QObject::connect(&transport, &ui::Transport::message, &loop, &QEventLoop::quit);
    std::vector<double> samples;
    samples.reserve(100000);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        transport.send(request);
        loop.exec();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        samples.push_back(took.count() * 1e6);
    }
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_us"] = samples[samples.size() / 2];
    state.counters["p99_us"] = samples[samples.size() * 99 / 100];
}

} // namespace qv::bench
