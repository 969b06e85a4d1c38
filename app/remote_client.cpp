#include "app/remote_client.h"

#include "app/options.h"
#include "app/remote_channel.h"
#include "app/remote_verbs.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>

#include <cstdio>

namespace qv::ui {
namespace {

using Json = nlohmann::json;

constexpr int kExitDone = 0;
constexpr int kExitRefused = 2;
constexpr int kExitNoInstance = 3;
// The running interface answers from its event loop; a window busy for longer than this is as
// good as absent to a button deck.
constexpr int kAnswerMs = 5000;
// An answer is one line: the status of a large mixer stays far below this.
constexpr qint64 kMaxAnswer = 4 * 1024 * 1024;

void writeLine(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

int fail(int code, const QString& text) {
    writeLine(stderr, text.toStdString());
    return code;
}

} // namespace

int runRemoteVerb(QCoreApplication& app) {
    attachParentConsole();
    QCommandLineParser parser;
    addStartOptions(parser);
    addVerbOptions(parser);
    parser.process(app);
    const VerbRequest verb = readVerbRequest(parser);
    if (!verb.error.isEmpty())
        return fail(kExitRefused, verb.error);

    const ChannelName channel = controlChannelName(!readStartOptions(parser).engineMode);
    if (!channel.ok())
        return fail(kExitNoInstance, QString::fromStdString(channel.error));
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(channel.name));
    // A local connection is made or refused at once; the wait only covers a busy server.
    if (!socket.waitForConnected(kAnswerMs))
        return fail(kExitNoInstance, QStringLiteral("QUORVEL не запущен"));

    socket.write(QByteArray::fromStdString(verb.request.dump() + "\n"));
    const QDeadlineTimer deadline(kAnswerMs);
    while (!socket.canReadLine() && socket.bytesAvailable() <= kMaxAnswer) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    if (!socket.canReadLine())
        return fail(kExitNoInstance, QStringLiteral("QUORVEL не ответил"));
    const QByteArray line = socket.readLine().trimmed();
    socket.disconnectFromServer();

    const Json answer =
        Json::parse(line.constData(), line.constData() + line.size(), nullptr, false);
    if (!answer.is_object())
        return fail(kExitNoInstance, QStringLiteral("QUORVEL ответил непонятно"));
    const auto ok = answer.find("ok");
    if (ok != answer.end() && ok->is_boolean() && ok->get<bool>()) {
        const auto result = answer.find("result");
        const Json shown = result == answer.end() ? Json::object() : *result;
        writeLine(stdout, shown.dump(2, ' ', false, Json::error_handler_t::replace));
        return kExitDone;
    }
    const auto error = answer.find("error");
    return fail(kExitRefused, error != answer.end() && error->is_string()
                                  ? QString::fromStdString(error->get<std::string>())
                                  : QStringLiteral("QUORVEL отказал без объяснения"));
}

} // namespace qv::ui
