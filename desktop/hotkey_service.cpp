#include "desktop/hotkey_service.h"

#include "desktop/hotkey_keys.h"

#include <QStringList>

#include <utility>

namespace qv::ui {

namespace {

QString keyToken(int virtualKey) {
    return QStringLiteral("vk") + QString::number(virtualKey);
}

QString mouseToken(int button) {
    return QStringLiteral("mouse") + QString::number(button);
}

// The virtual key of a "vk<digits>" part; -1 for anything else.
int virtualKeyOfPart(const QString& part) {
    if (!part.startsWith(QLatin1String("vk")) || part.size() < 3 || part.size() > 8)
        return -1;
    int code = 0;
    for (qsizetype i = 2; i < part.size(); ++i) {
        const QChar c = part.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        code = code * 10 + (c.unicode() - '0');
    }
    return code;
}

} // namespace

HotkeyService::HotkeyService(QObject* parent) : HotkeyService(createHotkeySource(), parent) {}

HotkeyService::HotkeyService(std::unique_ptr<HotkeySource> source, QObject* parent)
    : QObject(parent), source_(std::move(source)) {
    heldPoll_.setInterval(kHeldPollMs);
    connect(&heldPoll_, &QTimer::timeout, this, &HotkeyService::pollHeld);
    available_ = source_ && source_->start(*this);
}

HotkeyService::~HotkeyService() = default;

void HotkeyService::capture(const QString& action) {
    capturing_ = action;
    otherKeySeen_ = false;
    emit capturingChanged();
}

void HotkeyService::cancelCapture() {
    if (capturing_.isEmpty())
        return;
    capturing_.clear();
    emit capturingChanged();
}

void HotkeyService::setBindings(const QVariantMap& map) {
    bindings_.clear();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QString spec = it.value().toString();
        if (!spec.isEmpty())
            bindings_.insert(spec, it.key());
    }
}

void HotkeyService::keyEvent(const HotkeyKey& key) {
    const int virtualKey = keys::normalized(key.virtualKey);
    const QString token = keyToken(virtualKey);
    if (!keyNames_.contains(token) && source_) {
        const QString name = source_->keyName(key);
        if (!name.isEmpty())
            keyNames_.insert(token, name);
    }
    // A key-up the system never reported would make this press look like auto-repeat and a
    // stale modifier join the binding: what is held is checked first.
    if (key.pressed)
        releaseLost(token, false);
    if (keys::isModifier(virtualKey))
        modifierKey(virtualKey, token, key.pressed);
    else
        plainKey(virtualKey, token, key.pressed);
    followHeld();
}

void HotkeyService::inputMayHaveBeenLost() {
    releaseLost(QString(), true);
    followHeld();
}

void HotkeyService::pollHeld() {
    releaseLost(QString(), false);
    followHeld();
}

// Everything held that the system says is up is released as if its key-up had arrived, so a
// push-to-talk whose key is no longer down ends. The system's state is newer than the input
// still queued for us, so a key whose release merely has not been read yet reads as up too: a
// key counts as lost only when it has read up for kLostAfterMs, unless `now` (the session
// changed; nothing is queued from the lock screen). `except` is the key going down right now.
void HotkeyService::releaseLost(const QString& except, bool now) {
    if (!source_)
        return;
    if (!clock_.isValid())
        clock_.start();
    const qint64 time = clock_.elapsed();
    const QHash<QString, qint64> suspected = std::exchange(suspects_, {});
    const auto lost = [&](const QString& token, HeldState state) {
        if (token == except || state != HeldState::Up)
            return false;
        const qint64 since = suspected.value(token, time);
        if (now || time - since >= kLostAfterMs)
            return true;
        suspects_.insert(token, since);
        return false;
    };
    const QList<int> modifiers = heldModifiers_.values();
    for (const int virtualKey : modifiers) {
        const QString token = keyToken(virtualKey);
        if (!lost(token, source_->keyState(virtualKey)))
            continue;
        heldModifiers_.remove(virtualKey);
        releaseStep(token);
    }
    const QList<QString> held = heldKeys_.values();
    for (const QString& token : held) {
        const HeldState state = token.startsWith(QLatin1String("mouse"))
                                    ? source_->buttonState(token.mid(5).toInt())
                                    : source_->keyState(virtualKeyOfPart(token));
        if (!lost(token, state))
            continue;
        heldKeys_.remove(token);
        releaseStep(token);
    }
}

void HotkeyService::followHeld() {
    const bool holding = !heldKeys_.isEmpty() || !heldModifiers_.isEmpty();
    if (holding && !heldPoll_.isActive())
        heldPoll_.start();
    else if (!holding)
        heldPoll_.stop();
}

void HotkeyService::plainKey(int virtualKey, const QString& token, bool pressed) {
    if (!pressed) {
        heldKeys_.remove(token);
        releaseStep(token);
        return;
    }
    if (heldKeys_.contains(token))
        return; // auto-repeat
    heldKeys_.insert(token);
    otherKeySeen_ = true;
    if (capturing_.isEmpty()) {
        pressStep(token, false);
        return;
    }
    const QString spec = specWith(token);
    const QString action = takeCapture();
    // Esc ends a capture without a result.
    if (virtualKey != keys::kEscape)
        emit captured(action, spec);
}

