#include "qml/meter_fill.h"

#include "backend/meter_store.h"

#include <QQuickWindow>
#include <QSGRectangleNode>
#include <QtQml>

#include <algorithm>
#include <cmath>

namespace qv::ui {

namespace {

double clamp01(double v) {
    return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0;
}

// A level read from a stand-in store through its meta-object (QML functions take and return
// variants).
double askLevel(QObject* store, const char* method, const QString& id) {
    QVariant result;
    if (!QMetaObject::invokeMethod(store, method, Q_RETURN_ARG(QVariant, result),
                                   Q_ARG(QVariant, QVariant(id))))
        return 0.0;
    bool ok = false;
    const double v = result.toDouble(&ok);
    return ok ? v : 0.0;
}

} // namespace

bool MeterFill::Key::operator==(const Key& o) const {
    return std::equal(std::begin(edge), std::end(edge), std::begin(o.edge)) && peak == o.peak;
}

MeterFill::MeterFill(QQuickItem* parent)
    : QQuickItem(parent), m_colour(QStringLiteral("#9BE05A")),
      m_peakColour(QStringLiteral("#F59E5B")), m_mutedColour(QStringLiteral("#5A5D64")),
      m_peakMutedColour(QStringLiteral("#6E7179")) {
    setFlag(ItemHasContents);
}

MeterFill::~MeterFill() {
    setViewing(false);
    if (liveNative())
        m_native->removeClient();
}

// The store may go first when a test tears its objects down in another order than start-up.
MeterStore* MeterFill::liveNative() const {
    return m_store ? m_native : nullptr;
}

void MeterFill::setStore(QObject* store) {
    if (store == m_store)
        return;
    setViewing(false);
    if (liveNative())
        m_native->removeClient();
    m_store = store;
    m_native = qobject_cast<MeterStore*>(store);
    m_slot = -1;
    if (m_native)
        m_native->addClient();
    emit storeChanged();
    refreshViewing();
    readLevels(true);
}

void MeterFill::setSourceId(const QString& id) {
    if (id == m_sourceId)
        return;
    m_sourceId = id;
    m_slot = -1;
    emit sourceIdChanged();
    refreshViewing();
    readLevels(true);
}

void MeterFill::styleTouched() {
    emit styleChanged();
    ++m_redraws;
    update();
}

void MeterFill::setMuted(bool on) {
    if (on != m_muted) {
        m_muted = on;
        styleTouched();
    }
}
void MeterFill::setHorizontal(bool on) {
    if (on != m_horizontal) {
        m_horizontal = on;
        m_drawn = keyFor(m_left, m_right);
        styleTouched();
    }
}
void MeterFill::setBarWidth(qreal w) {
    if (w != m_barWidth) {
        m_barWidth = w;
        styleTouched();
    }
}
void MeterFill::setGap(qreal g) {
    if (g != m_gap) {
        m_gap = g;
        styleTouched();
    }
}
void MeterFill::setColour(const QColor& c) {
    if (c != m_colour) {
        m_colour = c;
        styleTouched();
    }
}
void MeterFill::setPeakColour(const QColor& c) {
    if (c != m_peakColour) {
        m_peakColour = c;
        styleTouched();
    }
}
void MeterFill::setMutedColour(const QColor& c) {
    if (c != m_mutedColour) {
        m_mutedColour = c;
        styleTouched();
    }
}
void MeterFill::setPeakMutedColour(const QColor& c) {
    if (c != m_peakMutedColour) {
        m_peakMutedColour = c;
        styleTouched();
    }
}

void MeterFill::onFrame() {
    readLevels(false);
}

void MeterFill::readLevels(bool force) {
    double left = 0, right = 0;
    if (liveNative() && !m_sourceId.isEmpty()) {
        if (m_slot < 0)
            m_slot = m_native->slotOf(m_sourceId);
        if (m_slot >= 0) {
            left = m_native->leftAt(m_slot);
            right = m_native->rightAt(m_slot);
        }
    } else if (m_store && !m_sourceId.isEmpty()) {
        left = askLevel(m_store, "left", m_sourceId);
        right = askLevel(m_store, "right", m_sourceId);
    }
    left = clamp01(left);
    right = clamp01(right);
    if (!force && left == m_left && right == m_right)
        return;
    m_left = left;
    m_right = right;
    const Key key = keyFor(left, right);
    if (force || !(key == m_drawn)) {
        m_drawn = key;
        ++m_redraws;
        requestLevelFrame();
    }
    emit levelsChanged();
}

// Edges are rounded to device pixels: the fills are drawn without antialiasing, so a pixel is
// covered exactly when its centre is, and the rounded edge covers the same pixels.
MeterFill::Key MeterFill::keyFor(double left, double right) const {
    const double dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    auto px = [dpr](double v) { return int(std::lround(v * dpr)); };
    Key key;
    if (m_horizontal) {
        const double level = std::max(left, right);
        key.edge[0] = px(level * width());
        key.peak = level > kPeakFrom;
        return key;
    }
    const double h = height();
    const double levels[2] = {left, right};
    for (int i = 0; i < 2; ++i) {
        key.edge[2 * i] = px(h - std::min(levels[i], kPeakFrom) * h);
        key.edge[2 * i + 1] = px(h - levels[i] * h);
    }
    return key;
}

// A new level is drawn without marking the item dirty: the window is asked for a frame and the
// fills are moved while it synchronises (syncLevels). A dirty item would make Qt Quick walk the
// whole item tree for hover every frame and run the item's full update, which on the software
// scene graph costs more than drawing the bars.
void MeterFill::requestLevelFrame() {
    if (m_node.load() && m_window)
        m_window->update();
    else
        update();
}

// Runs on the render thread while the GUI thread waits (beforeSynchronizing), like
// updatePaintNode.
void MeterFill::syncLevels() {
    if (QSGNode* node = m_node.load())
        fillNodes(node);
}

void MeterFill::forgetNode() {
    m_node.store(nullptr);
}

void MeterFill::releaseResources() {
    forgetNode();
    QQuickItem::releaseResources();
}

QSGNode* MeterFill::updatePaintNode(QSGNode* old, UpdatePaintNodeData*) {
    QQuickWindow* w = window();
    if (!w || width() <= 0 || height() <= 0) {
        forgetNode();
        delete old;
        return nullptr;
    }
    const int wanted = m_horizontal ? 1 : 4;
    QSGNode* root = old;
    if (root && root->childCount() != wanted) {
        delete root;
        root = nullptr;
    }
    if (!root) {
        root = new QSGNode;
        for (int i = 0; i < wanted; ++i) {
            QSGRectangleNode* rect = w->createRectangleNode();
            rect->setFlag(QSGNode::OwnedByParent);
            root->appendChildNode(rect);
        }
    }
    fillNodes(root);
    m_node.store(root);
    return root;
}

void MeterFill::fillNodes(QSGNode* root) {
    const double dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    auto snap = [dpr](double v) { return std::round(v * dpr) / dpr; };
    auto node = [root](int i) { return static_cast<QSGRectangleNode*>(root->childAtIndex(i)); };
    auto place = [](QSGRectangleNode* n, const QRectF& r, const QColor& c) {
        if (n->rect() != r)
            n->setRect(r);
        if (n->color() != c)
            n->setColor(c);
    };

    if (m_horizontal) {
        const double level = std::max(m_left, m_right);
        place(node(0), QRectF(0, 0, snap(level * width()), height()),
              level > kPeakFrom ? m_peakColour : m_colour);
        return;
    }
    const double h = height();
    const double levels[2] = {m_left, m_right};
    for (int i = 0; i < 2; ++i) {
        const double x = i == 0 ? 0.0 : m_barWidth + m_gap;
        const double greenTop = snap(h - std::min(levels[i], kPeakFrom) * h);
        const double peakTop = levels[i] > kPeakFrom ? snap(h - levels[i] * h) : greenTop;
        place(node(2 * i), QRectF(x, greenTop, m_barWidth, h - greenTop),
              m_muted ? m_mutedColour : m_colour);
        place(node(2 * i + 1), QRectF(x, peakTop, m_barWidth, greenTop - peakTop),
              m_muted ? m_peakMutedColour : m_peakColour);
    }
}

bool MeterFill::computeViewing() const {
    if (!m_store || m_sourceId.isEmpty() || !isVisible() || width() <= 0 || height() <= 0)
        return false;
    QQuickWindow* w = window();
    if (!w || !w->isVisible() || !w->isExposed() || w->visibility() == QWindow::Minimized ||
        w->property("qvCovered").toBool())
        return false;
    QRectF seen = mapRectToScene(boundingRect()) & QRectF(0, 0, w->width(), w->height());
    for (const QQuickItem* p = this; p && !seen.isEmpty(); p = p->parentItem()) {
        if (p->opacity() <= 0)
            return false;
        if (p != this && p->clip())
            seen &= p->mapRectToScene(p->clipRect());
    }
    return !seen.isEmpty();
}

void MeterFill::setViewing(bool on) {
    if (on == m_viewing)
        return;
    m_viewing = on;
    if (liveNative()) {
        if (on)
            m_native->addViewer();
        else
            m_native->removeViewer();
    }
    const bool follow = on && m_store;
    if (follow != m_following) {
        m_following = follow;
        // The real store paces the drawing; a stand-in is followed frame by frame.
        if (follow && liveNative())
            connect(m_native, &MeterStore::drawFrame, this, &MeterFill::onFrame);
        else if (follow)
            connect(m_store, SIGNAL(frameChanged()), this, SLOT(onFrame()));
        else if (liveNative())
            disconnect(m_native, &MeterStore::drawFrame, this, &MeterFill::onFrame);
        else if (m_store)
            disconnect(m_store, SIGNAL(frameChanged()), this, SLOT(onFrame()));
    }
    emit viewingChanged();
}

void MeterFill::refreshViewing() {
    const bool was = m_viewing;
    setViewing(computeViewing());
    // Scrolled into view or shown again: the level the store holds now, at once.
    if (m_viewing && !was)
        readLevels(false);
}

void MeterFill::watchWindow(QQuickWindow* w) {
    forgetNode(); // the old window's scene graph took the node with it
    for (const QMetaObject::Connection& c : std::as_const(m_syncConnections))
        disconnect(c);
    m_syncConnections.clear();
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = w;
    if (w) {
        w->installEventFilter(this);
        m_syncConnections = {connect(w, &QQuickWindow::beforeSynchronizing, this,
                                     &MeterFill::syncLevels, Qt::DirectConnection),
                             connect(w, &QQuickWindow::sceneGraphInvalidated, this,
                                     &MeterFill::forgetNode, Qt::DirectConnection)};
    }
    watchAncestors();
}

// What decides whether the item can be seen: the window's state, and the position, size,
// opacity and clipping of the item and every parent (a Flickable scrolls by moving its content
// item). Each of those announces its changes, so nothing is polled per frame.
void MeterFill::watchAncestors() {
    for (const QMetaObject::Connection& c : std::as_const(m_watchConnections))
        disconnect(c);
    m_watchConnections.clear();
    QQuickWindow* w = m_window;
    if (!w)
        return;
    // Hiding the window stops the meters at once; moves of parents are checked once settled.
    auto watch = [this](auto* sender, auto signal) {
        m_watchConnections.append(connect(sender, signal, this, &MeterFill::scheduleRefresh));
    };
    m_watchConnections.append(
        connect(w, &QWindow::visibleChanged, this, &MeterFill::refreshViewing));
    m_watchConnections.append(
        connect(w, &QWindow::visibilityChanged, this, &MeterFill::refreshViewing));
    watch(w, &QWindow::widthChanged);
    watch(w, &QWindow::heightChanged);
    for (QQuickItem* p = parentItem(); p; p = p->parentItem()) {
        watch(p, &QQuickItem::xChanged);
        watch(p, &QQuickItem::yChanged);
        watch(p, &QQuickItem::widthChanged);
        watch(p, &QQuickItem::heightChanged);
        watch(p, &QQuickItem::opacityChanged);
        watch(p, &QQuickItem::clipChanged);
        m_watchConnections.append(
            connect(p, &QQuickItem::parentChanged, this, &MeterFill::rewatch));
    }
}

void MeterFill::rewatch() {
    watchAncestors();
    scheduleRefresh();
}

// A layout pass moves many parents at once; the check runs once after it.
void MeterFill::scheduleRefresh() {
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshQueued = false;
            refreshViewing();
        },
        Qt::QueuedConnection);
}

