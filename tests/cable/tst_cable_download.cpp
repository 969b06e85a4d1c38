// The download path against a loopback HTTP server and the unpack with the real bsdtar; the
// signature check and the elevated start are scripted.

#include "tests/cable/cable_rig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtTest>

using qv::test::CableRig;
using qv::test::driverPackage;
using qv::test::LoopbackServer;
using Response = LoopbackServer::Response;

Q_DECLARE_METATYPE(Response)

namespace {

const QString kFirst = qv::test::kPackagePath;
const QString kSecond = QStringLiteral("/Download_CABLE/VBCABLE_Driver_Pack43.zip");
const QString kDamaged = QStringLiteral("Скачанный файл VB-CABLE повреждён — попробуйте ещё раз.");
const QString kFailed = QStringLiteral("Не удалось скачать VB-CABLE (");
const QString kDownloadFailedEnd =
    QStringLiteral("). Проверьте интернет или скачайте его сами с vb-audio.com/Cable — после "
                   "установки QUORVEL подключит его.");

Response answer(int status, const QByteArray& body = {}) {
    Response r;
    r.status = status;
    r.body = body;
    return r;
}

void startDownload(CableRig& rig, LoopbackServer& server) {
    rig.create([&](qv::ui::CableEnvironment& env) { env.downloadServer = server.base(); });
    rig.setup->install();
}

} // namespace

class CableDownloadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("bsdtar")).isEmpty(),
                 "bsdtar (Debian package libarchive-tools) is needed");
    }

    void answers_data();
    void answers();
    void packageUnpacksIntoAFolderThatNeedsQuoting();
    void unpackFailures_data();
    void unpackFailures();
    void cancelStopsADownloadQuietly();
    void serverAddressIsTheVendorsOnly();
};

void CableDownloadTest::answers_data() {
    QTest::addColumn<Response>("first");
    QTest::addColumn<Response>("second");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("messageStart");

    const QString unpackFailed = QStringLiteral("Не удалось распаковать VB-CABLE (");
    const QString declined = QStringLiteral("Установка отменена");
    Response redirect = answer(302);
    redirect.location = "/mirror/pack.zip";

    QTest::newRow("404 then 200") << answer(404) << answer(200, driverPackage())
                                  << QStringList{kFirst, kSecond} << "cancelled" << declined;
    QTest::newRow("404 twice") << answer(404) << answer(404) << QStringList{kFirst, kSecond}
                               << "error" << kFailed;
    QTest::newRow("server error is not retried")
        << answer(500) << answer(200, driverPackage()) << QStringList{kFirst} << "error" << kFailed;
    QTest::newRow("redirect followed")
        << redirect << answer(200, driverPackage()) << QStringList{kFirst, "/mirror/pack.zip"}
        << "cancelled" << declined;
    QTest::newRow("HTML page") << answer(200, "<html>" + QByteArray(3000, 'x') + "</html>")
                               << answer(200, driverPackage()) << QStringList{kFirst} << "error"
                               << kDamaged;
    QTest::newRow("999 bytes") << answer(200, "PK" + QByteArray(997, 'x')) << Response()
                               << QStringList{kFirst} << "error" << kDamaged;
    QTest::newRow("1000 bytes pass the check")
        << answer(200, "PK" + QByteArray(998, 'x')) << Response() << QStringList{kFirst} << "error"
        << unpackFailed;
    QTest::newRow("30 MiB pass the check")
        << answer(200, "PK" + QByteArray(qv::ui::CableSetup::kMaxPackageBytes - 2, 'x'))
        << Response() << QStringList{kFirst} << "error" << unpackFailed;

    // Downloads over a limit are cut off, and so is a server that stops sending.
    Response streamed =
        answer(200, "PK" + QByteArray(qv::ui::CableSetup::kMaxPackageBytes + 65536, 'x'));
    streamed.noLength = true;
    Response announced = answer(200, "PK" + QByteArray(4096, 'x'));
    announced.declaredLength = 40 * 1024 * 1024;
    Response silent;
    silent.hold = true;
    QTest::newRow("over 30 MiB without a length")
        << streamed << Response() << QStringList{kFirst} << "error" << kFailed;
    QTest::newRow("announced as 40 MiB")
        << announced << Response() << QStringList{kFirst} << "error" << kFailed;
    QTest::newRow("server stops sending")
        << silent << Response() << QStringList{kFirst} << "error" << kFailed;
}

