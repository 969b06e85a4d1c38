// The Recorder against a scripted capture tool: command lines, standard input commands, events,
// the standard-error toast, file names, the lists, the clocks and the end of the program.

#include "tests/recorder/recorder_rig.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>

#include <cerrno>
#include <csignal>
#include <sys/types.h>

using qv::test::RecorderRig;
using qv::test::ToolRun;

namespace {

const QString kStopped = QStringLiteral(R"(print {"event":"stopped","file":"$OUT"})");

bool processGone(qint64 pid) {
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

class TestRecorderCapture : public QObject {
    Q_OBJECT

private slots:
    void commandLines();
    void eventsAndCommandsOfRecordings();
    void eventsOfThePreviewProcess();
    void failedExitIsExplained_data();
    void failedExitIsExplained();
    void toolOutputIsBounded();
    void namesTakenInTheSameSecond();
    void listsFromTheTool();
    void clocksAndTicks();
    void destructionStopsWaitsAndKills();
};

void TestRecorderCapture::commandLines() {
    RecorderRig rig;
    auto& rec = rig.make();
    QVERIFY(rec.available());
    // Only the tool beside the program runs: no variable of the environment it was started in
    // can make it run another executable.
    {
        qputenv("QUORVEL_CAPTURE_DIR", rig.toolDir.path().toLocal8Bit());
        const qv::ui::Recorder shipped(rig.backend.get());
        qunsetenv("QUORVEL_CAPTURE_DIR");
        QVERIFY(!shipped.toolPath().startsWith(rig.toolDir.path()));
        QVERIFY(!shipped.available());
    }
    const QString stamp = "QUORVEL 2024-03-05 07-08-09";

    rec.startVideo("m1", "", false, "1920x1080");
    QTRY_COMPARE(rig.runsOf("video").size(), size_t(1));
    const QString block = rec.previewBlockName();
    QCOMPARE(block, rig.runtimeDir.filePath("QuorvelPreview-" + rig.pid()));
    QCOMPARE(
        rig.runsOf("video")[0].args,
        QStringList({"video", "--out", rig.videoDir + "/" + stamp + ".mp4", "--target", "m1",
                     "--mic", "none", "--system", "off", "--size", "1920x1080", "--preview", block,
                     "--preview-size", "640x360", "--preview-on", "0", "--parent", rig.pid()}));
    rec.stopVideo();
    QTRY_VERIFY(!rec.videoRecording());

    rec.startAudio({"spk1"}, "", "wav");
    QTRY_COMPARE(rig.runsOf("audio").size(), size_t(1));
    QCOMPARE(rig.runsOf("audio")[0].args,
             QStringList({"audio", "--out", rig.audioDir + "/" + stamp + ".wav", "--source", "spk1",
                          "--parent", rig.pid()}));
    rec.stopAudio();
    QTRY_VERIFY(!rec.audioRecording());

    // The tool created its files: the next video in that second gets " (2)", another format not.
    rec.startVideo("w2", "mic-7", true, "1280x720");
    rec.startAudio({"spk1", "spk2"}, "mic-7", "mp3");
    QTRY_COMPARE(rig.runsOf("audio").size(), size_t(2));
    QTRY_COMPARE(rig.runsOf("video").size(), size_t(2));
    const QString later = stamp + " (2)";
    QCOMPARE(rig.runsOf("audio")[1].args,
             QStringList({"audio", "--out", rig.audioDir + "/" + stamp + ".mp3", "--source", "spk1",
                          "--source", "spk2", "--mic", "mic-7", "--parent", rig.pid()}));
    QCOMPARE(rig.runsOf("video")[1].args.mid(0, 11),
             QStringList({"video", "--out", rig.videoDir + "/" + later + ".mp4", "--target", "w2",
                          "--mic", "mic-7", "--system", "on", "--size", "1280x720"}));

    // Starting again while the same kind runs is ignored; nothing to record is refused.
    rec.startVideo("m0", "", false, "1x1");
    rec.startAudio({"spk3"}, "", "wav");
    rec.startAudio({}, "", "wav");
    QTest::qWait(100);
    QCOMPARE(rig.runsOf("video").size(), size_t(2));
    QCOMPARE(rig.runsOf("audio").size(), size_t(2));
    rec.stopAudio();
    QTRY_VERIFY(!rec.audioRecording());
    rec.startAudio({}, "", "wav");
    QCOMPARE(rig.toast(), QString("Выберите, что записывать"));
    // A format that is not a plain word never becomes part of the path.
    rec.startAudio({"spk1"}, "", "/../../x");
    QTRY_COMPARE(rig.runsOf("audio").size(), size_t(3));
    QVERIFY(rig.runsOf("audio")[2].args[2].startsWith(rig.audioDir + "/QUORVEL 2024-03-05 "));
    QVERIFY(rig.runsOf("audio")[2].args[2].endsWith(".wav"));
}

// The recording's events (lines that are no event object are skipped) and the commands sent to
// it on standard input; a recording's "stopped" names the file that was saved.
void TestRecorderCapture::eventsAndCommandsOfRecordings() {
    RecorderRig rig;
    rig.script("video", {R"(print {"event":"target","id":"w3"})", "print not json", "print [1,2]",
                         R"(print {"event":"note","note":"minimized"})",
                         R"(print {"event":"warning","text":"диск почти заполнен"})", "wait stop",
                         kStopped});
    rig.script("audio",
               {R"(print {"event":"error","text":"устройство пропало"})", "wait stop", kStopped});
    auto& rec = rig.make();
    QSignalSpy video(&rec, &qv::ui::Recorder::videoChanged);
    rec.startVideo("m0", "", true, "1920x1080");
    QTRY_COMPARE(rec.videoTarget(), QString("w3"));
    QTRY_COMPARE(rig.toast(), QString("Запись: диск почти заполнен"));
    QCOMPARE(rec.previewNote(),
             QString("Окно свёрнуто — на видео застынет последний кадр. Разверните окно."));
    rec.switchTarget("w1");
    QCOMPARE(rec.videoTarget(), QString("w1"));
    rec.startPreview("m0", 640, 360); // the recording feeds the preview
    QCOMPARE(rec.previewTarget(), QString("w1"));
    QVERIFY(rec.previewPolling());
    rec.stopPreview();

    rec.startAudio({"spk"}, "", "m4a");
    QTRY_COMPARE(rig.toast(), QString("Запись: устройство пропало"));
    QSignalSpy audio(&rec, &qv::ui::Recorder::audioChanged);
    rec.stopAudio();
    QTRY_VERIFY(!rec.audioRecording());
    QCOMPARE(rec.lastAudio(), rig.runsOf("audio")[0].args[2]);
    QVERIFY(rec.lastAudio().endsWith(".m4a"));
    QCOMPARE(rig.toast(), "Сохранено: " + QFileInfo(rec.lastAudio()).fileName());
    QCOMPARE(audio.count(), 2); // "stopped", then the end of the process
    QVERIFY(rec.videoRecording());
    QVERIFY(rec.lastVideo().isEmpty());

    rec.stopVideo();
    QTRY_VERIFY(!rec.videoRecording());
    const ToolRun run = rig.runsOf("video").at(0);
    QCOMPARE(run.input, QStringList({"target w1", "preview on", "preview off", "stop"}));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(rec.lastVideo(), run.args[2]);
    QCOMPARE(rig.toast(), "Сохранено: " + QFileInfo(run.args[2]).fileName());
    // Start, the tool's target, the switch, "stopped", the end of the process.
    QCOMPARE(video.count(), 5);
    QVERIFY(rig.runsOf("preview").empty());
}

void TestRecorderCapture::eventsOfThePreviewProcess() {
    RecorderRig rig;
    rig.script("preview", {R"(print {"event":"error","text":"окно недоступно"})",
                           R"(print {"event":"warning","text":"медленно"})", "wait target go",
                           R"(print {"event":"started"})", "wait target closed",
                           R"(print {"event":"note","note":"closed"})", "wait target t2",
                           R"(print {"event":"note","note":"other"})", "wait target y",
                           R"(print {"event":"target","id":"y"})", "stderr сломалось", "exit 3"});
    auto& rec = rig.make();
    rec.startPreview("w9", 640, 360);
    QVERIFY(rec.previewProcessRunning());
    QTRY_COMPARE(rec.previewNote(), QString("Не удаётся показать: окно недоступно"));
    QVERIFY(rig.toast().isEmpty());
    // Lines reach the preview process through target changes; each one moves the script on.
    auto step = [&](const QString& target, const QString& note) {
        rec.startPreview(target, 640, 360);
        QTRY_COMPARE(rec.previewNote(), note);
    };
    step("go", "");
    step("closed", "Окно закрыто — выберите другое");
    step("t2", "");
    step("y", "");
    QTRY_VERIFY(!rec.previewProcessRunning());
    QVERIFY2(rig.toast().isEmpty(), qPrintable(rig.toast())); // neither warnings nor stderr
    QCOMPARE(rig.runsOf("preview")[0].input,
             QStringList({"target go", "target closed", "target t2", "target y"}));
}

// A recording that ends badly says so: with the tool's error output when it left some, else
// with the exit status, and with the file it managed to write. Success and the preview stay quiet.
// A tool that cannot start is not left looking like a recording that runs forever.
void TestRecorderCapture::failedExitIsExplained_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("script");   // empty: the tool is no program
    QTest::addColumn<QStringList>("mentions"); // in the toast; none: no toast
    QTest::addColumn<bool>("saved");           // the written file became the last recording
    const QString name = "QUORVEL 2024-03-05 07-08-09";
    QTest::newRow("failed with text") << "audio" << QStringList{"stderr нет устройства", "exit 1"}
                                      << QStringList{"Запись: нет устройства"} << false;
    QTest::newRow("failed silently")
        << "audio" << QStringList{"exit 7"} << QStringList{"7"} << false;
    QTest::newRow("crashed after writing") << "video" << QStringList{"record 100", "crash"}
                                           << QStringList{"quorvel-capture", name + ".mp4"} << true;
    QTest::newRow("failed after writing")
        << "audio" << QStringList{"record 10", "exit 3"} << QStringList{"3", name + ".wav"} << true;
    QTest::newRow("success with text")
        << "audio" << QStringList{"stderr шум", "exit 0"} << QStringList{} << false;
    QTest::newRow("video trimmed") << "video" << QStringList{"stderr   сбой кодека  ", "exit 2"}
                                   << QStringList{"Запись: сбой кодека"} << false;
    QTest::newRow("preview") << "preview" << QStringList{"stderr не видно", "exit 1"}
                             << QStringList{} << false;
    QTest::newRow("tool cannot start")
        << "video" << QStringList{} << QStringList{"Запись: не удалось запустить quorvel-capture"}
        << false;
}

void TestRecorderCapture::failedExitIsExplained() {
    QFETCH(QString, mode);
    QFETCH(QStringList, script);
    QFETCH(QStringList, mentions);
    QFETCH(bool, saved);
    RecorderRig rig(script.isEmpty() ? RecorderRig::Tool::NotExecutable
                                     : RecorderRig::Tool::Scripted);
    rig.script(mode, script);
    auto& rec = rig.make();
    QVERIFY(rec.available());
    if (mode == "audio")
        rec.startAudio({"spk"}, "", "wav");
    else if (mode == "video")
        rec.startVideo("m0", "", false, "1920x1080");
    else
        rec.startPreview("m0", 640, 360);
    QTRY_VERIFY(!rec.audioRecording() && !rec.videoRecording() && !rec.previewProcessRunning());
    QTRY_COMPARE(rig.runsOf(mode).size(), size_t(script.isEmpty() ? 0 : 1));
    QTest::qWait(50);
    QVERIFY(!rec.videoRecording());
    QCOMPARE(rig.toast().isEmpty(), mentions.isEmpty());
    for (const QString& part : mentions)
        QVERIFY2(rig.toast().contains(part), qPrintable(rig.toast()));
    const QString last = mode == "video" ? rec.lastVideo() : rec.lastAudio();
    QCOMPARE(!last.isEmpty() && QFileInfo(last).size() > 0, saved);
}

// What the tool sends is bounded: an over-long line is dropped to its newline and reported, the
// lines after it still count; only the tail of the error output is kept.
void TestRecorderCapture::toolOutputIsBounded() {
    RecorderRig rig;
    const qint64 line = qv::ui::Recorder::kMaxLineBytes, kept = qv::ui::Recorder::kKeptErrorBytes;
    rig.script("audio", {QString("spew err %1").arg(3 * kept), "stderr конец",
                         QString("spew out %1").arg(2 * line), "print",
                         R"(print {"event":"warning","text":"после"})", "wait stop", "exit 1"});
    auto& rec = rig.make();
    QStringList toasts;
    connect(rig.backend.get(), &qv::ui::Backend::toastChanged, this, [&] {
        if (!rig.toast().isEmpty())
            toasts << rig.toast();
    });
    rec.startAudio({"spk"}, "", "wav");
    QTRY_VERIFY(toasts.contains("Запись: после"));
    QCOMPARE(toasts.size(), 2);
    QVERIFY(toasts[0].contains(QString::number(line / 1024)));
    rec.stopAudio();
    QTRY_VERIFY(!rec.audioRecording());
    QVERIFY(toasts.last().endsWith("конец"));
    QVERIFY(toasts.last().size() <= kept + 16);
}

void TestRecorderCapture::namesTakenInTheSameSecond() {
    const QDateTime now(QDate(2025, 12, 31), QTime(23, 59, 58));
    QTemporaryDir dir;
    const QString stem = dir.filePath("new/deeper/QUORVEL 2025-12-31 23-59-58");
    for (const QString& expected : {stem + ".wav", stem + " (2).wav", stem + " (3).wav"}) {
        const QString name = qv::ui::Recorder::newFileName(dir.filePath("new/deeper"), "wav", now);
        QCOMPARE(name, expected);
        QVERIFY(QFile(name).open(QIODevice::WriteOnly)); // the folder was made
    }
    // Another extension is another name.
    QCOMPARE(qv::ui::Recorder::newFileName(dir.filePath("new/deeper"), "mp3", now), stem + ".mp3");
}

void TestRecorderCapture::listsFromTheTool() {
    RecorderRig rig;
    rig.script("list",
               {"sleep 100", R"(print {"monitors":[{"id":"m0","name":"Экран","primary":true},7],)"
                             R"( "inputs":[{"id":"i1","name":"Мик","default":false}]})"});
    auto timings = RecorderRig::fastTimings();
    timings.listTimeoutMs = 300;
    auto& rec = rig.make(timings);
    QVERIFY(rec.monitors().isEmpty());
    QSignalSpy lists(&rec, &qv::ui::Recorder::listsChanged);
    rec.refresh();
    rec.refresh(); // one list process at a time
    QVERIFY(rec.listing());
    QTRY_COMPARE(lists.count(), 1);
    QCOMPARE(rig.runsOf("list").size(), size_t(1));
    QCOMPARE(rig.runsOf("list")[0].args, QStringList{"list"});
    QCOMPARE(rec.monitors().size(), 1);
    const QVariantMap monitor = rec.monitors()[0].toMap();
    QCOMPARE(monitor.value("name").toString(), QString("Экран"));
    QCOMPARE(monitor.value("primary").toBool(), true);
    QCOMPARE(rec.inputs()[0].toMap().value("id").toString(), QString("i1"));
    QVERIFY(rec.windows().isEmpty());
    QVERIFY(rec.outputs().isEmpty());

    // Output that is not a non-empty object keeps the lists; a list run that hangs or floods is
    // ended and reported.
    const QStringList outputs = {"print {}", "print [1]", "print x", "sleep 5000",
                                 "spew out 2000000"};
    for (const QString& output : outputs) {
        rig.script("list", {output, R"(print {"monitors":[{"id":"m9"}]})"});
        rig.backend->showToast(QString());
        rec.refresh();
        QTRY_VERIFY_WITH_TIMEOUT(!rec.listing(), 3000);
        if (!output.startsWith("print"))
            QVERIFY2(!rig.toast().isEmpty(), qPrintable(output));
    }
    QCOMPARE(lists.count(), 1);
    QCOMPARE(rec.monitors().size(), 1);
}

void TestRecorderCapture::clocksAndTicks() {
    RecorderRig rig;
    auto& rec = rig.make();
    QSignalSpy ticks(&rec, &qv::ui::Recorder::tick);
    QCOMPARE(rec.videoSeconds(), 0);
    rec.startAudio({"spk"}, "", "wav");
    rig.nowMs += 2999;
    QCOMPARE(rec.audioSeconds(), 2);
    QCOMPARE(rec.videoSeconds(), 0);
    rec.startVideo("m0", "", false, "1920x1080");
    rig.nowMs += 3725000;
    QCOMPARE(rec.videoSeconds(), 3725);
    QCOMPARE(rec.timeText(rec.videoSeconds()), QString("01:02:05"));
    QCOMPARE(rec.timeText(360000), QString("100:00:00"));
    QCOMPARE(rec.timeText(-5), QString("00:00:00"));

    rec.stopAudio();
    QTRY_VERIFY(!rec.audioRecording());
    QCOMPARE(rec.audioSeconds(), 0);
    const int before = ticks.count();
    QTRY_VERIFY(ticks.count() > before + 1); // video still runs
    rec.stopVideo();
    QTRY_VERIFY(!rec.videoRecording());
    QTest::qWait(20);
    const int stopped = ticks.count();
    QTest::qWait(100);
    QCOMPARE(ticks.count(), stopped);
}

void TestRecorderCapture::destructionStopsWaitsAndKills() {
    {
        // Every tool hears "stop"; one that finishes in time exits by itself.
        RecorderRig rig;
        rig.script("video", {"wait stop", "sleep 150", "exit 0"});
        rig.script("audio", {"wait stop", "exit 0"});
        rig.script("preview", {"wait stop", "exit 0"});
        auto& rec = rig.make();
        rec.startVideo("m0", "", false, "1920x1080");
        rec.startAudio({"spk"}, "", "wav");
        QTRY_COMPARE(rig.runs().size(), size_t(2));
        const QString block = rec.previewBlockName();
        QVERIFY(QFile::exists(block));
        QElapsedTimer clock;
        clock.start();
        rig.recorder.reset();
        QVERIFY(clock.elapsed() >= 140);
        for (const ToolRun& run : rig.runs()) {
            QCOMPARE(run.input, QStringList{"stop"});
            QVERIFY(run.exited());
        }
        QVERIFY(!QFile::exists(block)); // the block goes with the Recorder
    }
    {
        // A tool that ignores "stop" is killed after the wait.
        RecorderRig rig;
        rig.script("preview", {"sleep 30000"});
        auto timings = RecorderRig::fastTimings();
        timings.stopWaitMs = 300;
        auto& rec = rig.make(timings);
        rec.startPreview("m0", 640, 360);
        QTRY_COMPARE(rig.runs().size(), size_t(1));
        const qint64 pid = rig.runs()[0].pid;
        QElapsedTimer clock;
        clock.start();
        rig.recorder.reset();
        QVERIFY2(clock.elapsed() >= 290 && clock.elapsed() < 3000,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(processGone(pid));
        QVERIFY(!rig.runs()[0].exited());
    }
}

QTEST_GUILESS_MAIN(TestRecorderCapture)
#include "tst_recorder_capture.moc"