void HotkeyService::modifierKey(int virtualKey, const QString& token, bool pressed) {
    if (pressed) {
        if (heldModifiers_.contains(virtualKey))
            return; // auto-repeat, or the other side's key of a held modifier
        const bool first = heldModifiers_.isEmpty();
        heldModifiers_.insert(virtualKey);
        // A lone modifier binding fires only when it is the first modifier down; a second one
        // makes a chord, which a capture must not end as a lone modifier.
        if (first) {
            otherKeySeen_ = false;
            if (capturing_.isEmpty())
                pressStep(token, true);
        } else {
            otherKeySeen_ = true;
        }
        return;
    }
    heldModifiers_.remove(virtualKey);
    if (!capturing_.isEmpty() && heldModifiers_.isEmpty() && !otherKeySeen_) {
        const QString action = takeCapture();
        emit captured(action, token);
    }
    releaseStep(token);
}

void HotkeyService::mouseEvent(int button, bool pressed) {
    const QString token = mouseToken(button);
    if (pressed)
        releaseLost(token, false);
    mouseButton(token, pressed);
    followHeld();
}

void HotkeyService::mouseButton(const QString& token, bool pressed) {
    if (!pressed) {
        heldKeys_.remove(token);
        releaseStep(token);
        return;
    }
    if (heldKeys_.contains(token))
        return;
    heldKeys_.insert(token);
    otherKeySeen_ = true;
    if (capturing_.isEmpty()) {
        pressStep(token, false);
        return;
    }
    const QString spec = specWith(token);
    const QString action = takeCapture();
    emit captured(action, spec);
}

void HotkeyService::pressStep(const QString& token, bool lone) {
    // Exact text match: "ctrl+vk77" does not fire while Shift is held as well.
    const auto it = bindings_.constFind(lone ? token : specWith(token));
    if (it == bindings_.constEnd())
        return;
    const QString action = it.value();
    active_.insert(token, action);
    emit triggered(action, true);
}

void HotkeyService::releaseStep(const QString& token) {
    // The trigger ends with the key that started it, whatever the modifiers did meanwhile and
    // even when the bindings changed while it was held.
    const auto it = active_.find(token);
    if (it == active_.end())
        return;
    const QString action = it.value();
    active_.erase(it);
    emit triggered(action, false);
}

QString HotkeyService::takeCapture() {
    QString action = std::exchange(capturing_, QString());
    emit capturingChanged();
    return action;
}

QString HotkeyService::specWith(const QString& token) const {
    QString spec;
    const std::pair<int, QLatin1String> order[] = {{keys::kCtrl, QLatin1String("ctrl+")},
                                                   {keys::kAlt, QLatin1String("alt+")},
                                                   {keys::kShift, QLatin1String("shift+")},
                                                   {keys::kLeftWin, QLatin1String("win+")}};
    for (const auto& [code, prefix] : order) {
        if (heldModifiers_.contains(code))
            spec += prefix;
    }
    return spec + token;
}

QString HotkeyService::describe(const QString& spec) const {
    QStringList names;
    const QStringList parts = spec.split(QLatin1Char('+'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString name = keyPartName(part);
        if (!name.isEmpty())
            names << name;
    }
    return names.join(QStringLiteral(" + "));
}

QString HotkeyService::keyPartName(const QString& part) const {
    if (part == QLatin1String("ctrl"))
        return QStringLiteral("Ctrl");
    if (part == QLatin1String("alt"))
        return QStringLiteral("Alt");
    if (part == QLatin1String("shift"))
        return QStringLiteral("Shift");
    if (part == QLatin1String("win"))
        return QStringLiteral("Win");
    if (part == QLatin1String("mouse3"))
        return tr("Колесо мыши");
    if (part.startsWith(QLatin1String("mouse")))
        return tr("Мышь %1").arg(part.mid(5));
    const int code = virtualKeyOfPart(part);
    if (code < 0)
        return {};
    const QString learned = keyNames_.value(keyToken(code));
    if (!learned.isEmpty())
        return learned;
    if (source_) {
        const QString layoutName = source_->virtualKeyName(code);
        if (!layoutName.isEmpty())
            return layoutName;
    }
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return QString(QChar(code));
    if (code >= keys::kF1 && code <= keys::kF24)
        return QStringLiteral("F%1").arg(code - keys::kF1 + 1);
    switch (code) {
    case keys::kShift:
        return QStringLiteral("Shift");
    case keys::kCtrl:
        return QStringLiteral("Ctrl");
    case keys::kAlt:
        return QStringLiteral("Alt");
    case keys::kCapsLock:
        return QStringLiteral("Caps Lock");
    case keys::kSpace:
        return tr("Пробел");
    default:
        return tr("Клавиша %1").arg(code);
    }
}

} // namespace qv::ui
