#include "app/options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace qv::ui {
namespace {

const QString kDemo = QStringLiteral("demo");
const QString kDemoNotDefault = QStringLiteral("demo-not-default");
const QString kDemoNoDriver = QStringLiteral("demo-no-driver");
const QString kAutostart = QStringLiteral("autostart");
const QString kNoEngineStart = QStringLiteral("no-engine-start");
const QString kScreenshots = QStringLiteral("screenshots");
const QString kEngine = QStringLiteral("engine");

} // namespace

void addStartOptions(QCommandLineParser& parser) {
    // Long names only, written with two dashes ("--no-engine-start").
    parser.addHelpOption();
    parser.addOptions({
        {kDemo, QStringLiteral("Без движка: пример из дизайн-макетов.")},
        {kDemoNotDefault, QStringLiteral("Демо: QUORVEL не выбран в Windows.")},
        {kDemoNoDriver, QStringLiteral("Демо: драйвера нет.")},
        {kAutostart, QStringLiteral("Запуск вместе с Windows (окно свёрнуто).")},
        {kNoEngineStart, QStringLiteral("Не запускать движок самому.")},
        {kScreenshots, QStringLiteral("Снимки всех экранов в папку."), QStringLiteral("dir")},
        {kEngine, QStringLiteral("Снимки — с настоящим движком.")},
    });
}

StartOptions readStartOptions(const QCommandLineParser& parser) {
    StartOptions o;
    o.screenshots = parser.isSet(kScreenshots);
    if (o.screenshots)
        o.screenshotDir = parser.value(kScreenshots);
    o.engineMode = !parser.isSet(kDemo) && !(o.screenshots && !parser.isSet(kEngine));
    o.demoNotDefault = !o.engineMode && parser.isSet(kDemoNotDefault);
    o.demoNoDriver = !o.engineMode && parser.isSet(kDemoNoDriver);
    o.autostart = parser.isSet(kAutostart);
    o.noEngineStart = parser.isSet(kNoEngineStart);
    return o;
}

} // namespace qv::ui
