#include "app/hotkey_wiring.h"

#include "backend/backend.h"
#include "desktop/hotkey_service.h"
#include "desktop/tray.h"

#include <QVariantMap>

#include <memory>

namespace qv::ui {
namespace {

QVariantMap hotkeyMap(const Backend& backend) {
    return backend.settings().value(QStringLiteral("hotkeys")).toMap();
}

} // namespace

void wireHotkeys(Backend& backend, HotkeyService& keys, Tray& tray) {
    auto pushToTalkArmed = std::make_shared<bool>(false);
    QObject::connect(&backend, &Backend::changed, &keys, [&backend, &keys, pushToTalkArmed] {
        const QVariantMap map = hotkeyMap(backend);
        keys.setBindings(map);
        if (*pushToTalkArmed || !backend.connected() || !backend.ready())
            return;
        const QVariant ptt = map.value(QStringLiteral("pushToTalk"));
        if (ptt.typeId() != QMetaType::QString || ptt.toString().isEmpty())
            return;
        *pushToTalkArmed = true;
        if (backend.hasMic() && !backend.micMuted())
            backend.setMicMuted(true);
    });

    QObject::connect(&keys, &HotkeyService::triggered, &keys,
                     [&backend, &tray](const QString& action, bool pressed) {
                         if (action == QLatin1String("pushToTalk")) {
                             backend.setMicMuted(!pressed);
                             return;
                         }
                         if (!pressed)
                             return;
                         if (action == QLatin1String("micMute"))
                             backend.setMicMuted(!backend.micMuted());
                         else if (action == QLatin1String("voice"))
                             backend.toggleVoice();
                         else if (action == QLatin1String("showWindow"))
                             tray.toggleWindow();
                     });

    QObject::connect(&keys, &HotkeyService::captured, &keys,
                     [&backend, &keys](const QString& action, const QString& spec) {
                         backend.setHotkey(action, spec);
                         if (action != QLatin1String("pushToTalk"))
                             return;
                         backend.setMicMuted(true);
                         backend.showToast(
                             QStringLiteral("Push-to-talk: микрофон включается, пока нажата «%1»")
                                 .arg(keys.describe(spec)));
                     });
}

} // namespace qv::ui
