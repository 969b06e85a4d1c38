// The preview's per-tick work: a poll that finds nothing new (a header read), a poll that copies
// a full 1280x720 frame into an image, and the demo placeholder painted and fitted.

#include "recorder/preview_block.h"
#include "recorder/preview_frame.h"
#include "recorder/preview_placeholder.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <atomic>
#include <vector>

namespace {

using namespace qv::rec;

struct Block {
    Block() : words(kPreviewBlockSize / 4) {
        initPreviewHeader(data());
        auto* w = words.data();
        w[kPreviewWidthOffset / 4] = kPreviewMaxWidth;
        w[kPreviewHeightOffset / 4] = kPreviewMaxHeight;
        __atomic_store_n(&w[kPreviewSequenceOffset / 4], 2u, __ATOMIC_RELEASE);
    }
    unsigned char* data() { return reinterpret_cast<unsigned char*>(words.data()); }
    std::vector<std::uint32_t> words;
};

const FrameTarget kImageTarget = [](std::uint32_t w, std::uint32_t h) -> unsigned char* {
    thread_local QImage image;
    image = QImage(int(w), int(h), QImage::Format_RGB32);
    return image.bits();
};

void BM_PollUnchanged(benchmark::State& state) {
    Block block;
    std::uint32_t sequence = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            readPreviewFrame(block.data(), kPreviewBlockSize, 2, kImageTarget, &sequence));
}
BENCHMARK(BM_PollUnchanged);

void BM_PollFullFrame(benchmark::State& state) {
    Block block;
    std::uint32_t sequence = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            readPreviewFrame(block.data(), kPreviewBlockSize, 0, kImageTarget, &sequence));
    state.SetBytesProcessed(state.iterations() * std::int64_t(kPreviewPixelBytes));
}
BENCHMARK(BM_PollFullFrame)->Unit(benchmark::kMicrosecond);

void BM_Placeholder(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    const int width = int(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::ui::scalePreview(qv::ui::paintPlaceholder("m0", "Экран 1"),
                                                      QSize(width, width * 9 / 16 & ~1)));
}
BENCHMARK(BM_Placeholder)->Arg(160)->Arg(640)->Arg(1280)->Unit(benchmark::kMillisecond);

} // namespace
