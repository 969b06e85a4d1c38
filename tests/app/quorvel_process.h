#pragma once
// The real program as a separate process, offscreen, in private folders (its runtime folder, and
// settings and data under `home`), with its standard error, the log, collected. The program is
// killed if it is still running when the object goes.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

namespace qv::test {

inline const QString kQuorvelPath = QStringLiteral(QV_QUORVEL_PATH);

// `path`, made as a folder only its owner may use, as the program wants its runtime folder;
// empty when it cannot be made.
inline QString privateFolder(const QString& path) {
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    return QDir().mkpath(path) && QFile::setPermissions(path, owner) ? path : QString();
}

class QuorvelProcess {
public:
    // `adjust` may change the environment before the start (screen, log categories, proxies);
    // `program` is another of the build's programs in the same environment (the engine).
    QuorvelProcess(const QString& home, const QString& runtimeDir, const QStringList& arguments,
                   const std::function<void(QProcessEnvironment&)>& adjust = {},
                   const QString& program = kQuorvelPath) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUORVEL_RUNTIME_DIR"), runtimeDir);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quorvel.*.info=true"));
        if (adjust)
            adjust(env);
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardError, &process, [this] {
            log += process.readAllStandardError();
            if (watchedAtMs < 0 && !watched.isEmpty() && log.contains(watched))
                watchedAtMs = clock.elapsed();
        });
        clock.start();
        process.start(program, arguments);
    }
    ~QuorvelProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    bool running() const { return process.state() == QProcess::Running; }
    bool finished() const { return process.state() == QProcess::NotRunning; }
    bool finishedWith(int code) const {
        return finished() && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == code;
    }
    bool logged(const char* line) const { return log.contains(line); }

    QProcess process;
    QByteArray log;
    QElapsedTimer clock; // since the start
    QByteArray watched;  // a log line whose first appearance is timed into watchedAtMs
    qint64 watchedAtMs = -1;
};

} // namespace qv::test
