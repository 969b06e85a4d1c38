// The capture preview: size rules, the preview process and its hand-over to a recording, the
// poll of the shared block, the demo placeholder and its scaler, and PreviewImages read from
// another thread.

#include "recorder/preview_block.h"
#include "recorder/preview_frame.h"
#include "recorder/preview_images.h"
#include "recorder/preview_placeholder.h"
#include "tests/recorder/preview_writer.h"
#include "tests/recorder/recorder_rig.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

using qv::test::RecorderRig;
using qv::ui::Recorder;

namespace {

// The block as the tool sees it: the file named by the Recorder, mapped shared.
std::shared_ptr<unsigned char> mapAsTheTool(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR);
    void* map = fd < 0 ? MAP_FAILED
                       : ::mmap(nullptr, qv::rec::kPreviewBlockSize, PROT_READ | PROT_WRITE,
                                MAP_SHARED, fd, 0);
    if (fd >= 0)
        ::close(fd);
    if (map == MAP_FAILED)
        return nullptr;
    return {static_cast<unsigned char*>(map),
            [](unsigned char* data) { ::munmap(data, qv::rec::kPreviewBlockSize); }};
}

bool uniform(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0))
                return false;
    return true;
}

// A Recorder whose preview block is polled by hand, with the block mapped as the tool maps it.
std::shared_ptr<unsigned char> startPolledByHand(RecorderRig& rig) {
    auto timings = RecorderRig::fastTimings();
    timings.previewPollMs = 600000;
    rig.make(timings).startPreview("m0", 640, 360);
    return mapAsTheTool(rig.recorder->previewBlockName());
}

} // namespace

class TestRecorderPreview : public QObject {
    Q_OBJECT

private slots:
    void sizeRules_data();
    void sizeRules();
    void scalerKeepsTheShape();
    void placeholderWithoutTheTool();
    void previewProcessAndRecordingHandOver();
    void pollKeepsTheLastGoodFrame();
    void previewImagesFromAnotherThread();
};

void TestRecorderPreview::sizeRules_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<QSize>("size");
    QTest::newRow("too small") << 100 << QSize(160, 90);
    QTest::newRow("too large") << 2000 << QSize(1280, 720);
    QTest::newRow("odd") << 641 << QSize(640, 360);
    QTest::newRow("odd height") << 1279 << QSize(1278, 718);
    QTest::newRow("negative") << -50 << QSize(160, 90);
}

void TestRecorderPreview::sizeRules() {
    QFETCH(int, width);
    QFETCH(QSize, size);
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();
    rec.startPreview("m0", width, 5000); // the height asked for is not used
    QCOMPARE(rec.previewSize(), size);
    QCOMPARE(rec.previewImage().size(), size);
}

