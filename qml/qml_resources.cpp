#include "qml/qml_resources.h"

#include "qml/meter_fill.h"

#include <QCoreApplication>
#include <QFontDatabase>

namespace qv::ui {

namespace {
// The documents import the native meter item, so whatever links the resources (start-up, the
// QML test runners) gets its registration with them, before any engine exists.
void registerNativeTypes() {
    registerMeterFill();
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(registerNativeTypes)

QStringList qmlFontFiles() {
    return {
        QStringLiteral(":/fonts/IBMPlexSans-Regular.ttf"),
        QStringLiteral(":/fonts/IBMPlexSans-Medium.ttf"),
        QStringLiteral(":/fonts/IBMPlexSans-SemiBold.ttf"),
        QStringLiteral(":/fonts/IBMPlexMono-Regular.ttf"),
        QStringLiteral(":/fonts/IBMPlexMono-Medium.ttf"),
        QStringLiteral(":/fonts/IBMPlexMono-SemiBold.ttf"),
    };
}

int registerQmlFonts() {
    int accepted = 0;
    for (const QString& file : qmlFontFiles()) {
        if (QFontDatabase::addApplicationFont(file) >= 0)
            ++accepted;
    }
    return accepted;
}

} // namespace qv::ui
