#pragma once
// Shared by the Backend benchmarks: the Qt application, waiting for the Backend to settle, the
// demo document grown to benchmark size, and a Backend on the demo engine in either world.

#include "backend/backend.h"
#include "config/mixer_config.h"
#include "engine/demo_transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <string>

namespace qv::bench {

using Json = nlohmann::json;
using qv::ui::Backend;

inline void ensureApp() {
    static int argc = 1;
    static char name[] = "bench_backend";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

inline bool settled(const Backend& b) {
    return b.pendingReplyCount() == 0 && b.pendingEditCount() == 0 && !b.hasDeferredConfig();
}

inline bool runUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The demo document grown to 128 sources and 16 devices, applications routed over the outputs.
inline Json largeDocument(const qv::MixerConfig& demo) {
    qv::MixerConfig doc = demo;
    for (int i = int(doc.sources.size()); i < 128; ++i) {
        qv::Source s;
        s.kind = qv::SourceKind::App;
        s.exeName = "bench" + std::to_string(i) + ".exe";
        s.id = "app:" + s.exeName;
        s.name = "Приложение " + std::to_string(i);
        s.exePath = "C:\\Program Files\\Bench\\" + s.exeName;
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

// A Backend on the demo engine, connected, settled and with its first state; with `large` the
// engine's document is first replaced by largeDocument.
struct DemoWorld {
    std::unique_ptr<qv::ui::DemoTransport> transport;
    std::unique_ptr<Backend> backend;

    explicit DemoWorld(bool large) {
        ensureApp();
        transport = std::make_unique<qv::ui::DemoTransport>(true, true);
        backend = std::make_unique<Backend>(transport.get());
        transport->start();
        if (!runUntil(
                [&] { return backend->ready() && settled(*backend) && backend->haveState(); }))
            qFatal("the demo engine did not answer");
        if (large) {
            backend->sendEdit({{"cmd", "setConfig"}, {"config", largeDocument(backend->config())}});
            if (!runUntil([&] { return settled(*backend); }) ||
                backend->config().sources.size() != 128)
                qFatal("the large document was not taken over");
        }
    }
};

inline const char* worldLabel(bool large) {
    return large ? "128 sources, 16 devices" : "demo world";
}

} // namespace qv::bench
