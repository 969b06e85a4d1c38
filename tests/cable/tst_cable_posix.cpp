// The POSIX system calls of the cable setup: osslsigncode's verdicts mapped onto WinVerifyTrust's
// codes, and the elevated start that cannot happen here, in a whole run on the real calls. A
// downloaded unsigned installer is tst_cable_flow's "unsigned, downloaded" row.

#include "cable/cable_signature.h"
#include "tests/cable/cable_rig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using qv::test::CableRig;
using qv::test::writeFile;

namespace {

// An unsigned 64-bit Windows program, made by the build.
QByteArray unsignedProgram() {
#ifdef QV_UNSIGNED_PROGRAM
    QFile program(QStringLiteral(QV_UNSIGNED_PROGRAM));
    if (program.open(QIODevice::ReadOnly))
        return program.readAll();
#endif
    return {};
}

// Signs `in` into `out` with a fresh self-signed certificate: a signature no one trusts.
bool selfSign(const QString& folder, const QString& in, const QString& out) {
    const QString key = folder + QStringLiteral("/key.pem"),
                  cert = folder + QStringLiteral("/cert.pem");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                   "-days", "2", "-subj", "/CN=Not VB-Audio"});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0)
        return false;
    QProcess sign;
    sign.start(QStringLiteral("osslsigncode"),
               {"sign", "-certs", cert, "-key", key, "-in", in, "-out", out});
    return sign.waitForFinished(30000) && sign.exitCode() == 0;
}

void useRealSystem(qv::ui::CableEnvironment& env) {
    env.system.verifySignature = &qv::ui::verifyInstallerSignature;
    env.system.launchElevated = &qv::ui::launchElevated;
    env.system.holdInstaller = &qv::ui::holdInstallerFile;
}

} // namespace

class CablePosixTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("osslsigncode")).isEmpty(),
                 "osslsigncode (Debian package osslsigncode) is needed");
        QVERIFY2(!unsignedProgram().isEmpty(),
                 "the cross compiler x86_64-w64-mingw32-gcc is needed");
    }

    void verdicts();
    void bundledUnsignedInstallerCannotStartHere();
};

void CablePosixTest::verdicts() {
    using namespace qv::cable;
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("O'Brien [x]/plain.exe"));
    QVERIFY(writeFile(plain, unsignedProgram()));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("text.exe")), "PK not a program"));

    QCOMPARE(qv::ui::verifyInstallerSignature(plain), kTrustNoSignature);
    for (const char* name : {"text.exe", "missing.exe"}) // no program, no file
        QCOMPARE(qv::ui::verifyInstallerSignature(dir.filePath(name)), kTrustSubjectUnknown);
    // Without the verifier the check fails closed.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8());
    const quint32 withoutVerifier = qv::ui::verifyInstallerSignature(plain);
    qputenv("PATH", path);
    QCOMPARE(withoutVerifier, kTrustProviderUnknown);

    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
        QSKIP("openssl is needed to make an untrusted signature");
    const QString signedFile = dir.filePath(QStringLiteral("signed.exe"));
    QVERIFY(selfSign(dir.path(), plain, signedFile));
    QCOMPARE(qv::ui::verifyInstallerSignature(signedFile), kTrustFailure);
}

void CablePosixTest::bundledUnsignedInstallerCannotStartHere() {
    CableRig rig;
    rig.bundle(unsignedProgram());
    rig.create(useRealSystem);
    rig.setup->install();
    QCOMPARE(rig.state(), QStringLiteral("error"));
    QCOMPARE(rig.setup->message(),
             QStringLiteral("Не удалось запустить установщик VB-CABLE (ошибка 50)."));
    QVERIFY(QFile::exists(rig.setup->localInstaller()));
}

QTEST_MAIN(CablePosixTest)
#include "tst_cable_posix.moc"
