// Cost of drawing one line icon, as QML asks for it on every new size, colour or stroke.

#include "desktop/line_icon_provider.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_LineIcon(benchmark::State& state, const char* id) {
    qv::ui::LineIconProvider provider;
    const QString name = QString::fromLatin1(id);
    const int px = static_cast<int>(state.range(0));
    QSize reported;
    for (auto _ : state) {
        QImage image = provider.requestImage(name, &reported, QSize(px, px));
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(BM_LineIcon, check, "check?c=E8E6E1&w=1.8")
    ->Arg(18)
    ->Arg(24)
    ->Arg(48)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LineIcon, gear, "gear?c=15120A&w=2.6")
    ->Arg(18)
    ->Arg(24)
    ->Arg(48)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LineIcon, record_filled, "record?c=F07167&w=1.6")
    ->Arg(18)
    ->Arg(24)
    ->Arg(48)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LineIcon, unknown, "nosuch")->Arg(24)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // Painting needs a GUI application; no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
