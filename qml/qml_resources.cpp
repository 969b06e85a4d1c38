#include "qml/qml_resources.h"

#include <QFontDatabase>

namespace qv::ui {

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
