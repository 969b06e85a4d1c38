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

void put16(QByteArray& b, int at, quint16 v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}
void put32(QByteArray& b, int at, quint32 v) {
    put16(b, at, quint16(v));
    put16(b, at + 2, quint16(v >> 16));
}

// The smallest 64-bit Windows program osslsigncode reads: headers and one code section that
// only returns. Never signed.
QByteArray unsignedProgram() {
    QByteArray b(0x400, '\0');
    b[0] = 'M', b[1] = 'Z';
    put32(b, 0x3C, 0x40);                        // e_lfanew
    b.replace(0x40, 4, QByteArray("PE\0\0", 4)); // signature
    put16(b, 0x44, 0x8664), put16(b, 0x46, 1);   // machine, one section
    put16(b, 0x54, 240), put16(b, 0x56, 0x22);   // optional header size, characteristics
    const int o = 0x58;                          // PE32+ optional header
    put16(b, o, 0x20B);
    put32(b, o + 16, 0x1000);                          // entry point
    put32(b, o + 24, 0x40000000);                      // image base (low half)
    put32(b, o + 32, 0x1000), put32(b, o + 36, 0x200); // alignments
    put16(b, o + 40, 6), put16(b, o + 48, 6);          // OS and subsystem versions
    put32(b, o + 56, 0x2000), put32(b, o + 60, 0x200); // image and header sizes
    put16(b, o + 68, 3);                               // console subsystem
    put32(b, o + 72, 0x100000), put32(b, o + 80, 0x1000);
    put32(b, o + 88, 0x100000), put32(b, o + 96, 0x1000);
    put32(b, o + 108, 16); // data directories
    const int s = o + 240; // the section
    b.replace(s, 5, ".text");
    put32(b, s + 8, 0x1000), put32(b, s + 12, 0x1000), put32(b, s + 16, 0x200);
    put32(b, s + 20, 0x200), put32(b, s + 36, 0x60000020);
    b[0x200] = char(0xC3); // ret
    return b;
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
    QCOMPARE(qv::ui::verifyInstallerSignature(dir.filePath(QStringLiteral("text.exe"))),
             kTrustSubjectUnknown);
    QCOMPARE(qv::ui::verifyInstallerSignature(dir.filePath(QStringLiteral("missing.exe"))),
             kTrustSubjectUnknown);
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
