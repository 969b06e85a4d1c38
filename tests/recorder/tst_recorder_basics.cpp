// The Recorder without its tool (the demo case) and the parts that need no tool: demo lists,
// refusals, the recording folders and their settings, and the desktop calls.

#include "tests/recorder/recorder_rig.h"

#include <QSignalSpy>
#include <QStandardPaths>

using qv::test::RecorderRig;

class TestRecorderBasics : public QObject {
    Q_OBJECT

private slots:
    void demoListsAndRefusalsWithoutTheTool();
    void foldersPickedResetOpenedAndShown();
};

void TestRecorderBasics::demoListsAndRefusalsWithoutTheTool() {
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();
    QVERIFY(!rec.available());
    QCOMPARE(rec.toolPath(), rig.toolDir.path() + "/quorvel-capture");
    QCOMPARE(rec.videoFolder(), rig.videoDir); // from the settings

    // The demo lists stand in for the tool's; asking for fresh ones starts nothing.
    QVERIFY(!rec.monitors().isEmpty() && !rec.windows().isEmpty() && !rec.inputs().isEmpty());
    QSignalSpy lists(&rec, &qv::ui::Recorder::listsChanged);
    rec.refresh();
    QVERIFY(!rec.listing());
    QCOMPARE(lists.count(), 0);

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

void TestRecorderBasics::foldersPickedResetOpenedAndShown() {
    RecorderRig rig(RecorderRig::Tool::Missing);
    auto& rec = rig.make();
    QSignalSpy folders(&rec, &qv::ui::Recorder::foldersChanged);
    rig.calls.pick = rig.files.filePath("picked/видео");
    rec.chooseFolder("video");
    QCOMPARE(rig.calls.pickerTitles, QStringList{"Папка для видео"});
    QCOMPARE(rig.calls.pickerStarts, QStringList{rig.videoDir});
    QCOMPARE(rec.videoFolder(), QDir::toNativeSeparators(rig.calls.pick));
    rig.calls.pick.clear(); // cancelled
    rec.chooseFolder("audio");
    QCOMPARE(rec.audioFolder(), rig.audioDir);
    QCOMPARE(folders.count(), 1);

    // Opening creates a missing folder first.
    QVERIFY(!QDir(rec.videoFolder()).exists());
    rec.openFolder("video");
    QVERIFY(QDir(rec.videoFolder()).exists());
    QCOMPARE(rig.calls.opened, QStringList{rec.videoFolder()});
    rec.showFile(rig.videoDir + "/a.mp4");
    rec.showFile("");
    QCOMPARE(rig.calls.shown, QStringList{rig.videoDir + "/a.mp4"});

    rec.resetFolder("video");
    QCOMPARE(rec.videoFolder(),
             QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + "/QUORVEL");
    rec.resetFolder("anything else is audio");
    QCOMPARE(rec.audioFolder(),
             QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + "/QUORVEL");
    QCOMPARE(QString::fromStdString(rig.backend->config().settings.audioFolder), QString());
    QCOMPARE(folders.count(), 3);
}

QTEST_GUILESS_MAIN(TestRecorderBasics)
#include "tst_recorder_basics.moc"
