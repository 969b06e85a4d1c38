#pragma once
// The notification-area icon (QML's `qvTray`): keeps the program alive while its window is
// hidden, shows whether the microphone is muted, and offers opening the window, muting the
// microphone and the program's orderly exit.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace qv::ui {

class Backend;

// Without a system tray the object still exists: `available` is false, nothing is shown, and
// the window operations keep working. The window is held weakly; once it is gone, the window
// operations do nothing.
class Tray : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool available READ available CONSTANT)
    Q_PROPERTY(bool quitting READ quitting NOTIFY quittingChanged)
public:
    explicit Tray(Backend* backend, QObject* parent = nullptr);
    ~Tray() override;

    bool available() const { return m_icon != nullptr; }
    bool quitting() const { return m_quitting; }

    // The main window, which showWindow, toggleWindow and the close-to-tray logic act on.
    void setWindow(QWindow* window);
    QWindow* window() const { return m_window; }

    // What the icon currently shows, also without a system tray.
    QString toolTip() const { return m_toolTip; }
    QImage iconImage() const { return m_iconImage; }
    QSystemTrayIcon* trayIcon() const { return m_icon.get(); }
    QMenu* menu() const { return m_menu.get(); }
    QAction* micAction() const { return m_micAction; }

    // The program icon, with a red dot in its bottom-right corner while the microphone is muted.
    static QImage paintIcon(bool muted);
    static QString toolTipFor(bool connected, bool hasMic, bool muted);

    // Runs when the Backend has finished shutting down after quit(); quits the application
    // unless replaced (tests watch it instead).
    void setQuitAction(std::function<void()> action) { m_quitAction = std::move(action); }

    // Called by the main window after it hid itself. The first time ever (the setting
    // "tray/explained" persists) a balloon explains where the program went; true when it did.
    Q_INVOKABLE bool hiddenToTray();
    Q_INVOKABLE void quit();

public slots:
    void showWindow();
    // Hides a visible, not minimised, active window; otherwise shows it.
    void toggleWindow();

signals:
    void quittingChanged();

private:
    void update();

    Backend* m_backend;
    QPointer<QWindow> m_window;
    std::unique_ptr<QMenu> m_menu; // declared before the icon, which refers to it
    std::unique_ptr<QSystemTrayIcon> m_icon;
    QAction* m_micAction = nullptr;
    bool m_quitting = false;
    bool m_iconPainted = false;
    bool m_shownMuted = false;
    QString m_toolTip;
    QImage m_iconImage;
    std::function<void()> m_quitAction;
};

} // namespace qv::ui
