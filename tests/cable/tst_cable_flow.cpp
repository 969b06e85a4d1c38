// The setup's states from an installer at hand to the end, with the signature check, the
// elevated start and the clock scripted, and the Backend fed by a scripted engine.

#include "tests/backend/rows_support.h"
#include "tests/cable/cable_rig.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <algorithm>

using qv::test::CableRig;
using Json = nlohmann::json;

namespace {

const QString kDone = QStringLiteral(
    "Готово: VB-CABLE установлен. Голос с обработкой идёт в приложения через «CABLE Output "
    "(VB-Audio Virtual Cable)». Приложения с микрофоном «По умолчанию» подхватят его при "
    "следующем включении микрофона (перезайдите в голосовой канал).");

// Starts from the bundled installer and lets the scripted launch succeed without a handle.
void reachWait(CableRig& rig) {
    rig.bundle();
    rig.create();
    QVERIFY(rig.setup->bundled());
    rig.setup->install();
    QCOMPARE(rig.state(), QStringLiteral("wait"));
}

} // namespace

class CableFlowTest : public QObject {
    Q_OBJECT

private slots:
    void signatureVerdicts_data();
    void signatureVerdicts();
    void installerIsHeldFromCheckToStart();
    void launchOutcomes_data();
    void launchOutcomes();
    void cableShowingUpBeforeOrAfterTheDeadline();
    void finishPointsTheVirtualMicrophoneAtTheCable_data();
    void finishPointsTheVirtualMicrophoneAtTheCable();
    void busyCallsAreIgnoredAndCancelEndsTheWait();
    void simulatedInstallTouchesNothing();
};

void CableFlowTest::signatureVerdicts_data() {
    QTest::addColumn<bool>("bundled");
    QTest::addColumn<quint32>("verdict");
    QTest::addColumn<bool>("launched");

    // A valid downloaded one is tst_cable_download's package run.
    QTest::newRow("valid, bundled") << true << 0u << true;
    QTest::newRow("unsigned, bundled") << true << 0x800B0100u << true;
    QTest::newRow("unsigned, downloaded") << false << 0x800B0100u << false;
    QTest::newRow("bad, downloaded") << false << 0x80096010u << false;
    QTest::newRow("untrusted, bundled") << true << 0x800B0109u << false;
}

void CableFlowTest::signatureVerdicts() {
    QFETCH(bool, bundled);
    QFETCH(quint32, verdict);
    QFETCH(bool, launched);

    CableRig rig;
    // Left by an earlier run, and perhaps swapped since: never run.
    const QString leftOver = rig.leaveInstaller();
    if (bundled)
        rig.bundle();
    rig.verdict = verdict;
    qv::test::LoopbackServer server;
    server.route(qv::test::kPackagePath, {200, qv::test::driverPackage(), {}, false, -1, false});
    rig.create([&](qv::ui::CableEnvironment& env) { env.downloadServer = server.base(); });
    rig.setup->install();
    QTRY_VERIFY_WITH_TIMEOUT(rig.state() != "download" && rig.state() != "unpack", 10000);

    QCOMPARE(rig.verified.size(), 1); // the bundled one is preferred to a download
    const QString installer = rig.verified[0];
    QCOMPARE(installer == rig.setup->localInstaller(), bundled);
    QVERIFY(installer != leftOver);
    QVERIFY(std::any_of(rig.history.cbegin(), rig.history.cend(),
                        [](const QStringList& step) { return step.value(0) == "check"; }));
    QCOMPARE(rig.launches.size(), size_t(launched ? 1 : 0));
    if (launched) {
        QCOMPARE(rig.state(), QStringLiteral("wait"));
        return;
    }
    QCOMPARE(rig.state(), QStringLiteral("error"));
    QCOMPARE(rig.setup->message(),
             QStringLiteral("Подпись установщика VB-CABLE не прошла проверку Windows (0x%1) — "
                            "установка остановлена. Файл: %2")
                 .arg(QString::number(verdict, 16).rightJustified(8, QLatin1Char('0')),
                      QDir::toNativeSeparators(installer)));
    // Only what came from the work folder goes, and with it the whole folder.
    QCOMPARE(QDir(rig.workFolder).exists(), bundled);
    QCOMPARE(QFile::exists(rig.setup->localInstaller()), bundled);
}

