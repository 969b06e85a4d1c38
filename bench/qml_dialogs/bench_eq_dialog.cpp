// Opening the equaliser window as a user does, again and again: the window is created once
// with the program, then each opening shows it for a device and waits for its first frame. The 58
// preset curves come with the catalogue, so an opening draws them but computes none; the one curve
// computed is the device's own. The median is the figure to watch:
//   bench_eq_dialog --benchmark_counters_tabular=true
// Offscreen with the software renderer unless QT_QPA_PLATFORM / QT_QUICK_BACKEND say otherwise.

#include "backend/backend.h"
#include "bench/backend_support.h"
#include "desktop/line_icon_provider.h"
#include "engine/demo_transport.h"
#include "qml/qml_resources.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

using qv::bench::runUntil;

// The demo engine, the Backend as `qv`, and the equaliser window created once.
struct World {
    qv::ui::DemoTransport transport{true, true};
    qv::ui::Backend backend{&transport};
    QQmlEngine engine;
    QQuickWindow* dialog = nullptr;
    QStringList deviceIds;

    World() {
        engine.addImageProvider(QStringLiteral("icon"), new qv::ui::LineIconProvider);
        engine.rootContext()->setContextProperty(QStringLiteral("qv"), &backend);
        transport.start();
        if (!runUntil([&] { return backend.ready() && backend.haveState(); }))
            return;
        const int count = backend.devices()->property("count").toInt();
        for (int i = 0; i < count; ++i) {
            QVariantMap row;
            QMetaObject::invokeMethod(backend.devices(), "get", Q_RETURN_ARG(QVariantMap, row),
                                      Q_ARG(int, i));
            deviceIds << row.value(QStringLiteral("id")).toString();
        }
        if (deviceIds.isEmpty())
            return;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport \"qrc:/qml\"\nEqDialog {}\n",
                          QUrl(QStringLiteral("qrc:/bench/EqBench.qml")));
        dialog = qobject_cast<QQuickWindow*>(component.create());
        if (dialog)
            static_cast<QObject*>(dialog)->setParent(&engine);
    }

    // Shows the window and returns the seconds until its first frame, or a negative value.
    double openOnce(const QString& deviceId) {
        bool drawn = false;
        const auto connection =
            QObject::connect(dialog, &QQuickWindow::frameSwapped, [&] { drawn = true; });
        QElapsedTimer t;
        t.start();
        QMetaObject::invokeMethod(dialog, "showFor", Q_ARG(QVariant, deviceId),
                                  Q_ARG(QVariant, QVariant()));
        const bool ok = runUntil([&] { return drawn; });
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        QObject::disconnect(connection);
        dialog->close();
        runUntil([&] { return !dialog->isVisible(); });
        return ok ? seconds : -1;
    }
};

// Made in main, after the application and before the benchmarks, and gone before the
// application is.
World* g_world = nullptr;

void BM_OpenEqDialog(benchmark::State& state) {
    World& world = *g_world;
    if (!world.dialog) {
        state.SkipWithError("the equaliser window could not be created");
        return;
    }
    // The first showing also builds the scene graph once; that is start-up, not an opening.
    world.openOnce(world.deviceIds.value(0));
    // Each opening is for another device than the last, as when a user goes from one output's
    // equaliser to the next: another curve, another selected preset, the whole window redrawn.
    int n = 0;
    for (auto _ : state) {
        const double seconds = world.openOnce(world.deviceIds.value(++n % world.deviceIds.size()));
        if (seconds < 0) {
            state.SkipWithError("no first frame");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

QQuickItem* findItem(QQuickItem* item, const QString& name) {
    if (item->objectName() == name)
        return item;
    for (QQuickItem* c : item->childItems())
        if (QQuickItem* found = findItem(c, name))
            return found;
    return nullptr;
}

// Scrolling the preset grid of the open window by one line of cards, down to the end and back
// up: the time from the move to the frame that shows it. At 60 Hz a frame has 16.7 ms.
void BM_ScrollPresets(benchmark::State& state) {
    World& world = *g_world;
    if (!world.dialog) {
        state.SkipWithError("the equaliser window could not be created");
        return;
    }
    QMetaObject::invokeMethod(world.dialog, "showFor", Q_ARG(QVariant, world.deviceIds.value(0)),
                              Q_ARG(QVariant, QVariant()));
    runUntil([&] { return world.dialog->isExposed(); });
    QQuickItem* grid = findItem(world.dialog->contentItem(), QStringLiteral("presetGridView"));
    if (!grid) {
        state.SkipWithError("no preset grid");
        return;
    }
    const qreal line = grid->property("cellHeight").toReal();
    const qreal end = grid->property("contentHeight").toReal() - grid->height();
    qreal step = line;
    for (auto _ : state) {
        qreal y = grid->property("contentY").toReal() + step;
        if (y > end || y < 0) {
            step = -step;
            y += 2 * step;
        }
        bool drawn = false;
        const auto connection =
            QObject::connect(world.dialog, &QQuickWindow::frameSwapped, [&] { drawn = true; });
        QElapsedTimer t;
        t.start();
        grid->setProperty("contentY", y);
        const bool ok = runUntil([&] { return drawn; });
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        QObject::disconnect(connection);
        if (!ok) {
            state.SkipWithError("no frame after scrolling");
            break;
        }
    }
    world.dialog->close();
    runUntil([&] { return !world.dialog->isVisible(); });
}

BENCHMARK(BM_ScrollPresets)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(40)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_OpenEqDialog)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication app(argc, argv);
    qv::ui::registerQmlFonts();
    auto world = std::make_unique<World>();
    g_world = world.get();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_world = nullptr;
    world.reset();
    return 0;
}
