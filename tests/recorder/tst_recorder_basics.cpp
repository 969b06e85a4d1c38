// The Recorder without its tool (the demo case) and the parts that need no tool: demo lists,
// refusals, the recording folders and their settings, the desktop calls, and timeText.

#include "tests/recorder/recorder_rig.h"

#include <QSignalSpy>
#include <QStandardPaths>

using qv::test::RecorderRig;

class TestRecorderBasics : public QObject {
    Q_OBJECT

private slots:
    void demoListsWithoutTheTool();
    void toolOnlyFromTheProgramFolder();
    void recordingsRefusedWithoutTheTool();
    void folderDefaultsAndSettings();
    void chooseResetOpenShow();
    void timeText_data();
    void timeText();
};

void TestRecorderBasics::demoListsWithoutTheTool() {
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();
    QVERIFY(!rec.available());
    QCOMPARE(rec.toolPath(), rig.toolDir.path() + "/quorvel-capture");

    auto pick = [](const QVariantList& list, const QStringList& keys) {
        QStringList out;
        for (const QVariant& item : list) {
            QStringList values;
            for (const QString& key : keys)
                values << item.toMap().value(key).toString();
            out << values.join('|');
        }
        return out;
    };
    QCOMPARE(
        pick(rec.monitors(), {"id", "name", "primary"}),
        QStringList({"m0|Экран 1 (2560×1440, основной)|true", "m1|Экран 2 (1920×1080)|false"}));
    QCOMPARE(pick(rec.windows(), {"id", "name", "exe"}),
             QStringList({"w1|Counter-Strike 2|cs2.exe", "w2|Discord|Discord.exe",
                          "w3|YouTube — Браузер|browser.exe"}));
    QCOMPARE(pick(rec.inputs(), {"id", "name", "default"}),
             QStringList({"demo-mic|Микрофон (USB-микрофон)|true"}));
    QVERIFY(rec.outputs().isEmpty());

    QSignalSpy lists(&rec, &qv::ui::Recorder::listsChanged);
    rec.refresh();
    QVERIFY(!rec.listing());
    QCOMPARE(lists.count(), 0);
}

// The program runs only the tool beside itself: no variable of the environment it was started in
// can make it run another executable.
void TestRecorderBasics::toolOnlyFromTheProgramFolder() {
    RecorderRig rig;
    qputenv("QUORVEL_CAPTURE_DIR", rig.toolDir.path().toLocal8Bit());
    const qv::ui::Recorder shipped(rig.backend.get());
    qunsetenv("QUORVEL_CAPTURE_DIR");
    QVERIFY(!shipped.toolPath().startsWith(rig.toolDir.path()));
    QVERIFY(!shipped.available());
}

void TestRecorderBasics::recordingsRefusedWithoutTheTool() {
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();
    QSignalSpy video(&rec, &qv::ui::Recorder::videoChanged);
    rec.startVideo("m0", "", true, "1920x1080");
    QCOMPARE(rig.toast(),
             QString("Запись экрана работает в Windows (quorvel-capture.exe рядом с QUORVEL)"));
    rec.startAudio({"spk"}, "", "wav");
    QCOMPARE(rig.toast(),
             QString("Рекордер работает в Windows (quorvel-capture.exe рядом с QUORVEL)"));
    QVERIFY(!rec.videoRecording());
    QVERIFY(!rec.audioRecording());
    QCOMPARE(video.count(), 0);
    QVERIFY(!QDir(rig.videoDir).exists()); // no file name was made
    rec.switchTarget("w1");                // nothing runs: nothing changes
    QVERIFY(rec.videoTarget().isEmpty());
}

void TestRecorderBasics::folderDefaultsAndSettings() {
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();
    QCOMPARE(rec.videoFolder(), rig.videoDir);
    QCOMPARE(rec.audioFolder(), rig.audioDir);

    QSignalSpy folders(&rec, &qv::ui::Recorder::foldersChanged);
    rec.resetFolder("video");
    QCOMPARE(folders.count(), 1);
    QCOMPARE(rec.videoFolder(),
             QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + "/QUORVEL");
    QCOMPARE(rec.audioFolder(), rig.audioDir);
    rec.resetFolder("anything else is audio");
    QCOMPARE(rec.audioFolder(),
             QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + "/QUORVEL");
    QCOMPARE(QString::fromStdString(rig.backend->config().settings.audioFolder), QString());
    QCOMPARE(folders.count(), 2);
}

void TestRecorderBasics::chooseResetOpenShow() {
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();

    rig.calls.pick = rig.files.filePath("picked/видео");
    rec.chooseFolder("video");
    QCOMPARE(rig.calls.pickerTitles, QStringList{"Папка для видео"});
    QCOMPARE(rig.calls.pickerStarts, QStringList{rig.videoDir});
    QCOMPARE(rec.videoFolder(), QDir::toNativeSeparators(rig.calls.pick));

    rig.calls.pick.clear(); // cancelled
    rec.chooseFolder("audio");
    QCOMPARE(rig.calls.pickerTitles.last(), QString("Папка для записей звука"));
    QCOMPARE(rec.audioFolder(), rig.audioDir);

    // Opening creates a missing folder first.
    QVERIFY(!QDir(rec.videoFolder()).exists());
    rec.openFolder("video");
    QVERIFY(QDir(rec.videoFolder()).exists());
    QCOMPARE(rig.calls.opened, QStringList{rec.videoFolder()});

    rec.showFile(rig.videoDir + "/a.mp4");
    rec.showFile("");
    QCOMPARE(rig.calls.shown, QStringList{rig.videoDir + "/a.mp4"});
}

void TestRecorderBasics::timeText_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0 << "00:00:00";
    QTest::newRow("59") << 59 << "00:00:59";
    QTest::newRow("60") << 60 << "00:01:00";
    QTest::newRow("3599") << 3599 << "00:59:59";
    QTest::newRow("3600") << 3600 << "01:00:00";
    QTest::newRow("3725") << 3725 << "01:02:05";
    QTest::newRow("100 hours") << 360000 << "100:00:00";
    QTest::newRow("negative") << -5 << "00:00:00";
}

void TestRecorderBasics::timeText() {
    QFETCH(int, seconds);
    QFETCH(QString, text);
    RecorderRig rig(RecorderRig::Tool::Missing);
    QCOMPARE(rig.make().timeText(seconds), text);
}

QTEST_GUILESS_MAIN(TestRecorderBasics)
#include "tst_recorder_basics.moc"
