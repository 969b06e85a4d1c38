// quorvel: the desktop interface of the QUORVEL mixer.

#include "app/remote_client.h"
#include "app/remote_verbs.h"
#include "app/startup.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv) {
    // A control option makes this process a client of the running interface: decided before
    // any GUI object exists, so it opens no window, no tray icon and no display connection.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (qv::ui::wantsRemoteVerb(arguments)) {
        QCoreApplication client(argc, argv);
        qv::ui::setApplicationIdentity();
        return qv::ui::runRemoteVerb(client);
    }
    // Fractional scale factors as they are (125 %, 150 %): the interface is drawn for them.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    qv::ui::setApplicationIdentity();
    return qv::ui::runInterface(app);
}
