// One interface per session, with the real program as separate processes (offscreen, a private
// runtime folder and settings folder): a second start in engine mode asks the running one to
// show itself and exits 0 without a window; a demo runs beside it (which options make engine
// mode is tst_app_options' table); a crashed instance leaves nothing that blocks the next start;
// the show channel ignores anything but a show request.

#include "app/single_instance.h"
#include "tests/app/quorvel_process.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using qv::test::kQuorvelPath;
using qv::test::QuorvelProcess;
using qv::ui::ShowRequestFilter;
using qv::ui::SingleInstance;

namespace {

// Generous: the program may be instrumented (sanitizers) and share the machine.
constexpr int kStartMs = 30000;

// Stands in for the tray: counts the show requests it receives.
class ShowTarget : public QObject {
    Q_OBJECT
public:
    int shows = 0;
public slots:
    void showWindow() { ++shows; }
};

} // namespace

class AppInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(QFileInfo(kQuorvelPath).isExecutable(), qPrintable(kQuorvelPath));
    }

    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        m_runtime = qv::test::privateFolder(m_home->filePath("run"));
        QVERIFY(!m_runtime.isEmpty());
        // The in-process instance looks in the same folder as the programs.
        qputenv("QUORVEL_RUNTIME_DIR", m_runtime.toLocal8Bit());
    }

    void cleanup() { m_home.reset(); }

    // Real programs only: the first shows its window on the second's request; a demo runs beside.
    void programsSideBySide() {
        QuorvelProcess first(m_home->path(), m_runtime, {"--no-engine-start"});
        QTRY_VERIFY2_WITH_TIMEOUT(first.logged("first frame"), first.log.constData(), kStartMs);

        QuorvelProcess second(m_home->path(), m_runtime, {});
        QTRY_VERIFY_WITH_TIMEOUT(second.finishedWith(0), kStartMs);
        QVERIFY2(!second.logged("first frame"), second.log.constData()); // no window of its own
        QTRY_VERIFY2(first.logged("show request"), first.log.constData());

        QuorvelProcess demo(m_home->path(), m_runtime, {"--demo"});
        QTRY_VERIFY2_WITH_TIMEOUT(demo.logged("first frame"), demo.log.constData(), kStartMs);
        QVERIFY(first.running());
        QVERIFY(demo.running());
        QCOMPARE(first.log.count("show request"), 1); // the demo asked nobody
    }

    // A killed instance leaves its lock file and socket behind; neither blocks the next start.
    void crashLeavesNothingThatBlocks() {
        {
            QuorvelProcess crashed(m_home->path(), m_runtime, {"--no-engine-start"});
            QTRY_VERIFY2_WITH_TIMEOUT(crashed.logged("first frame"), crashed.log.constData(),
                                      kStartMs);
            crashed.process.kill(); // SIGKILL: no clean-up at all
            QVERIFY(crashed.process.waitForFinished(5000));
        }
        QVERIFY(QFile::exists(m_runtime + "/QUORVEL.UI.Show"));

        SingleInstance instance;
        QCOMPARE(instance.claim(), SingleInstance::Claim::First);
        ShowTarget target;
        ShowRequestFilter filter(&target, instance);
        QVERIFY(filter.install()); // over the stale socket

        QuorvelProcess next(m_home->path(), m_runtime, {});
        QTRY_VERIFY_WITH_TIMEOUT(next.finishedWith(0), kStartMs);
        QTRY_COMPARE(target.shows, 1);
    }

    // A runtime folder that others could write to is refused: no protection, start normally.
    void unsafeRuntimeFolderRunsUnprotected() {
        QVERIFY(::chmod(QFile::encodeName(m_runtime).constData(), 0777) == 0);
        SingleInstance instance;
        QCOMPARE(instance.claim(), SingleInstance::Claim::Unprotected);
        QVERIFY(!instance.held());
        ShowTarget target;
        ShowRequestFilter filter(&target, instance);
        QVERIFY(!filter.install());
        QVERIFY(!QFile::exists(m_runtime + "/QUORVEL.UI.Instance"));
    }

    // Only the line "show" counts; an endless line is cut off.
    void showChannelTakesOnlyShowLines() {
        SingleInstance instance;
        QCOMPARE(instance.claim(), SingleInstance::Claim::First);
        ShowTarget target;
        ShowRequestFilter filter(&target, instance);
        QVERIFY(filter.install());
        const QString channel = m_runtime + "/QUORVEL.UI.Show";

        QLocalSocket client;
        client.connectToServer(channel);
        QVERIFY(client.waitForConnected(2000));
        client.write("hello\nshows\nshow\n");
        QTRY_COMPARE(target.shows, 1);
        client.write(QByteArray(200, 'x'));
        QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(target.shows, 1);

        // Queued: nothing runs inside the socket's read.
        QLocalSocket again;
        again.connectToServer(channel);
        QVERIFY(again.waitForConnected(2000));
        again.write("show\n");
        QVERIFY(again.waitForBytesWritten(2000));
        QTRY_COMPARE(target.shows, 2);
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_runtime;
};

QTEST_GUILESS_MAIN(AppInstanceTest)
#include "tst_app_instance.moc"
