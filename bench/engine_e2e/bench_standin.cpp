// PipeTransport talking to the stand-in engine process over the real socket.
//   BM_StandinRoundTrip   one "ping" and its reply on the GUI thread; median and p99 as counters
//   BM_StandinReplies     500 pipelined "ping" requests; replies taken in per second

#include "bench/transport_support.h"
#include "engine/pipe_transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "bench_standin";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// The stand-in engine in a private runtime folder and a transport connected to it.
struct Session {
    QTemporaryDir runtime;
    QProcess engine;
    std::unique_ptr<qv::ui::PipeTransport> transport;
    bool ok = false;

    Session() {
        app();
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
        qputenv("QUORVEL_RUNTIME_DIR", runtime.path().toUtf8());
        engine.setProgram(QStringLiteral(QV_ENGINE_PATH));
        engine.start();
        if (!engine.waitForStarted(5000))
            return;
        QElapsedTimer t;
        t.start();
        while (!QFileInfo::exists(runtime.filePath("QUORVEL.Engine")) && t.elapsed() < 5000)
            QThread::msleep(5);
        transport = std::make_unique<qv::ui::PipeTransport>(false);
        QEventLoop loop;
        QObject::connect(transport.get(), &qv::ui::Transport::connectionChanged, &loop,
                         [&](bool connected, const QString&) {
                             if (connected)
                                 loop.quit();
                         });
        transport->start();
        loop.exec();
        ok = true;
    }
    ~Session() {
        transport.reset();
        engine.kill();
        engine.waitForFinished(3000);
    }
};

void BM_StandinRoundTrip(benchmark::State& state) {
    Session s;
    if (!s.ok) {
        state.SkipWithError("stand-in engine did not start");
        return;
    }
    qv::bench::measureRoundTrips(state, *s.transport, R"({"cmd":"ping","reqId":1})");
}
BENCHMARK(BM_StandinRoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_StandinReplies(benchmark::State& state) {
    Session s;
    if (!s.ok) {
        state.SkipWithError("stand-in engine did not start");
        return;
    }
    constexpr int kBatch = 500; // below the outgoing queue limit, so nothing is dropped
    int received = 0;
    QEventLoop loop;
    QObject::connect(s.transport.get(), &qv::ui::Transport::message, &loop, [&] {
        if (++received == kBatch)
            loop.quit();
    });
    const QByteArray request(R"({"cmd":"ping","reqId":1})");
    for (auto _ : state) {
        received = 0;
        for (int i = 0; i < kBatch; ++i)
            s.transport->send(request);
        loop.exec();
    }
    state.counters["replies_per_s"] =
        benchmark::Counter(double(state.iterations()) * kBatch, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_StandinReplies)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
