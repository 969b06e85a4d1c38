// Screenshot mode. The driver over a small stand-in main window (shots_window.qml, with short
// waits): which steps run and in what order, the first wait per mode, which windows become
// pictures of which size, the folder, and the quit at the end. Then the real program, offscreen,
// against the demo engine and against the stand-in engine process, read through its step log.

#include "app/screenshots.h"
#include "tests/app/quorvel_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QRegularExpression>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using qv::test::kQuorvelPath;
using qv::test::QuorvelProcess;
using qv::ui::runScreenshots;
using qv::ui::ScreenshotStep;
using qv::ui::screenshotSteps;
using qv::ui::ScreenshotTimings;

namespace {

const QString kEngine = QStringLiteral(QV_ENGINE_PATH);
const QString kWindowQml = QStringLiteral(QV_SHOTS_QML);

// What a real engine run takes, in list order (not in the order anyone would name them).
const QStringList kEngineRunIds = {
    "main",     "add",   "routes-device", "routes-mic", "devices-add",
    "settings", "voice", "recorder",      "screen",     "screen-window",
};

// Receives the stand-in window's screenshotStep calls, with the time of each.
class ShotLog : public QObject {
    Q_OBJECT
public:
    ShotLog() { clock.start(); }
    double nowMs() const { return double(clock.nsecsElapsed()) / 1e6; }
    Q_INVOKABLE void step(const QString& id) {
        ids.append(id);
        atMs.append(nowMs());
    }

    QElapsedTimer clock;
    QStringList ids;
    QList<double> atMs;
};

// Runs the application's event loop until the driver quits it; 99 when it never does.
int execUntilQuit() {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(30000);
    return QCoreApplication::exec();
}

QStringList idsOf(const QList<ScreenshotStep>& steps) {
    QStringList ids;
    for (const ScreenshotStep& s : steps)
        ids.append(s.id);
    return ids;
}

const ScreenshotStep* stepById(const QString& id) {
    for (const ScreenshotStep& s : screenshotSteps()) {
        if (s.id == id)
            return &s;
    }
    return nullptr;
}

QSet<QString> filesIn(const QString& dir) {
    const QStringList names = QDir(dir).entryList(QDir::Files);
    return {names.cbegin(), names.cend()};
}

// The pictures (file -> size) the stand-in window gives. It shows the add dialog on "add" and
// "devices-add", the settings dialog on the steps named "settings…", never the routes dialog, and
// has no other dialog at all.
QMap<QString, QSize> standInPictures(const QStringList& ids) {
    QMap<QString, QSize> pictures;
    for (const QString& id : ids) {
        const ScreenshotStep* s = stepById(id);
        if (!s)
            continue;
        if (s->window == "mainWindow")
            pictures.insert(s->file, QSize(640, 480));
        else if (s->window == "addDialog" && (id == "add" || id == "devices-add"))
            pictures.insert(s->file, QSize(320, 200));
        else if (s->window == "settingsDialog" && id.startsWith("settings"))
            pictures.insert(s->file, QSize(500, 260));
    }
    return pictures;
}

// The real program's environment: offscreen on a 1920 × 1080 screen like the run command's, with
// the step log. The VB-CABLE progress step must not download: any request would go through the
// proxy (Qt takes it from the environment), which counts connections.
std::function<void(QProcessEnvironment&)> shotsEnvironment(const QUrl& cableServer) {
    return [cableServer](QProcessEnvironment& env) {
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" QV_OFFSCREEN_SCREEN);
        env.insert("QT_LOGGING_RULES", "quorvel.screenshots.info=true");
        env.insert("https_proxy", cableServer.toString());
        env.insert("http_proxy", cableServer.toString());
        env.remove("no_proxy");
        env.remove("NO_PROXY");
    };
}

// What the program's step log says.
struct StepLog {
    QStringList started;
    QMap<QString, QSize> written;     // file -> size
    QMap<QString, QString> writtenBy; // file -> step id
    QStringList skips;                // hidden windows, files not written
};

StepLog readStepLog(const QByteArray& log) {
    static const QRegularExpression started(R"(step (\S+) started)");
    static const QRegularExpression wrote(R"(step (\S+) wrote (\S+) (\d+)x(\d+))");
    static const QRegularExpression skipped(R"(step \S+ skipped: .*)");
    StepLog r;
    for (const QString& line : QString::fromUtf8(log).split('\n')) {
        if (const auto m = started.match(line); m.hasMatch()) {
            r.started.append(m.captured(1));
        } else if (const auto m = wrote.match(line); m.hasMatch()) {
            r.written.insert(m.captured(2), QSize(m.captured(3).toInt(), m.captured(4).toInt()));
            r.writtenBy.insert(m.captured(2), m.captured(1));
        } else if (const auto m = skipped.match(line);
                   m.hasMatch() && !line.contains("skipped: no window")) {
            r.skips.append(m.captured(0));
        }
    }
    return r;
}

// Mean brightness of a picture, 0 to 255.
double meanLuma(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            sum += line[x];
    }
    return grey.isNull() ? 0 : sum / (double(grey.width()) * grey.height());
}

