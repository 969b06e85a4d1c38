#include "app/startup.h"

#include "app/hotkey_wiring.h"
#include "app/options.h"
#include "app/remote_channel.h"
#include "app/remote_control.h"
#include "app/remote_verbs.h"
#include "app/render_choice.h"
#include "app/screenshots.h"
#include "app/single_instance.h"
#include "backend/backend.h"
#include "cable/cable_setup.h"
#include "desktop/app_icon_provider.h"
#include "desktop/hotkey_service.h"
#include "desktop/line_icon_provider.h"
#include "desktop/tray.h"
#include "desktop/window_cover.h"
#include "desktop/window_tools.h"
#include "desktop/windows_seen.h"
#include "engine/demo_transport.h"
#include "engine/pipe_transport.h"
#include "qml/qml_resources.h"
#include "recorder/preview_images.h"
#include "recorder/recorder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFont>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>

namespace qv::ui {

Q_LOGGING_CATEGORY(lcStartup, "quorvel.startup", QtWarningMsg)

namespace {

Transport* createTransport(const StartOptions& options, QObject* parent) {
    if (options.engineMode)
        return new PipeTransport(!options.noEngineStart, parent);
    return new DemoTransport(!options.demoNotDefault, !options.demoNoDriver, parent);
}

// Writes the "first frame" milestone once, when the window has been drawn the first time.
void traceFirstFrame(QWindow* window) {
    auto* quick = qobject_cast<QQuickWindow*>(window);
    if (!quick || !lcStartup().isInfoEnabled())
        return;
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(
        quick, &QQuickWindow::frameSwapped, quick,
        [once] {
            QObject::disconnect(*once);
            qCInfo(lcStartup, "first frame");
        },
        Qt::DirectConnection);
}

} // namespace

void setApplicationIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("QUORVEL"));
    QCoreApplication::setApplicationName(QStringLiteral("QUORVEL"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.5.1"));
}

void setApplicationFonts() {
    registerQmlFonts();
    QFont font(QStringLiteral("IBM Plex Sans"));
    font.setPixelSize(13);
    font.setHintingPreference(QFont::PreferNoHinting);
    QGuiApplication::setFont(font);
}

int runInterface(QApplication& app) {
    QCommandLineParser parser;
    addStartOptions(parser);
    // Listed by --help; a command line that uses them never gets here (main runs the client).
    addVerbOptions(parser);
    parser.process(app);
    const StartOptions options = readStartOptions(parser);

    SingleInstance instance;
    if (options.engineMode && instance.claim() == SingleInstance::Claim::Another)
        return 0;

    // Start-up profile: each milestone with the milliseconds since the interface began (the
    // process start is measured from outside by bench_app_startup).
    QElapsedTimer since;
    since.start();
    auto milestone = [&since](const char* what) {
        qCInfo(lcStartup, "%s at %lld ms", what, static_cast<long long>(since.elapsed()));
    };

    const QString sceneGraph = chooseSceneGraph();
    qCInfo(lcStartup, "scene graph: %s", qPrintable(sceneGraph));
    QQuickWindow::setTextRenderType(QQuickWindow::NativeTextRendering);
    setApplicationFonts();
    milestone("fonts");

    // The transport belongs to the application and outlives every object below.
    Transport* transport = createTransport(options, &app);
    Backend backend(transport);
    WindowTools windowTools;
    Tray tray(&backend);
    HotkeyService hotkeys;
    wireHotkeys(backend, hotkeys, tray);

    // With a tray, closing the window hides it and only the tray's "Выход" ends the program.
    // Screenshot mode ends by closing its window.
    if (tray.available() && !options.screenshots)
        app.setQuitOnLastWindowClosed(false);

    ShowRequestFilter showFilter(&tray, instance);
    showFilter.install();

    // Other programs reach the mixer through the control channel; a screenshot run is not a
    // mixer anybody drives.
    RemoteControl control(backend);
    if (!options.screenshots) {
        const ChannelName channel = controlChannelName(!options.engineMode);
        if (channel.ok())
            control.start(QString::fromStdString(channel.name), instance.held());
        else
            qCWarning(lcControl, "%s", channel.error.c_str());
    }

    Recorder recorder(&backend);
    CableSetup cable(&backend);
    // The toolbar's recording indicators blink too.
    auto holdBlink = [&] {
        backend.setBlinkHeld(recorder.videoRecording() || recorder.audioRecording());
    };
    QObject::connect(&recorder, &Recorder::videoChanged, &backend, holdBlink);
    QObject::connect(&recorder, &Recorder::audioChanged, &backend, holdBlink);
    // A screenshot run shows the install's progress; it must not fetch and start a driver.
    if (options.screenshots)
        cable.simulateInstall();
    milestone("native objects");

    QQmlApplicationEngine engine;
    engine.addImageProvider(QStringLiteral("icon"), new LineIconProvider);
    engine.addImageProvider(QStringLiteral("appicon"), new AppIconProvider);
    engine.addImageProvider(QStringLiteral("qvpreview"), new PreviewImages(&recorder));
    QQmlContext* context = engine.rootContext();
    context->setContextProperty(QStringLiteral("qv"), &backend);
    context->setContextProperty(QStringLiteral("qvWin"), &windowTools);
    context->setContextProperty(QStringLiteral("qvTray"), &tray);
    context->setContextProperty(QStringLiteral("qvKeys"), &hotkeys);
    context->setContextProperty(QStringLiteral("qvRec"), &recorder);
    context->setContextProperty(QStringLiteral("qvCable"), &cable);
    context->setContextProperty(QStringLiteral("qvStartMinimized"), options.autostart);
    context->setContextProperty(QStringLiteral("qvScreenshots"), options.screenshots);
    engine.load(QUrl(kMainQmlUrl));
    if (engine.rootObjects().isEmpty())
        return 1;
    milestone("main window loaded");

    if (auto* window = qobject_cast<QWindow*>(engine.rootObjects().constFirst())) {
        tray.setWindow(window);
        traceFirstFrame(window);
        // A covered window stops its meters.
        watchWindowCover(window);
        // Nothing blinks or updates for nobody: in the tray, minimised or covered.
        auto* seen = new WindowsSeen(window, &backend);
        backend.setUnseen(!seen->seen());
        QObject::connect(seen, &WindowsSeen::seenChanged, &backend,
                         [&backend](bool on) { backend.setUnseen(!on); });
    }

    transport->start();
    if (options.screenshots)
        runScreenshots(engine, options.screenshotDir, options.engineMode);
    return app.exec();
}

} // namespace qv::ui
