#pragma once
// Registers the interface fonts from the program's resources for a QML test runner and stops
// the run when any is missing: every measured layout depends on them.

#include "qml/qml_resources.h"

#include <QtGlobal>

namespace qv::test {

inline void requireInterfaceFonts() {
    const int fonts = ui::registerQmlFonts();
    if (fonts != ui::qmlFontFiles().size())
        qFatal("only %d of the interface fonts are in the resources", fonts);
}

} // namespace qv::test