void CableDownloadTest::answers() {
    QFETCH(Response, first);
    QFETCH(Response, second);
    QFETCH(QStringList, paths);
    QFETCH(QString, state);
    QFETCH(QString, messageStart);

    LoopbackServer server;
    server.route(kFirst, first);
    server.route(kSecond, second);
    server.route(QStringLiteral("/mirror/pack.zip"), second);
    CableRig rig;
    rig.launchError = 1223;
    rig.create([&](qv::ui::CableEnvironment& env) {
        env.downloadServer = server.base();
        env.stallTimeoutMs = 500;
    });
    rig.setup->install();

    QCOMPARE(rig.state(), QStringLiteral("download"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.setup->busy(), 15000);
    QCOMPARE(rig.state(), state);
    QVERIFY2(rig.setup->message().startsWith(messageStart), qPrintable(rig.setup->message()));
    if (messageStart == kFailed) {
        QVERIFY(rig.setup->message().endsWith(kDownloadFailedEnd));
        QVERIFY2(!rig.setup->message().contains("cancel"), qPrintable(rig.setup->message()));
    }
    QCOMPARE(rig.setup->progress(), -1);
    QCOMPARE(server.paths(), paths);
    for (const QByteArray& agent : server.userAgents())
        QCOMPARE(agent, QByteArray("QUORVEL"));
    // The package never stays behind: rejected bodies are not written, unpacked ones removed.
    if (state == QLatin1String("cancelled") || messageStart == kFailed)
        QVERIFY(!QFile::exists(rig.setup->packagePath()));
    QTRY_COMPARE(server.openConnections(), 0); // the setup hung up
}

void CableDownloadTest::packageUnpacksIntoAFolderThatNeedsQuoting() {
    LoopbackServer server;
    Response pack = answer(200, driverPackage());
    server.route(kFirst, pack);
    CableRig rig(QStringLiteral("O'Brien's [data] & more"));
    // Left by an earlier run, and perhaps swapped since: only this run's package counts.
    const QString leftOver = rig.leaveInstaller();
    startDownload(rig, server);

    QTRY_COMPARE(rig.state(), QStringLiteral("wait"));
    QCOMPARE(rig.verified.size(), 1);
    const QString installer = rig.verified[0];
    QVERIFY(installer != leftOver);
    const QString runFolder = installer.section(QLatin1Char('/'), 0, -3);
    QCOMPARE(QFileInfo(runFolder).absolutePath(), rig.workFolder);
    QVERIFY(installer.endsWith(QStringLiteral("/VBCABLE Pack/VBCABLE_Setup_x64.exe")));
    // Nobody else may write where the installer is started from.
    const auto othersWrite = QFile::WriteGroup | QFile::WriteOther;
    QCOMPARE(QFileInfo(runFolder).permissions() & othersWrite, QFile::Permissions());
    QCOMPARE(QFileInfo(rig.workFolder).permissions() & othersWrite, QFile::Permissions());
    QFile unpacked(installer);
    QVERIFY(unpacked.open(QIODevice::ReadOnly));
    QCOMPARE(unpacked.readAll(), QByteArray("installer bytes"));
    QVERIFY(!QFile::exists(rig.setup->packagePath()));

    QCOMPARE(rig.launches.size(), size_t(1));
    QCOMPARE(rig.launches[0].installer, QDir::toNativeSeparators(installer));
    QCOMPARE(rig.launches[0].parameters, QStringLiteral("-i -h"));
    QCOMPARE(rig.launches[0].folder, QDir::toNativeSeparators(QFileInfo(installer).absolutePath()));

    // Progress: 0 with the plain text first, then percentages; -1 in every other state.
    const QString text = QStringLiteral("Скачиваю VB-CABLE с vb-audio.com…");
    QCOMPARE(rig.history.first(), (QStringList{"download", text, "0"}));
    QVERIFY(rig.history.contains(QStringList{"download", text + QStringLiteral(" 100 %"), "100"}));
    for (const QStringList& step : rig.history) {
        if (step[0] != QLatin1String("download"))
            QCOMPARE(step[2], QStringLiteral("-1"));
    }
}

// A package that does not unpack to an installer, or unpacks to far more than it weighs (past the
// cap the unpack is stopped), or cannot be saved, leaves nothing behind and is never checked.
void CableDownloadTest::unpackFailures_data() {
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("breakage");     // "no unpacker" or "no folder" to save in
    QTest::addColumn<QString>("messageStart"); // empty: the unpack-failed text
    QTest::newRow("no installer inside") << driverPackage("VBCABLE Pack/other.exe") << ""
                                         << "";
    QTest::newRow("entry escaping the folder") << driverPackage("../VBCABLE_Setup_x64.exe") << ""
                                               << "";
    QTest::newRow("unpacker missing") << driverPackage() << "no unpacker"
                                      << "";
    QTest::newRow("unpacked size over the cap")
        << qv::test::storedZip(
               {{"big.bin", QByteArray(65536, 'b')}, {"VBCABLE_Setup_x64.exe", "x"}})
        << ""
        << "Распакованный VB-CABLE занимает больше";
    QTest::newRow("save failure names the folder") << driverPackage() << "no folder"
                                                   << "Не удалось сохранить VB-CABLE в ";
}

void CableDownloadTest::unpackFailures() {
    QFETCH(QByteArray, archive);
    QFETCH(QString, breakage);
    QFETCH(QString, messageStart);
    LoopbackServer server;
    server.route(kFirst, answer(200, archive));
    CableRig rig;
    if (breakage == "no folder") // a file where a folder must go
        QVERIFY(qv::test::writeFile(rig.temp.path() + "/work", "file"));
    rig.create([&](qv::ui::CableEnvironment& env) {
        env.downloadServer = server.base();
        env.maxUnpackedBytes = 16384;
        if (breakage == "no unpacker")
            env.system.unpackCommand = [](const QString&, const QString&) {
                return qv::ui::UnpackCommand{QStringLiteral("/nonexistent/bsdtar"), {}};
            };
    });
    rig.setup->install();

    QTRY_VERIFY_WITH_TIMEOUT(!rig.setup->busy(), 10000);
    QCOMPARE(rig.state(), QStringLiteral("error"));
    if (messageStart.isEmpty())
        QCOMPARE(rig.setup->message(),
                 QStringLiteral("Не удалось распаковать VB-CABLE (%1).")
                     .arg(QDir::toNativeSeparators(rig.setup->packagePath())));
    else if (breakage == "no folder")
        QCOMPARE(rig.setup->message(), messageStart + QDir::toNativeSeparators(rig.workFolder));
    else
        QVERIFY2(rig.setup->message().startsWith(messageStart), qPrintable(rig.setup->message()));
    QVERIFY(rig.verified.isEmpty());
    QVERIFY(!QFile::exists(rig.temp.path() + "/work/QUORVEL/VBCABLE_Setup_x64.exe"));
    QVERIFY(QDir(rig.workFolder).entryList({"unpack-*"}, QDir::Dirs).isEmpty());
}

void CableDownloadTest::cancelStopsADownloadQuietly() {
    LoopbackServer server;
    Response hold;
    hold.hold = true;
    server.route(kFirst, hold);
    CableRig rig;
    startDownload(rig, server);
    QTRY_COMPARE(server.paths().size(), 1);

    QCOMPARE(rig.state(), QStringLiteral("download"));
    const qsizetype before = rig.history.size();
    rig.setup->cancel();
    QCOMPARE(rig.history.size(), before + 1);
    QCOMPARE(rig.history.last(), (QStringList{"", "", "-1"}));
    QTRY_COMPARE(server.openConnections(), 0);
    QTest::qWait(50); // nothing late may turn the cancel into an error
    QCOMPARE(rig.history.size(), before + 1);
    QCOMPARE(server.paths().size(), 1);
}

// The program downloads from the vendor over HTTPS only: nothing in the environment it was
// started in can send it to another server or to plain HTTP. Another server is for tests alone,
// through an environment of their own.
void CableDownloadTest::serverAddressIsTheVendorsOnly() {
    using qv::ui::CableEnvironment;
    LoopbackServer server;
    qputenv("QUORVEL_CABLE_BASE_URL", server.base().toString().toUtf8());
    const CableEnvironment env = CableEnvironment::fromSystem();
    qunsetenv("QUORVEL_CABLE_BASE_URL");
    QCOMPARE(env.downloadServer, QUrl(QStringLiteral("https://download.vb-audio.com")));
    QCOMPARE(env.site, QUrl(QStringLiteral("https://vb-audio.com")));

    CableRig rig;
    rig.create();
    rig.setup->openSite();
    QCOMPARE(rig.opened, QList<QUrl>{QUrl(QStringLiteral("https://vb-audio.com/Cable/"))});
}

QTEST_MAIN(CableDownloadTest)
#include "tst_cable_download.moc"
