#include "desktop/window_tools.h"

#include "desktop/window_decor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWindow>

#include <algorithm>

namespace qv::ui {

namespace {

const QString kPosKey = QStringLiteral("window/pos");
const QString kSizeKey = QStringLiteral("window/size");

QSettings store() {
    return QSettings(QStringLiteral("QUORVEL"), QStringLiteral("QUORVEL"));
}

QScreen* screenOf(const QWindow* w) {
    QScreen* s = w ? w->screen() : nullptr;
    return s ? s : QGuiApplication::primaryScreen();
}

QRect availableOf(const QWindow* w) {
    const QScreen* s = screenOf(w);
    return s ? s->availableGeometry() : QRect();
}

bool maximisedOrFullScreen(const QWindow* w) {
    return w->windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen);
}

// The screen a restored place belongs to: the first one holding its top-left corner. A place
// whose corner lies on no screen (a saved size larger than today's screen, centred, starts above
// and left of it) goes to the screen it overlaps most, so the title bar stays reachable.
QScreen* screenForPlace(const QRect& r) {
    const auto screens = QGuiApplication::screens();
    for (QScreen* s : screens) {
        if (s->availableGeometry().contains(r.topLeft()))
            return s;
    }
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* s : screens) {
        const QRect common = s->availableGeometry().intersected(r);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = s;
            bestArea = area;
        }
    }
    return best;
}

} // namespace

QRect WindowTools::clampInto(QRect r, const QRect& area) {
    // Negative sizes would turn the ranges below upside down.
    const int width = std::clamp(r.width(), 0, std::max(0, area.width()));
    const int height = std::clamp(r.height(), 0, std::max(0, area.height()));
    const int left = std::clamp(r.left(), area.left(), area.left() + area.width() - width);
    const int top = std::clamp(r.top(), area.top(), area.top() + area.height() - height);
    return QRect(left, top, width, height);
}

void WindowTools::fit(QWindow* w, int width, int height) const {
    if (!w || maximisedOrFullScreen(w))
        return;
    const QRect area = availableOf(w);
    const int newWidth = std::min(std::max(width, w->minimumWidth()), area.width());
    const int newHeight = std::min(std::max(height, w->minimumHeight()), area.height());
    const QRect current = w->geometry();
    // Keep the right edge: the window grows to the left, as it is docked to the right.
    const QRect wanted(current.right() - newWidth + 1, current.top(), newWidth, newHeight);
    const QRect fitted = clampInto(wanted, area);
    if (fitted != current)
        w->setGeometry(fitted);
}

void WindowTools::placeOver(QWindow* dialog, QWindow* parent, int width, int height) const {
    if (!dialog)
        return;
    const QRect area = availableOf(parent ? parent : dialog);
    const QRect base = parent ? parent->geometry() : area;
    QRect r(0, 0, std::min(width, area.width()), std::min(area.height() - 16, height));
    r.moveCenter(base.center());
    r.moveTop(std::max(base.top() + 40, area.top()));
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    dialog->setGeometry(clampInto(r, area));
}

QRect WindowTools::available(QWindow* w) const {
    return availableOf(w);
}

void WindowTools::restore(QWindow* w, bool autoSize, int defaultWidth, int defaultHeight) const {
    if (!w)
        return;
    const QSettings settings = store();
    QRect r(0, 0, defaultWidth, defaultHeight);
    if (!autoSize && settings.contains(kSizeKey)) {
        // A damaged value (not a size, or an empty one) falls back to the default size.
        const QSize stored = settings.value(kSizeKey).toSize();
        if (stored.isValid() && !stored.isEmpty())
            r.setSize(stored);
    }
    const QRect home = availableOf(w);
    const QVariant pos = settings.value(kPosKey);
    if (pos.isValid() && pos.canConvert<QPoint>()) {
        r.moveTopLeft(pos.toPoint());
        const auto screens = QGuiApplication::screens();
        const bool onSomeScreen = std::any_of(screens.begin(), screens.end(), [&](QScreen* s) {
            return s->availableGeometry().intersects(r);
        });
        // The monitor it was on may be gone: open on the current screen instead of nowhere.
        if (!onSomeScreen)
            r.moveCenter(home.center());
    } else {
        r.moveCenter(home.center());
    }
    if (QScreen* s = screenForPlace(r)) {
        w->setScreen(s);
        r = clampInto(r, s->availableGeometry());
    }
    w->setGeometry(r);
}

void WindowTools::save(QWindow* w, bool autoSize) const {
    if (!w || (w->windowStates() & (Qt::WindowMaximized | Qt::WindowMinimized)))
        return;
    QSettings settings = store();
    settings.setValue(kPosKey, w->position());
    if (!autoSize)
        settings.setValue(kSizeKey, w->size());
}

void WindowTools::decorate(QWindow* w) const {
    if (w)
        detail::requestRoundCorners(w);
}

void WindowTools::bringToFront(QWindow* w) const {
    if (!w)
        return;
    if (w->windowStates() & Qt::WindowMinimized)
        w->showNormal();
    w->show();
    w->raise();
    w->requestActivate();
}

} // namespace qv::ui
