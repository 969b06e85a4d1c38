// The control options end to end, with the real program as separate processes: a demo instance
// driven by clients (`quorvel --demo --status` ...) and over its socket, and an engine-mode
// instance on the stand-in engine, whose saved document shows that an edit reached it.
// Clients run with a Qt platform that does not exist: one that built a GUI would abort.

#include "quorvel_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using qv::test::kQuorvelPath;
using qv::test::privateFolder;
using qv::test::QuorvelProcess;

namespace {

const QString kEngine = QStringLiteral(QV_ENGINE_PATH);
constexpr int kStartMs = 30000; // instrumented builds on a shared machine are slow

struct Run {
    int code = -1;
    QByteArray out, err;
};

Run client(const QString& runtime, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORVEL_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", runtime + "/config");
    env.insert("QT_QPA_PLATFORM", "no-such-platform");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(kQuorvelPath, arguments);
    Run r;
    if (p.waitForFinished(kStartMs) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Background instances log only warnings: nobody reads their log while a client runs.
void quiet(QProcessEnvironment& env) {
    env.remove("QT_LOGGING_RULES");
}

bool answers(const QString& channel) {
    QLocalSocket s;
    s.connectToServer(channel);
    return s.waitForConnected(200);
}

QJsonObject stripOf(const QJsonObject& status, const QString& id) {
    for (const QJsonValue& v : status.value("strips").toArray())
        if (v.toObject().value("id").toString() == id)
            return v.toObject();
    return {};
}

} // namespace

class AppVerbsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_runtime;
    std::unique_ptr<QuorvelProcess> m_demo;

    QJsonObject status() {
        const Run r = client(m_runtime, {"--demo", "--status"});
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        if (r.code != 0 || error.error != QJsonParseError::NoError)
            qWarning("status: code %d, %s%s", r.code, r.out.constData(), r.err.constData());
        return doc.object();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        m_runtime = privateFolder(m_home.filePath("run"));
        QVERIFY(!m_runtime.isEmpty());
        m_demo =
            std::make_unique<QuorvelProcess>(m_runtime, m_runtime, QStringList{"--demo"}, quiet);
        QTRY_VERIFY_WITH_TIMEOUT(answers(m_runtime + "/QUORVEL.UI.Control.Demo"), kStartMs);
    }

    void statusListsTheMixer() {
        const QJsonObject s = status();
        QVERIFY(s.value("connected").toBool());
        const QJsonArray strips = s.value("strips").toArray();
        QVERIFY(strips.size() > 3);
        for (const QJsonValue& v : strips) {
            const QJsonObject strip = v.toObject();
            QVERIFY(!strip.value("id").toString().isEmpty());
            QVERIFY(strip.value("gainDb").isDouble() && strip.value("mute").isBool() &&
                    strip.value("available").isBool());
        }
        QCOMPARE(stripOf(s, "in:demo-mic").value("name"), QStringLiteral("Микрофон"));
    }

    // Each edit shows in the next status; an empty `expected` means "the opposite of before".
    void editsShowInTheNextStatus_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        const QString mic = "in:demo-mic";
        QTest::newRow("toggle by shown name")
            << QStringList{"--toggle-mute", "Микрофон"} << mic << "mute" << QVariant();
        QTest::newRow("toggle by name in other case")
            << QStringList{"--toggle-mute", "мИКРОФОН"} << mic << "mute" << QVariant();
        QTest::newRow("mute an output by id")
            << QStringList{"--mute", "out:demo-spk"} << "out:demo-spk"
            << "mute" << QVariant(true);
        QTest::newRow("gain with a comma")
            << QStringList{"--gain", "Микрофон=-7,5"} << mic << "gainDb" << QVariant(-7.5);
        QTest::newRow("gain with a point") << QStringList{"--gain=колонки=-3.25"} << "out:demo-spk"
                                           << "gainDb" << QVariant(-3.25);
    }

