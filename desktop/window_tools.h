#pragma once
// Placement and decoration of the frameless QML windows (QML's `qvWin`).

#include <QObject>
#include <QRect>

class QWindow;

namespace qv::ui {

// Holds no state: every operation works on the window it is given and ignores an absent one.
// The main window's place lives in the settings store under "window/pos" and "window/size".
class WindowTools : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Resizes w to the wanted size within its screen, keeping its right edge and top.
    Q_INVOKABLE void fit(QWindow* w, int width, int height) const;
    // Centres a dialog over its parent (over the screen without one), 40 px below the parent's top.
    Q_INVOKABLE void placeOver(QWindow* dialog, QWindow* parent, int width, int height) const;
    // Available geometry of w's screen, or of the primary screen when w or its screen is absent.
    Q_INVOKABLE QRect available(QWindow* w) const;
    Q_INVOKABLE void restore(QWindow* w, bool autoSize, int defaultWidth, int defaultHeight) const;
    Q_INVOKABLE void save(QWindow* w, bool autoSize) const;
    // Rounded system corners where the platform offers them.
    Q_INVOKABLE void decorate(QWindow* w) const;
    Q_INVOKABLE void bringToFront(QWindow* w) const;

    // Fits r into area: shrunk to the area's size, then moved inside it.
    static QRect clampInto(QRect r, const QRect& area);
};

} // namespace qv::ui
