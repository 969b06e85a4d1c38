#pragma once
// Global hotkeys (QML's `qvKeys`): watches keys and the extra mouse buttons system-wide without
// taking them from other programs, reports bound keys going down and up, captures new bindings
// and turns bindings into readable text.

#include "desktop/hotkey_source.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVariantMap>

#include <memory>

namespace qv::ui {

// A binding ("spec") is the held modifiers in the order ctrl, alt, shift, win, then one key or
// mouse token, joined by "+": "ctrl+alt+vk77", "shift+mouse4", "vk120". A lone modifier is its
// own token: "vk17". Tokens carry Windows virtual-key codes on every system.
class HotkeyService : public QObject, private HotkeyInput {
    Q_OBJECT
    Q_PROPERTY(bool available READ available CONSTANT)
    Q_PROPERTY(QString capturing READ capturing NOTIFY capturingChanged)
public:
    static constexpr int kHeldPollMs = 250;  // how often held keys are checked with the system
    static constexpr int kLostAfterMs = 200; // read up this long while held: its key-up was lost

    // Watches the input of the system the program was built for.
    explicit HotkeyService(QObject* parent = nullptr);
    // Watches the input of `source` (an alternative system, or a scripted one).
    explicit HotkeyService(std::unique_ptr<HotkeySource> source, QObject* parent = nullptr);
    ~HotkeyService() override;

    bool available() const { return available_; }
    QString capturing() const { return capturing_; }

    // The next new key, extra mouse button or lone modifier becomes the binding of `action`.
    Q_INVOKABLE void capture(const QString& action);
    Q_INVOKABLE void cancelCapture();
    Q_INVOKABLE QString describe(const QString& spec) const;

    // `map` is the settings' "hotkeys" map, action -> spec; empty specs bind nothing.
    void setBindings(const QVariantMap& map);

signals:
    // A bound key went down (true), or the key that started the trigger went up (false).
    void triggered(const QString& action, bool pressed);
    void captured(const QString& action, const QString& spec);
    void capturingChanged();

private:
    void keyEvent(const HotkeyKey& key) override;
    void mouseEvent(int button, bool pressed) override;
    void inputMayHaveBeenLost() override;

    void releaseLost(const QString& except, bool now);
    void pollHeld();
    void followHeld();

    void modifierKey(int virtualKey, const QString& token, bool pressed);
    void plainKey(int virtualKey, const QString& token, bool pressed);
    void mouseButton(const QString& token, bool pressed);
    void pressStep(const QString& token, bool lone);
    void releaseStep(const QString& token);
    QString takeCapture();
    QString specWith(const QString& token) const;
    QString keyPartName(const QString& part) const;

    std::unique_ptr<HotkeySource> source_;
    bool available_ = false;
    QHash<QString, QString> bindings_; // spec -> action
    QString capturing_;
    QSet<int> heldModifiers_;        // normalised modifier codes
    QSet<QString> heldKeys_;         // non-modifier key and mouse tokens
    QHash<QString, QString> active_; // token that started a trigger -> action
    bool otherKeySeen_ = false;
    QHash<QString, QString> keyNames_; // token -> name learned from the layout
    // While anything is held, the system is asked now and then whether it still is: a key-up
    // lost to a secure desktop (Ctrl+Alt+Del, an elevation prompt) arrives with no notice.
    QTimer heldPoll_;
    QHash<QString, qint64> suspects_; // held but read up, since when (clock_)
    QElapsedTimer clock_;
};

} // namespace qv::ui
