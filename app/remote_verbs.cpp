#include "app/remote_verbs.h"

#include "app/options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <algorithm>
#include <cmath>

namespace qv::ui {
namespace {

const QString kStatus = QStringLiteral("status");
const QString kMute = QStringLiteral("mute");
const QString kUnmute = QStringLiteral("unmute");
const QString kToggleMute = QStringLiteral("toggle-mute");
const QString kGain = QStringLiteral("gain");
const QString kScene = QStringLiteral("scene");
const QString kVoice = QStringLiteral("voice");

const QStringList& verbNames() {
    static const QStringList names = {kStatus, kMute, kUnmute, kToggleMute, kGain, kScene, kVoice};
    return names;
}

std::string utf8(const QString& s) {
    return s.toStdString();
}

} // namespace

void addVerbOptions(QCommandLineParser& parser) {
    // Value names no wider than "--screenshots <dir>", so that the help of the start options
    // keeps its columns.
    const QString name = QStringLiteral("имя");
    parser.addOptions({
        {kStatus, QStringLiteral("Состояние запущенного QUORVEL (JSON).")},
        {kMute, QStringLiteral("Выключить звук полосы (id или имя)."), name},
        {kUnmute, QStringLiteral("Включить звук полосы."), name},
        {kToggleMute, QStringLiteral("Переключить звук полосы."), name},
        {kGain, QStringLiteral("Громкость полосы в дБ, например Микрофон=-6,5."),
         QStringLiteral("имя=дБ")},
        {kScene, QStringLiteral("Применить сцену."), name},
        {kVoice, QStringLiteral("Изменение голоса: on, off или toggle."), QStringLiteral("режим")},
    });
}

bool wantsRemoteVerb(const QStringList& arguments) {
    // A full parse tells a control option from a value that looks like one ("--screenshots
    // --status" is a folder); a command line the parser refuses still goes to the client when
    // it names a control option, so that its error is reported there and no window opens.
    QCommandLineParser parser;
    addStartOptions(parser);
    addVerbOptions(parser);
    if (parser.parse(arguments)) {
        for (const QString& verb : verbNames())
            if (parser.isSet(verb))
                return true;
        return false;
    }
    for (const QString& argument : arguments.mid(1))
        for (const QString& verb : verbNames())
            if (argument == QLatin1String("--") + verb ||
                argument.startsWith(QLatin1String("--") + verb + QLatin1Char('=')))
                return true;
    return false;
}

bool parseDecibels(const QString& text, double& db) {
    QString number = text.trimmed();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = number.toDouble(&ok); // C locale: the point only, after the swap
    if (!ok || !std::isfinite(value))
        return false;
    db = value;
    return true;
}

VerbRequest readVerbRequest(const QCommandLineParser& parser) {
    VerbRequest out;
    // Every occurrence counts: "--mute A --mute B" is two actions as well.
    QString verb;
    qsizetype count = 0;
    for (const QString& name : verbNames()) {
        if (!parser.isSet(name))
            continue;
        verb = name;
        count += std::max<qsizetype>(1, parser.values(name).size());
    }
    if (count != 1) {
        out.error = QStringLiteral("Укажите одно действие за запуск: --status, --mute, --unmute, "
                                   "--toggle-mute, --gain, --scene или --voice");
        return out;
    }
    nlohmann::json& r = out.request;
    r["verb"] = utf8(verb);
    const QString value = verb == kStatus ? QString() : parser.value(verb);
    if (verb == kGain) {
        const qsizetype eq = value.lastIndexOf(QLatin1Char('='));
        double db = 0;
        if (eq <= 0 || !parseDecibels(value.mid(eq + 1), db)) {
            out.error = QStringLiteral("Громкость задаётся как ИМЯ=ДБ, например "
                                       "--gain \"Микрофон=-6,5\"");
            return out;
        }
        r["name"] = utf8(value.left(eq));
        r["db"] = db;
    } else if (verb == kVoice) {
        const QString mode = value.trimmed().toLower();
        if (mode != QLatin1String("on") && mode != QLatin1String("off") &&
            mode != QLatin1String("toggle")) {
            out.error = QStringLiteral("--voice: укажите on, off или toggle");
            return out;
        }
        r["mode"] = utf8(mode);
    } else if (verb != kStatus) {
        r["name"] = utf8(value);
    }
    return out;
}

} // namespace qv::ui
