// quorvel: the desktop interface of the QUORVEL mixer.

#include "app/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Fractional scale factors as they are (125 %, 150 %): the interface is drawn for them.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    qv::ui::setApplicationIdentity();
    return qv::ui::runInterface(app);
}
