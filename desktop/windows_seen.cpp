#include "desktop/windows_seen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>

namespace qv::ui {

bool windowSeen(const QWindow* w) {
    return w && w->isVisible() && w->isExposed() && w->visibility() != QWindow::Minimized &&
           !w->property("qvCovered").toBool();
}

WindowsSeen::WindowsSeen(QWindow* main, QObject* parent) : QObject(parent), m_main(main) {
    if (main) {
        main->installEventFilter(this);
        connect(main, &QWindow::visibleChanged, this, &WindowsSeen::recompute);
        connect(main, &QWindow::visibilityChanged, this, &WindowsSeen::recompute);
    }
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &WindowsSeen::recompute);
    m_seen = anySeen();
}

bool WindowsSeen::eventFilter(QObject* watched, QEvent* event) {
    // Exposure and covering have no signal of their own.
    const auto type = event->type();
    if (watched == m_main && (type == QEvent::Expose || type == QEvent::DynamicPropertyChange ||
                              type == QEvent::Show || type == QEvent::Hide))
        recompute();
    return QObject::eventFilter(watched, event);
}

bool WindowsSeen::anySeen() const {
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return windowSeen(m_main) ||
           std::any_of(windows.begin(), windows.end(), [](QWindow* w) { return windowSeen(w); });
}

void WindowsSeen::recompute() {
    const bool seen = anySeen();
    if (seen == m_seen)
        return;
    m_seen = seen;
    emit seenChanged(seen);
}

} // namespace qv::ui
