#include "cable/cable_signature.h"

#include <QByteArrayList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <memory>

namespace qv::ui {

namespace {

constexpr int kVerifyTimeoutMs = 60000;

// Runs the verifier to its end (killed after the time-out); false when it could not start.
bool runVerifier(const QString& tool, const QStringList& args, QProcess& verifier) {
    // The verdict is read from the tool's English messages.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    verifier.setProcessEnvironment(environment);
    verifier.setProcessChannelMode(QProcess::MergedChannels);
    verifier.start(tool, args);
    if (!verifier.waitForStarted())
        return false;
    if (!verifier.waitForFinished(kVerifyTimeoutMs)) {
        verifier.kill();
        verifier.waitForFinished();
    }
    return true;
}

QByteArrayList outputLines(QProcess& verifier) {
    QByteArrayList lines = verifier.readAll().split('\n');
    for (QByteArray& line : lines)
        line = line.trimmed();
    return lines;
}

} // namespace

quint32 verifyInstallerSignature(const QString& path) {
    using namespace qv::cable;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("osslsigncode"));
    if (tool.isEmpty())
        return kTrustProviderUnknown;

    // -ignore-crl: like the Windows check, no revocation lookups (and so no network access).
    // Versions before 2.6 neither know the option nor fetch revocation lists: they are asked
    // again without it.
    auto verifier = std::make_unique<QProcess>();
    if (!runVerifier(
            tool,
            {QStringLiteral("verify"), QStringLiteral("-ignore-crl"), QStringLiteral("-in"), path},
            *verifier))
        return kTrustProviderUnknown;
    QByteArrayList lines;
    if (verifier->exitStatus() == QProcess::NormalExit && verifier->exitCode() != 0) {
        lines = outputLines(*verifier);
        if (lines.contains("Unknown option: -ignore-crl")) {
            verifier = std::make_unique<QProcess>();
            if (!runVerifier(tool, {QStringLiteral("verify"), QStringLiteral("-in"), path},
                             *verifier))
                return kTrustProviderUnknown;
            lines.clear();
        }
    }
    if (verifier->exitStatus() != QProcess::NormalExit)
        return kTrustFailure;
    if (verifier->exitCode() == 0)
        return kTrustOk;
    if (lines.isEmpty())
        lines = outputLines(*verifier);

    // Whole lines only: the tool repeats the file name in some messages, and a path must not
    // be able to pass for a verdict.
    for (const QByteArray& line : lines) {
        if (line == "No signature found")
            return kTrustNoSignature;
        if (line == "Initialization error or unsupported input file type.")
            return kTrustSubjectUnknown;
    }
    return kTrustFailure;
}

} // namespace qv::ui