    void editsShowInTheNextStatus() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, id);
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        const QJsonValue before = stripOf(status(), id).value(key);
        QVERIFY(before.isBool() || before.isDouble());
        const Run r = client(m_runtime, QStringList{"--demo"} + arguments);
        QVERIFY2(r.code == 0, r.err.constData());
        const QJsonValue after = stripOf(status(), id).value(key);
        QCOMPARE(after.toVariant(), expected.isValid() ? expected : QVariant(!before.toBool()));
    }

    // Refusals name what was refused on standard error; without an instance of the mode: 3.
    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown strip") << QStringList{"--demo", "--mute", "Нету"} << 2 << "«Нету»";
        QTest::newRow("unknown scene") << QStringList{"--demo", "--scene", "Ночь"} << 2 << "«Ночь»";
        QTest::newRow("gain without a number")
            << QStringList{"--demo", "--gain", "Микрофон=громко"} << 2 << "";
        QTest::newRow("two actions")
            << QStringList{"--demo", "--mute", "Микрофон", "--status"} << 2 << "";
        QTest::newRow("no engine-mode instance") << QStringList{"--status"} << 3 << "";
    }

    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, mentions);
        const Run r = client(m_runtime, arguments);
        QCOMPARE(r.code, code);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.trimmed().isEmpty());
        QVERIFY2(QString::fromUtf8(r.err).contains(mentions), r.err.constData());
    }

    // Garbage, an oversized line and an unknown verb each get an error; the connection goes on.
    void socketAnswersBadLinesAndGoesOn() {
        QLocalSocket s;
        s.connectToServer(m_runtime + "/QUORVEL.UI.Control.Demo");
        QVERIFY(s.waitForConnected(2000));
        s.write("garbage\n" + QByteArray(70 * 1024, 'x') + "\n{\"verb\":\"fly\"}\n" +
                "{\"verb\":\"status\"}\n");
        QList<QJsonObject> answers;
        while (answers.size() < 4 && s.waitForReadyRead(5000))
            while (s.canReadLine())
                answers << QJsonDocument::fromJson(s.readLine()).object();
        QCOMPARE(answers.size(), 4);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(answers[i].value("ok"), QJsonValue(false));
            QVERIFY(!answers[i].value("error").toString().isEmpty());
        }
        QCOMPARE(answers[3].value("ok"), QJsonValue(true));
    }

    // Engine mode on the stand-in engine: an ambiguous name is refused with both candidates;
    // the id resolves it and the engine stores the change.
    void engineModeOnTheStandIn() {
        const QString runtime = privateFolder(m_home.filePath("engine-run"));
        const QString document = runtime + "/mixer.json";
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(R"({"version": 1, "devices": [], "sources": [
            {"id": "in:a", "kind": "physical_input", "name": "Микрофон", "endpointId": "a"},
            {"id": "app:mic.exe", "kind": "app", "name": "микрофон"}]})");
        file.close();
        QuorvelProcess engine(runtime, runtime, {"--config", document}, quiet, kEngine);
        QuorvelProcess ui(runtime, runtime, {"--no-engine-start"}, quiet);
        QTRY_VERIFY_WITH_TIMEOUT(answers(runtime + "/QUORVEL.UI.Control"), kStartMs);
        // Ready once the engine's document has arrived: its strips are listed.
        QTRY_VERIFY_WITH_TIMEOUT(client(runtime, {"--status"}).out.contains("app:mic.exe"),
                                 kStartMs);

        const Run ambiguous = client(runtime, {"--mute", "МИКРОФОН"});
        QCOMPARE(ambiguous.code, 2);
        QVERIFY2(ambiguous.err.contains("in:a") && ambiguous.err.contains("app:mic.exe"),
                 ambiguous.err.constData());

        QCOMPARE(client(runtime, {"--mute", "in:a"}).code, 0);
        auto storedMute = [&] {
            QFile saved(document);
            if (!saved.open(QIODevice::ReadOnly))
                return false;
            const QJsonObject doc = QJsonDocument::fromJson(saved.readAll()).object();
            for (const QJsonValue& v : doc.value("sources").toArray())
                if (v.toObject().value("id") == "in:a")
                    return v.toObject().value("mute").toBool();
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(storedMute(), 10000);
    }
};

QTEST_GUILESS_MAIN(AppVerbsTest)
#include "tst_app_verbs.moc"
