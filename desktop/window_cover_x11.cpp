#include "desktop/window_cover.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QVariant>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace qv::ui {

namespace {

constexpr char kCovered[] = "qvCovered";

// Sees every X event before Qt and picks the visibility notes of the watched windows; Qt
// itself ignores them.
class CoverFilter : public QAbstractNativeEventFilter {
public:
    QList<QPointer<QWindow>> windows;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_VISIBILITY_NOTIFY)
            return false;
        const auto* note = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
        for (const QPointer<QWindow>& w : std::as_const(windows)) {
            if (w && w->handle() && xcb_window_t(w->winId()) == note->window) {
                const bool covered = note->state == XCB_VISIBILITY_FULLY_OBSCURED;
                if (w->property(kCovered).toBool() != covered)
                    w->setProperty(kCovered, covered); // sends DynamicPropertyChange to w
            }
        }
        return false;
    }
};

} // namespace

// Adds the visibility notes to the events Qt already asked for on w's native window.
static void selectVisibilityNotes(QWindow* w, xcb_connection_t* c) {
    const auto window = xcb_window_t(w->winId());
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    if (!attributes)
        return;
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

void watchWindowCover(QWindow* w) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!w || !x11 || !x11->connection())
        return;
    static CoverFilter* filter = nullptr;
    if (!filter) {
        filter = new CoverFilter; // lives as long as the application's event dispatch
        qGuiApp->installNativeEventFilter(filter);
    }
    filter->windows.append(w);
    xcb_connection_t* c = x11->connection();
    if (w->handle()) {
        selectVisibilityNotes(w, c);
        return;
    }
    // Started in the tray: the native window appears with the first show.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(w, &QWindow::visibleChanged, w, [w, c, once](bool on) {
        if (!on || !w->handle())
            return;
        QObject::disconnect(*once);
        selectVisibilityNotes(w, c);
    });
}

} // namespace qv::ui
