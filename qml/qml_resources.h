#pragma once
// The resources of the QML interface: documents under :/qml/, fonts under :/fonts/ and the
// application icon :/icons/quorvel.png, all linked in through the qvqml library.

#include <QString>
#include <QStringList>

namespace qv::ui {

// The root document and the icon, as the program loads them.
inline const QString kMainQmlUrl = QStringLiteral("qrc:/qml/Main.qml");
inline const QString kAppIconPath = QStringLiteral(":/icons/quorvel.png");

// The six IBM Plex files (Sans and Mono, Regular, Medium and SemiBold), as resource paths.
QStringList qmlFontFiles();

// Adds every font file to the application font database; returns how many were accepted, so
// start-up can tell a broken build (fonts missing from the resources) from a good one.
// Needs a QGuiApplication.
int registerQmlFonts();

} // namespace qv::ui