// Every step gave its picture under the table's name, at the window's size, except the steps of
// windows the program does not have yet; nothing else is in the folder. All pictures of the
// settings window have one size, whatever its tab.
void verifyProgramPictures(const QuorvelProcess& program, const QString& dir,
                           const QStringList& expectedIds) {
    QVERIFY2(program.finished(), program.log.constData());
    QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.process.exitCode() == 0, program.log.right(4000).constData());

    const StepLog steps = readStepLog(program.log);
    QCOMPARE(steps.started, expectedIds);
    QVERIFY2(steps.skips.isEmpty(), qPrintable(steps.skips.join('\n')));
    QList<QSize> settingsSizes;
    for (const QString& id : expectedIds) {
        const ScreenshotStep* s = stepById(id);
        QVERIFY(s);
        QCOMPARE(steps.writtenBy.value(s->file), id);
        const QImage image(dir + "/" + s->file);
        QCOMPARE(image.size(), steps.written.value(s->file));
        if (s->window == "settingsDialog" && !settingsSizes.contains(image.size()))
            settingsSizes.append(image.size());
    }
    QCOMPARE(settingsSizes.size(), 1);
    QCOMPARE(filesIn(dir).size(), expectedIds.size());
    const QStringList writtenFiles = steps.written.keys();
    QCOMPARE(filesIn(dir), QSet<QString>(writtenFiles.cbegin(), writtenFiles.cend()));
}

} // namespace

class AppScreenshotsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
    }
    void cleanup() { m_tmp.reset(); }

    void runWalksThePlan_data() {
        QTest::addColumn<bool>("engineMode");
        QTest::addColumn<int>("demoFirstMs");
        QTest::addColumn<int>("engineFirstMs");
        QTest::addColumn<QStringList>("expectedIds");
        // The first wait of the other mode is 0: taking the wrong one shows at once.
        QTest::newRow("demo engine") << false << 300 << 0 << idsOf(screenshotSteps());
        QTest::newRow("real engine") << true << 0 << 300 << kEngineRunIds;
    }

    // Steps in list order, the first after its mode's wait, each grab a step wait after its
    // preparation; a picture for every visible window of the table's name and the window's size;
    // none for hidden or missing windows, and the next step still runs; quit after the last.
    void runWalksThePlan() {
        QFETCH(bool, engineMode);
        QFETCH(int, demoFirstMs);
        QFETCH(int, engineFirstMs);
        QFETCH(QStringList, expectedIds);
        constexpr int kStepMs = 20;

        ShotLog log;
        auto engine = loadWindow(log);
        QVERIFY(engine);
        const QString dir = m_tmp->filePath("shots");
        const double startMs = log.nowMs();
        runScreenshots(*engine, dir, engineMode, {demoFirstMs, engineFirstMs, kStepMs});
        QCOMPARE(execUntilQuit(), 0);

        QCOMPARE(log.ids, expectedIds);
        QVERIFY2(log.atMs.first() - startMs >= 300, qPrintable(QString::number(log.atMs.first())));
        for (qsizetype i = 1; i < log.atMs.size(); ++i)
            QVERIFY2(log.atMs[i] - log.atMs[i - 1] >= kStepMs, qPrintable(log.ids[i]));

        const QMap<QString, QSize> expected = standInPictures(expectedIds);
        const QStringList expectedFiles = expected.keys();
        QCOMPARE(filesIn(dir), QSet<QString>(expectedFiles.cbegin(), expectedFiles.cend()));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(QImage(dir + "/" + it.key()).size(), it.value());
    }

    // Old pictures are replaced, other files stay; a name that cannot be written (here taken
    // by a folder) is skipped and the run carries on to the end.
    void existingFolderIsReused() {
        const QString dir = m_tmp->filePath("shots");
        QVERIFY(QDir().mkpath(dir + "/03-main-compact.png"));
        QImage old(1, 1, QImage::Format_RGB32);
        old.fill(Qt::white);
        QVERIFY(old.save(dir + "/01-main.png"));
        QFile note(dir + "/keep.txt");
        QVERIFY(note.open(QIODevice::WriteOnly));
        note.write("mine");
        note.close();

        runFast(dir);
        QCOMPARE(QImage(dir + "/01-main.png").size(), QSize(640, 480));
        QVERIFY(QFileInfo(dir + "/03-main-compact.png").isDir());
        QCOMPARE(QImage(dir + "/11-main-dimmed.png").size(), QSize(640, 480));
        QVERIFY(note.open(QIODevice::ReadOnly));
        QCOMPARE(note.readAll(), QByteArray("mine"));
    }

    // An empty folder value writes into the current folder, never into the file system's root.
    void emptyFolderIsTheCurrentOne() {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_tmp->path()));
        runFast(QString());
        QDir::setCurrent(previous);
        QCOMPARE(QImage(m_tmp->filePath("01-main.png")).size(), QSize(640, 480));
    }

    // The program itself: against the demo engine every step, against the stand-in engine the
    // engine run's steps, the first of them after the longer engine wait; the engine run's folder
    // is made with its parents. Both run at once, so the test takes about as long as the demo run
    // (about 34 s).
    void programTakesThePictures() {
        QVERIFY2(QFileInfo(kQuorvelPath).isExecutable(), qPrintable(kQuorvelPath));
        QVERIFY2(QFileInfo(kEngine).isExecutable(), qPrintable(kEngine));
        const QString runtime = qv::test::privateFolder(m_tmp->filePath("run"));
        QVERIFY(!runtime.isEmpty());
        QuorvelProcess engine(m_tmp->filePath("home-engine"), runtime, {}, {}, kEngine);
        QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo::exists(runtime + "/QUORVEL.Engine"),
                                  engine.log.constData(), 10000);

        // Stands in for the driver's download server; nobody may connect.
        QTcpServer cableServer;
        QVERIFY(cableServer.listen(QHostAddress::LocalHost));
        int cableConnections = 0;
        connect(&cableServer, &QTcpServer::newConnection, this, [&] { ++cableConnections; });
        const QUrl cableUrl(QStringLiteral("http://127.0.0.1:%1/").arg(cableServer.serverPort()));

        const QString demoDir = m_tmp->filePath("demo shots");
        const QString engineDir = m_tmp->filePath("engine/shots");
        QuorvelProcess demo(m_tmp->filePath("home-demo"), m_tmp->filePath("run-demo"),
                            {"--screenshots", demoDir}, shotsEnvironment(cableUrl));
        QuorvelProcess real(m_tmp->filePath("home-engine"), runtime,
                            {"--screenshots", engineDir, "--engine", "--no-engine-start"},
                            shotsEnvironment(cableUrl));
        real.watched = "step main started";
        QTRY_VERIFY_WITH_TIMEOUT(demo.finished() && real.finished(), 120000);

        verifyProgramPictures(demo, demoDir, idsOf(screenshotSteps()));
        QCOMPARE(cableConnections, 0);
        // Behind an open dialog the main window is dimmed.
        const double dimmed = meanLuma(QImage(demoDir + "/11-main-dimmed.png"));
        const double plain = meanLuma(QImage(demoDir + "/01-main.png"));
        QVERIFY2(dimmed < 0.7 * plain, qPrintable(QStringLiteral("%1 %2").arg(dimmed).arg(plain)));
        verifyProgramPictures(real, engineDir, kEngineRunIds);
        QVERIFY2(real.watchedAtMs >= 6000, qPrintable(QString::number(real.watchedAtMs)));
    }

private:
    std::unique_ptr<QQmlApplicationEngine> loadWindow(ShotLog& log) {
        auto engine = std::make_unique<QQmlApplicationEngine>();
        engine->rootContext()->setContextProperty("shotLog", &log);
        engine->load(QUrl::fromLocalFile(kWindowQml));
        if (engine->rootObjects().isEmpty())
            return nullptr;
        return engine;
    }

    // A whole run with no waits to speak of, which must end in the quit.
    void runFast(const QString& dir) {
        ShotLog log;
        auto engine = loadWindow(log);
        QVERIFY(engine);
        runScreenshots(*engine, dir, false, {0, 0, 1});
        QCOMPARE(execUntilQuit(), 0);
        QCOMPARE(log.ids.size(), screenshotSteps().size());
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
};

QTEST_MAIN(AppScreenshotsTest)
#include "tst_app_screenshots.moc"