// The scaler only paints the demo placeholder; what matters there is the shape: the picture
// keeps its aspect ratio, centred, with opaque black bars, and the halving step averages.
void TestRecorderPreview::scalerKeepsTheShape() {
    // 8x2 into 4x2: the picture fills the top row, halved once: (0+10+1+2+2)/4 = 3.
    const int red[2][8] = {{0, 10, 20, 30, 40, 50, 60, 70}, {1, 2, 1, 1, 0, 0, 0, 255}};
    QImage source(8, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            source.setPixel(x, y, qRgb(red[y][x], 100, 0));
    const QImage scaled = qv::ui::scalePreview(source, QSize(4, 2));
    QCOMPARE(scaled.size(), QSize(4, 2));
    QCOMPARE(scaled.pixel(0, 0), qRgb(3, 100, 0));
    for (int x = 0; x < 4; ++x)
        QCOMPARE(scaled.pixel(x, 1), qRgb(0, 0, 0)); // the bar under the picture
    // A square into a wide frame: bars left and right.
    QCOMPARE(qv::ui::previewFitRect(QSize(2, 2), QSize(4, 2)), QRect(1, 0, 2, 2));
}

void TestRecorderPreview::placeholderWithoutTheTool() {
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();
    QSignalSpy changed(&rec, &Recorder::previewChanged);
    rec.startPreview("m0", 640, 360);
    QCOMPARE(changed.count(), 1);
    QVERIFY(rec.previewReady());
    QVERIFY(!rec.previewPolling());
    for (int y = 0; y < 360; y += 7)
        for (int x = 0; x < 640; x += 7)
            QCOMPARE(qAlpha(rec.previewImage().pixel(x, y)), 255);

    rec.startPreview("w1", 640, 360); // another target, another picture
    QCOMPARE(rec.previewSerial(), 2);
    qv::ui::PreviewImages provider(&rec);
    QSize reported;
    QCOMPARE(provider.requestImage("2", &reported, QSize(10, 10)), rec.previewImage());
    QCOMPARE(reported, QSize(640, 360));

    rec.stopPreview();
    QVERIFY(!rec.previewReady());
    QCOMPARE(rec.previewSerial(), 3);
    QVERIFY(provider.requestImage("3", &reported, QSize()).isNull());
    QVERIFY(reported.isEmpty());
}

// The preview process follows the dialog's target; a recording takes the preview over and hands
// it back to a new preview process when it ends while the preview is still wanted.
void TestRecorderPreview::previewProcessAndRecordingHandOver() {
    RecorderRig rig;
    rig.script("preview", {R"(print {"event":"started"})", "frame 64 36 112233", "wait stop"});
    rig.script("video", {"wait stop", R"(print {"event":"stopped","file":"$OUT"})"});
    auto& rec = rig.make();
    rec.startPreview("m0", 641, 0);
    QVERIFY(rec.previewProcessRunning());
    QVERIFY(rec.previewPolling());
    QTRY_VERIFY(rec.previewReady());
    QCOMPARE(rec.previewImage().size(), QSize(64, 36));
    QCOMPARE(rec.previewImage().pixel(63, 35), qRgba(0x11, 0x22, 0x33, 255));
    QCOMPARE(rig.runsOf("preview")[0].args,
             QStringList({"preview", "--target", "m0", "--preview", rec.previewBlockName(),
                          "--preview-size", "640x360", "--parent", rig.pid()}));
    rec.startPreview("m0", 640, 0); // the same target: nothing new
    rec.startPreview("w1", 640, 0);
    QCOMPARE(rec.previewTarget(), QString("w1"));

    rec.startVideo("w3", "", false, "1920x1080");
    QVERIFY(!rec.previewProcessRunning()); // the recording feeds the preview now
    QVERIFY(rec.previewPolling());
    QTRY_VERIFY(!rig.runsOf("video").empty());
    QCOMPARE(rig.runsOf("video")[0].args.mid(11, 6),
             QStringList({"--preview", rec.previewBlockName(), "--preview-size", "640x360",
                          "--preview-on", "1"}));
    QTRY_VERIFY(rig.runsOf("preview")[0].exited());
    QCOMPARE(rig.runsOf("preview")[0].input, QStringList({"target w1", "stop"}));
    rec.stopVideo();
    QTRY_VERIFY(!rec.videoRecording());
    QVERIFY(rec.previewProcessRunning());
    QTRY_COMPARE(rig.runsOf("preview").size(), size_t(2));
    QCOMPARE(rig.runsOf("preview")[1].args.mid(0, 3), QStringList({"preview", "--target", "w3"}));

    const int serial = rec.previewSerial();
    rec.stopPreview();
    QVERIFY(!rec.previewOn());
    QVERIFY(!rec.previewPolling());
    QVERIFY(!rec.previewReady());
    QCOMPARE(rec.previewSerial(), serial + 1);
    rec.startVideo("m1", "", false, "1920x1080");
    QTRY_COMPARE(rig.runsOf("video").size(), size_t(2));
    QCOMPARE(rig.runsOf("video")[1].args.mid(15, 2), QStringList({"--preview-on", "0"}));
    rec.stopVideo();
    QTRY_VERIFY(!rec.videoRecording());
    QVERIFY(!rec.previewProcessRunning());
    QTest::qWait(50);
    QCOMPARE(rig.runsOf("preview").size(), size_t(2));
    QTRY_VERIFY(rig.runsOf("preview")[1].exited());
}

// The reader's checks are preview_block_test's; here: a refused frame leaves the last one, and
// after a stop the old frame is not shown again.
void TestRecorderPreview::pollKeepsTheLastGoodFrame() {
    using namespace qv::rectest;
    RecorderRig rig;
    const auto block = startPolledByHand(rig);
    QVERIFY(block);
    auto& rec = *rig.recorder;
    publishPreviewFrame(block.get(), 4, 4, 0x00abcdef);
    rec.pollPreview();
    rec.pollPreview();
    QCOMPARE(rec.previewSerial(), 1);
    QCOMPARE(rec.previewImage().pixel(3, 3), qRgb(0xab, 0xcd, 0xef));
    writePreviewHeader(block.get(), 4, 65536, 16384);
    rec.pollPreview();
    QCOMPARE(rec.previewSerial(), 1);
    QCOMPARE(rec.previewImage().size(), QSize(4, 4));

    rec.stopPreview();
    rec.startPreview("m0", 640, 360);
    rec.pollPreview();
    QVERIFY(!rec.previewReady());
    QCOMPARE(rec.previewSerial(), 2);
}

void TestRecorderPreview::previewImagesFromAnotherThread() {
    RecorderRig rig;
    const auto block = startPolledByHand(rig);
    QVERIFY(block);
    auto& rec = *rig.recorder;
    qv::ui::PreviewImages provider(&rec);

    std::atomic<bool> done{false};
    std::atomic<int> served{0};
    std::atomic<const char*> failure{nullptr};
    std::thread reader([&] {
        while (!done.load()) {
            QSize size(-1, -1);
            const QImage image = provider.requestImage("1", &size, QSize(8, 8));
            if (size != image.size()) {
                failure = "reported size differs";
                return;
            }
            if (image.isNull())
                continue;
            ++served;
            if (!uniform(image) || image.width() * 9 != image.height() * 16) {
                failure = "a damaged image was served";
                return;
            }
        }
    });
    const QSize sizes[] = {{16, 9}, {64, 36}, {320, 180}};
    int frames = 0, stops = 0;
    QElapsedTimer clock;
    clock.start();
    // At least 300 frames, and on until the reader has been served a good number of them.
    while ((frames < 300 || served.load() < 100) && !failure.load() && clock.elapsed() < 5000) {
        ++frames;
        const QSize s = sizes[frames % 3];
        qv::rectest::publishPreviewFrame(block.get(), s.width(), s.height(), 0x00102030u + frames);
        rec.pollPreview();
        if (frames % 50 == 0) { // the image becomes null and comes back
            rec.stopPreview();
            rec.startPreview("m0", 640, 360);
            ++stops;
        }
    }
    done = true;
    reader.join();
    QVERIFY2(!failure.load(), failure.load());
    QVERIFY(served.load() >= 100);
    QCOMPARE(rec.previewSerial(), frames + stops);
}

QTEST_MAIN(TestRecorderPreview)
#include "tst_recorder_preview.moc"
