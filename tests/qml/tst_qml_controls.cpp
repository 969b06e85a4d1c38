// Runs the Qt Quick tests of the theme and the controls (every tst_*.qml in controls/).
//
// The controls are loaded from the program's own resources ("qrc:/qml"), so a run also proves
// that the static qvqml library links its resources in. Each test file gets a fresh engine with
// the real "icon" provider, the interface fonts, and stand-ins for the Backend (`qv`) and the
// Recorder (`qvRec`) written in QML, so the tests can set their properties and read the calls
// the controls made. With QV_QML_TEST_BARE set the stand-ins are left out, for the test that
// the controls cope without them.

#include "desktop/line_icon_provider.h"
#include "qml/qml_resources.h"
#include "tests/qml/qml_test_fonts.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

namespace {

QObject* createFake(QQmlEngine* engine, const char* file) {
    QQmlComponent component(engine, QUrl::fromLocalFile(QStringLiteral(QV_QML_TEST_DIR "/") +
                                                        QString::fromLatin1(file)));
    QObject* object = component.create();
    if (!object) {
        qFatal("cannot create %s: %s", file, qPrintable(component.errorString()));
        return nullptr;
    }
    object->setParent(engine);
    return object;
}

} // namespace

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable() {
        qv::test::requireInterfaceFonts();
        if (!QFile::exists(qv::ui::kAppIconPath))
            qFatal("the application icon is missing from the resources");
    }

    void qmlEngineAvailable(QQmlEngine* engine) {
        engine->addImageProvider(QStringLiteral("icon"), new qv::ui::LineIconProvider);
        if (qEnvironmentVariableIsSet("QV_QML_TEST_BARE"))
            return;
        engine->rootContext()->setContextProperty(QStringLiteral("qv"),
                                                  createFake(engine, "FakeBackend.qml"));
        engine->rootContext()->setContextProperty(QStringLiteral("qvRec"),
                                                  createFake(engine, "FakeRecorder.qml"));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(qml_controls, Setup)

#include "tst_qml_controls.moc"