bool MeterFill::eventFilter(QObject* watched, QEvent* event) {
    // Covered, uncovered, unmapped: the platform reports it as exposure, which has no signal.
    if (watched == m_window &&
        (event->type() == QEvent::Expose || event->type() == QEvent::DynamicPropertyChange))
        scheduleRefresh();
    return QQuickItem::eventFilter(watched, event);
}

void MeterFill::itemChange(ItemChange change, const ItemChangeData& value) {
    QQuickItem::itemChange(change, value);
    switch (change) {
    case ItemSceneChange:
        watchWindow(value.window);
        refreshViewing();
        break;
    case ItemParentHasChanged:
        watchAncestors();
        refreshViewing();
        break;
    case ItemVisibleHasChanged:
    case ItemOpacityHasChanged:
        refreshViewing();
        break;
    default:
        break;
    }
}

void MeterFill::geometryChange(const QRectF& next, const QRectF& previous) {
    QQuickItem::geometryChange(next, previous);
    if (next.size() != previous.size()) {
        m_drawn = keyFor(m_left, m_right);
        ++m_redraws;
        update();
    }
    refreshViewing();
}

void registerMeterFill() {
    qmlRegisterType<MeterFill>("Quorvel.Native", 1, 0, "MeterFill");
}

} // namespace qv::ui