// The installer is held open from before its check until its start has returned; one that
// cannot be held is neither checked nor started.
void CableFlowTest::installerIsHeldFromCheckToStart() {
    for (const bool holdable : {true, false}) {
        QStringList log;
        CableRig rig;
        rig.bundle();
        rig.create([&](qv::ui::CableEnvironment& env) {
            env.system.holdInstaller = [&](const QString&) -> std::shared_ptr<void> {
                log << "hold";
                if (!holdable)
                    return nullptr;
                return std::shared_ptr<void>(new int, [&](void* held) {
                    delete static_cast<int*>(held);
                    log << "release";
                });
            };
            env.system.verifySignature = [&](const QString&) {
                log << "verify";
                return 0u;
            };
            const auto launch = env.system.launchElevated;
            env.system.launchElevated = [&, launch](const QString& file, const QString& parameters,
                                                    const QString& folder) {
                log << "launch";
                return launch(file, parameters, folder);
            };
        });
        rig.setup->install();
        QCOMPARE(log, holdable ? QStringList({"hold", "verify", "launch", "release"})
                               : QStringList({"hold"}));
        QCOMPARE(rig.state(), holdable ? QStringLiteral("wait") : QStringLiteral("error"));
    }
}

void CableFlowTest::launchOutcomes_data() {
    QTest::addColumn<quint32>("error");
    QTest::addColumn<bool>("handle");
    QTest::addColumn<QString>("state");

    QTest::newRow("declined") << 1223u << false << "cancelled";
    QTest::newRow("failed") << 5u << false << "error";
    QTest::newRow("no handle") << 0u << false << "wait";
    QTest::newRow("handle") << 0u << true << "install";
    QTest::newRow("handle, cancelled") << 0u << true << "";
}

void CableFlowTest::launchOutcomes() {
    QFETCH(quint32, error);
    QFETCH(bool, handle);
    QFETCH(QString, state);

    CableRig rig;
    rig.bundle();
    rig.launchError = error;
    rig.launchWithHandle = handle;
    rig.create();
    rig.setup->install();
    if (state.isEmpty())
        rig.setup->cancel();
    QCOMPARE(rig.state(), state);
    if (error != 0 && error != 1223) // the system's code is named
        QCOMPARE(
            rig.setup->message(),
            QStringLiteral("Не удалось запустить установщик VB-CABLE (ошибка %1).").arg(error));
    QCOMPARE(rig.setup->busy(),
             state == QLatin1String("wait") || state == QLatin1String("install"));
    QCOMPARE(rig.timer->active(), state == QLatin1String("wait"));

    if (handle) { // the installer's end (whatever its exit code) starts the wait, unless cancelled
        QVERIFY(rig.installer); // still watched after a cancel: it goes on running
        const qsizetype before = rig.history.size();
        rig.installer->end();
        QCOMPARE(rig.state(), state.isEmpty() ? QString() : QStringLiteral("wait"));
        QCOMPARE(rig.timer->active(), !state.isEmpty());
        if (state.isEmpty())
            QCOMPARE(rig.history.size(), before);
        else
            QTRY_VERIFY(!rig.installer); // released once it has reported
    }
}

// The cable showing up before the deadline finishes; after it the setup waits for the user, whose
// next install finishes at once without checking or starting anything a second time.
void CableFlowTest::cableShowingUpBeforeOrAfterTheDeadline() {
    for (const bool late : {false, true}) {
        CableRig rig;
        reachWait(rig);
        QCOMPARE(rig.sentCommands("setSettings").size(), size_t(1));
        QCOMPARE(rig.sentCommands("setSettings")[0].value("virtualMicAuto", false), true);
        rig.timer->advance(qv::ui::CableSetup::kWaitMs - (late ? 0 : 1));
        rig.showCable(false); // other endpoint lists change nothing
        QCOMPARE(rig.state(), late ? QStringLiteral("reboot") : QStringLiteral("wait"));
        rig.showCable(true);
        if (late) {
            QCOMPARE(rig.state(), QStringLiteral("reboot"));
            QVERIFY(rig.sentCommands("setVirtualMic").empty());
            rig.setup->install();
        }
        QCOMPARE(rig.state(), QStringLiteral("done"));
        QCOMPARE(rig.setup->message(), kDone);
        QVERIFY(!rig.timer->active());
        QCOMPARE(rig.verified.size(), 1);
        QCOMPARE(rig.launches.size(), size_t(1));
        QCOMPARE(rig.sentCommands("setSettings").size(), size_t(1));
        const auto sent = rig.sentCommands("setVirtualMic");
        QCOMPARE(sent.size(), size_t(1)); // not again from the rebuild it causes
        QCOMPARE(sent[0].value("endpointId", std::string()), std::string("cab-r"));
        QCOMPARE(sent[0].value("recordEndpointId", std::string()), std::string("cab-c"));
    }
}

