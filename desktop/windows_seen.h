#pragma once
// Whether anybody can see one of the program's windows: one that is shown, exposed, not
// minimised and not covered (window_cover.h). Things that only animate for the eye (the blink
// of a failing device or a running recording) follow it, so a window in the tray, minimised or
// under other windows wakes nothing.

#include <QObject>
#include <QPointer>

class QWindow;

namespace qv::ui {

// True while w is shown, exposed, not minimised and not covered.
bool windowSeen(const QWindow* w);

class WindowsSeen : public QObject {
    Q_OBJECT

public:
    // Follows `main` (shown, hidden, exposed, minimised, covered) and the focus, which moves when
    // a dialog opens or closes; any shown top-level window that can be seen counts.
    explicit WindowsSeen(QWindow* main, QObject* parent = nullptr);

    bool seen() const { return m_seen; }

signals:
    void seenChanged(bool seen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool anySeen() const;
    void recompute();

    QPointer<QWindow> m_main;
    bool m_seen = false;
};

} // namespace qv::ui
