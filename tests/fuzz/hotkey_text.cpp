// The hotkey text form: the input is a binding ("ctrl+alt+vk77") given to the service, named
// for the user, and then pressed as the keys it names would be.
#include "desktop/hotkey_service.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdint>

namespace {

class ScriptSource : public qv::ui::HotkeySource {
public:
    bool start(qv::ui::HotkeyInput& input) override {
        input_ = &input;
        return true;
    }
    QString keyName(const qv::ui::HotkeyKey&) const override { return {}; }
    QString virtualKeyName(int) const override { return {}; }
    qv::ui::HotkeyInput* input_ = nullptr;
};

} // namespace

namespace qv::ui {
// The default constructor's system source is not needed here.
std::unique_ptr<HotkeySource> createHotkeySource() {
    return std::make_unique<ScriptSource>();
}
} // namespace qv::ui

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString spec = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    auto owned = std::make_unique<ScriptSource>();
    ScriptSource* source = owned.get();
    qv::ui::HotkeyService service(std::move(owned));
    service.setBindings({{QStringLiteral("voice"), spec}, {QStringLiteral("micMute"), spec}});
    (void)service.describe(spec);
    // Press and release what the binding names, in order, then in reverse.
    QList<int> codes;
    for (const QString& part : spec.split(QLatin1Char('+'))) {
        if (part.startsWith(QLatin1String("vk")))
            codes << part.mid(2, 6).toInt();
        else if (part.startsWith(QLatin1String("mouse")))
            codes << -part.mid(5, 3).toInt();
    }
    for (bool pressed : {true, false}) {
        for (int code : codes) {
            if (code < 0)
                source->input_->mouseEvent(-code, pressed);
            else
                source->input_->keyEvent({code, pressed, uint32_t(code), false});
        }
    }
    return 0;
}