void CableFlowTest::finishPointsTheVirtualMicrophoneAtTheCable_data() {
    QTest::addColumn<QByteArray>("virtualMic"); // the document's "virtual_mic" device, if any
    QTest::addColumn<bool>("driverAvailable");
    QTest::addColumn<bool>("sent");

    const QByteArray cable = R"json({"id": "virtual_mic", "kind": "virtual_mic", "name": "CABLE",
        "external": true, "endpointId": "cab-r", "recordEndpointId": "cab-c",
        "endpointName": "CABLE Input (VB-Audio Virtual Cable)",
        "recordEndpointName": "CABLE Output (VB-Audio Virtual Cable)"})json";
    const QByteArray driver =
        R"json({"id": "virtual_mic", "kind": "virtual_mic", "name": "QUORVEL Mic"})json";
    QTest::newRow("no virtual microphone") << QByteArray() << true << true;
    QTest::newRow("already on the cable") << cable << true << false;
    QTest::newRow("own driver carries the voice") << driver << true << false;
    QTest::newRow("own driver unusable") << driver << false << true;
}

void CableFlowTest::finishPointsTheVirtualMicrophoneAtTheCable() {
    QFETCH(QByteArray, virtualMic);
    QFETCH(bool, driverAvailable);
    QFETCH(bool, sent);

    Json config = CableRig::documentWithoutVirtualMic();
    if (!virtualMic.isEmpty())
        config["devices"].push_back(Json::parse(virtualMic.toStdString()));
    CableRig rig(QStringLiteral("work"), config);
    const Json state =
        qv::test::stateWith(Json::array(), {qv::test::deviceState("virtual_mic", driverAvailable)});
    rig.transport->deliver(Json{{"event", "state"}, {"state", state}});
    rig.showCable(true);
    rig.create();
    QVERIFY(!rig.setup->bundled());
    rig.setup->install(); // the cable is there: finished at once
    QCOMPARE(rig.state(), QStringLiteral("done"));
    QCOMPARE(rig.setup->message(), kDone);
    QVERIFY(rig.verified.isEmpty());
    QVERIFY(rig.sentCommands("setSettings").empty());
    QCOMPARE(rig.sentCommands("setVirtualMic").size(), size_t(sent ? 1 : 0));
}

void CableFlowTest::busyCallsAreIgnoredAndCancelEndsTheWait() {
    CableRig rig;
    reachWait(rig);
    rig.setup->install();
    rig.setup->dismiss();
    QCOMPARE(rig.state(), QStringLiteral("wait"));
    QCOMPARE(rig.verified.size(), 1);

    rig.setup->cancel();
    QCOMPARE(rig.history.last(), (QStringList{"", "", "-1"}));
    QVERIFY(!rig.timer->active());
    rig.showCable(true);
    rig.timer->advance(qv::ui::CableSetup::kWaitMs);
    QCOMPARE(rig.state(), QString());

    rig.setup->install();
    QCOMPARE(rig.state(), QStringLiteral("done")); // the cable is there now
    rig.setup->dismiss();
    QCOMPARE(rig.history.last(), (QStringList{"", "", "-1"}));
}

// The screenshot run's install: a download advancing with the clock, then the usual wait. Not a
// request, not a file, not a system call, even with installers at hand.
void CableFlowTest::simulatedInstallTouchesNothing() {
    qv::test::LoopbackServer server;
    CableRig rig;
    rig.bundle();
    rig.leaveInstaller();
    rig.create([&](qv::ui::CableEnvironment& env) { env.downloadServer = server.base(); });
    rig.setup->simulateInstall(400);
    rig.setup->install();
    QTRY_COMPARE_WITH_TIMEOUT(rig.state(), QStringLiteral("wait"), 5000);

    QList<int> progress;
    for (const QStringList& step : rig.history) {
        if (step.at(0) == QLatin1String("download"))
            progress.append(step.at(2).toInt());
    }
    QVERIFY2(progress.size() >= 3, qPrintable(QString::number(progress.size())));
    QCOMPARE(progress.first(), 0);
    for (qsizetype i = 1; i < progress.size(); ++i)
        QVERIFY(progress.at(i) > progress.at(i - 1) && progress.at(i) < 100);
    QVERIFY(server.paths().isEmpty());
    QVERIFY(rig.verified.isEmpty());
    QVERIFY(rig.launches.empty());
    QVERIFY(!QFile::exists(rig.setup->packagePath()));

    rig.showCable(true);
    QTRY_COMPARE(rig.state(), QStringLiteral("done"));
}

QTEST_MAIN(CableFlowTest)
#include "tst_cable_flow.moc"
