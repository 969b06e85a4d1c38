#pragma once
// Shared set-up of the Recorder tests: a scratch folder holding the scripted capture tool (or
// nothing, for the demo case) handed to the Recorder, a private runtime folder for the
// preview block, recording folders, a Backend on a scripted transport, recorded desktop calls,
// fixed clocks, and the tool's call log.

#include "backend/backend.h"
#include "recorder/recorder.h"
#include "tests/support/scripted_transport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

namespace qv::test {

// One run of the scripted tool, as it logged itself.
struct ToolRun {
    qint64 pid = 0;
    QStringList args;
    QStringList input; // standard input lines, in order
    int exitCode = -1; // -1: it never reached its end (killed or crashed)
    QString mode() const { return args.value(0); }
    bool exited() const { return exitCode >= 0; }
};

struct DesktopCalls {
    QStringList pickerTitles, pickerStarts, opened, shown;
    QString pick; // what the picker answers
};

class RecorderRig {
public:
    enum class Tool { Scripted, Missing, NotExecutable };

    explicit RecorderRig(Tool tool = Tool::Scripted) {
        videoDir = files.path() + "/video";
        audioDir = files.path() + "/audio";
        if (tool == Tool::Scripted)
            QFile::link(QStringLiteral(QV_FAKE_CAPTURE), toolDir.filePath("quorvel-capture"));
        if (tool == Tool::NotExecutable) {
            QFile file(toolDir.filePath("quorvel-capture"));
            file.open(QIODevice::WriteOnly);
            file.write("not a program");
        }
        qputenv("QUORVEL_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
        backend = std::make_unique<qv::ui::Backend>(&transport);
        backend->setSettings({{"videoFolder", videoDir}, {"audioFolder", audioDir}});
    }

    ~RecorderRig() {
        recorder.reset();
        backend.reset();
        qunsetenv("QUORVEL_RUNTIME_DIR");
    }

    static qv::ui::Recorder::Timings fastTimings() {
        qv::ui::Recorder::Timings t;
        t.tickMs = 20;
        t.previewPollMs = 10;
        t.stopWaitMs = 3000;
        return t;
    }

    qv::ui::Recorder& make(qv::ui::Recorder::Timings timings = fastTimings()) {
        recorder = std::make_unique<qv::ui::Recorder>(backend.get(), toolDir.path());
        recorder->setTimings(timings);
        recorder->setClocks([this] { return nowMs; }, [this] { return stamp; });
        qv::ui::RecorderDesktop desktop;
        desktop.pickFolder = [this](const QString& title, const QString& start) {
            calls.pickerTitles << title;
            calls.pickerStarts << start;
            return calls.pick;
        };
        desktop.openFolder = [this](const QString& folder) { calls.opened << folder; };
        desktop.showFile = [this](const QString& file) { calls.shown << file; };
        recorder->setDesktop(desktop);
        return *recorder;
    }

    // Writes <mode>.script for the tool.
    void script(const QString& mode, const QStringList& lines) {
        QFile file(toolDir.filePath(mode + ".script"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join('\n').toUtf8() + "\n");
    }

    std::vector<ToolRun> runs() const {
        std::vector<ToolRun> out;
        QFile file(toolDir.filePath("calls.jsonl"));
        file.open(QIODevice::ReadOnly);
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            const qint64 pid = record.value("pid").toInteger();
            if (record.contains("args"))
                out.push_back({pid, record.value("args").toVariant().toStringList(), {}, -1});
            const auto run = std::find_if(out.begin(), out.end(),
                                          [pid](const ToolRun& r) { return r.pid == pid; });
            if (run != out.end() && record.contains("stdin"))
                run->input << record.value("stdin").toString();
            if (run != out.end() && record.contains("exit"))
                run->exitCode = record.value("exit").toInt();
        }
        return out;
    }

    std::vector<ToolRun> runsOf(const QString& mode) const {
        std::vector<ToolRun> out;
        for (const ToolRun& run : runs())
            if (run.mode() == mode)
                out.push_back(run);
        return out;
    }

    QString toast() const { return backend->toast(); }
    QString pid() const { return QString::number(QCoreApplication::applicationPid()); }

    QTemporaryDir toolDir, runtimeDir, files;
    QString videoDir, audioDir;
    ScriptedTransport transport;
    std::unique_ptr<qv::ui::Backend> backend;
    std::unique_ptr<qv::ui::Recorder> recorder;
    DesktopCalls calls;
    qint64 nowMs = 1000;
    QDateTime stamp{QDate(2024, 3, 5), QTime(7, 8, 9)};
};

} // namespace qv::test
