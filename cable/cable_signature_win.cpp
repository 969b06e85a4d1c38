#include "cable/authenticode_win.h"
#include "cable/cable_signature.h"

#include <QDir>

namespace qv::ui {

quint32 verifyInstallerSignature(const QString& path) {
    return qv::cable::verifyFileTrust(QDir::toNativeSeparators(path).toStdWString());
}

} // namespace qv::ui
