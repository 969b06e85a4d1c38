// Runs the Qt Quick tests from the program's own resources ("qrc:/qml", which also proves that
// the static qvqml library links them in), each file on a fresh engine with the "icon" provider
// and the interface fonts:
// - controls/: stand-ins for the Backend (`qv`, with the cable installer `qvCable`) and the
//   Recorder (`qvRec`) written in QML, left out with QV_QML_TEST_BARE set, for the test that the
//   controls cope without them;
// - mixer/ (QV_QML_MIXER): the real Backend on a ScriptedTransport as `qv`, and a rig (`qvRig`)
//   that loads a mixer document, pushes engine events and reads the commands sent.

#include "backend/backend.h"
#include "backend/json_variant.h"
#include "desktop/line_icon_provider.h"
#include "qml/qml_resources.h"
#include "tests/support/scripted_transport.h"

#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::json;

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

class MixerRig : public QObject {
    Q_OBJECT
    Q_PROPERTY(int startEngineCalls READ startEngineCalls)

public:
    explicit MixerRig(QObject* parent) : QObject(parent) {
        m_scripted = new qv::test::ScriptedTransport(this);
        m_backend = new qv::ui::Backend(m_scripted, this);
        qv::ui::Backend::Timings t;
        t.flushMs = 10;
        t.blinkMs = 40; // quick, so a test can watch a blinking border change
        t.endpointsMs = 600000;
        t.toastMs = 600000;
        m_backend->setTimings(t);
    }

    qv::ui::Backend* backend() const { return m_backend; }
    int startEngineCalls() const { return m_scripted->startEngineCalls(); }

    // A new engine connection whose configuration is `document` (JSON text); every start-up
    // request is answered and forgotten. False when the text is not a JSON object.
    Q_INVOKABLE bool load(const QString& document) {
        const Json doc = Json::parse(document.toStdString(), nullptr, false);
        if (doc.is_discarded() || !doc.is_object())
            return false;
        if (m_backend->connected())
            m_scripted->disconnectEngine();
        m_scripted->clearSent();
        m_scripted->connectEngine();
        for (const Json& request : m_scripted->takeSent()) {
            if (request.value("cmd", std::string()) == "getConfig")
                m_scripted->reply(request, {{"config", doc}});
            else
                m_scripted->reply(request);
        }
        return m_backend->ready();
    }

    Q_INVOKABLE void disconnectEngine(const QString& status) {
        m_scripted->disconnectEngine(status);
    }

    // An engine message (event or reply) given as JSON text.
    Q_INVOKABLE void deliver(const QString& message) { m_scripted->deliver(message.toUtf8()); }

    // The commands sent since the last clearSent(), oldest first; only those named `cmd` unless
    // it is empty.
    Q_INVOKABLE QVariantList sent(const QString& cmd = QString()) const {
        QVariantList out;
        for (const Json& message : m_scripted->sentJson()) {
            if (!cmd.isEmpty() && message.value("cmd", std::string()) != cmd.toStdString())
                continue;
            out.append(qv::ui::jsonToVariant(message));
        }
        return out;
    }

    Q_INVOKABLE void clearSent() { m_scripted->clearSent(); }

    // Answers every request sent so far with ok true (so held-back configurations apply).
    Q_INVOKABLE void answerAll() {
        for (const Json& request : m_scripted->takeSent())
            m_scripted->reply(request);
    }

private:
    qv::test::ScriptedTransport* m_scripted = nullptr;
    qv::ui::Backend* m_backend = nullptr;
};

} // namespace

class Setup : public QObject {
    Q_OBJECT

public slots:
    void applicationAvailable() {
        // Every measured layout depends on the interface fonts: all of them, or no run.
        const int fonts = qv::ui::registerQmlFonts();
        if (fonts != qv::ui::qmlFontFiles().size())
            qFatal("only %d of the interface fonts are in the resources", fonts);
        if (!QFile::exists(qv::ui::kAppIconPath))
            qFatal("the application icon is missing from the resources");
    }

    void qmlEngineAvailable(QQmlEngine* engine) {
        engine->addImageProvider(QStringLiteral("icon"), new qv::ui::LineIconProvider);
        if (qEnvironmentVariableIsSet("QV_QML_MIXER")) {
            auto* rig = new MixerRig(engine);
            engine->rootContext()->setContextProperty(QStringLiteral("qv"), rig->backend());
            engine->rootContext()->setContextProperty(QStringLiteral("qvRig"), rig);
            return;
        }
        if (qEnvironmentVariableIsSet("QV_QML_TEST_BARE"))
            return;
        QObject* backend = createFake(engine, "FakeBackend.qml");
        engine->rootContext()->setContextProperty(QStringLiteral("qv"), backend);
        engine->rootContext()->setContextProperty(QStringLiteral("qvCable"),
                                                  backend->property("cable").value<QObject*>());
        engine->rootContext()->setContextProperty(QStringLiteral("qvRec"),
                                                  createFake(engine, "FakeRecorder.qml"));
    }
};

QUICK_TEST_MAIN_WITH_SETUP(qml_controls, Setup)

#include "tst_qml_controls.moc"
