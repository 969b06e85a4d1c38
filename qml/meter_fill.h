#pragma once
// MeterFill: the moving part of a level meter, drawn by one native item straight from the meter
// store, so a meter tick runs no QML bindings and moves no QML geometry.
//
//   store, sourceId          the meter store (qv.meters) and the id whose levels are shown. The
//                            real MeterStore is read directly; any other object with a
//                            frameChanged() signal and left(id) / right(id) methods (a test
//                            stand-in) is read through its meta-object.
//   horizontal false         two vertical bars (left, right) of barWidth, gap apart, filled
//                            from the bottom: colour up to 0.85 of the height, peakColour above;
//                            mutedColour / peakMutedColour while muted.
//   horizontal true          one line filled from the left to max(left, right), in colour, or
//                            in peakColour above 0.85.
//   leftLevel, rightLevel    the shown levels, clamped to 0 ... 1 (a broken value shows 0).
//   viewing                  true while the item can be seen: visible, not transparent, inside
//                            every clipping parent and its window, and that window shown,
//                            exposed, not minimised and not covered (its dynamic property
//                            "qvCovered", kept by desktop/window_cover.h). Only a viewing item
//                            follows the store, and the store ticks only while some item views it.
//   redraws                  how many times the item asked for a new frame (for tests).
//
// A redraw is asked for only when a drawn edge moves to another device pixel, so a level that
// creeps by less than a pixel costs nothing beyond reading two numbers.

#include <QColor>
#include <QPointer>
#include <QQuickItem>

#include <atomic>

namespace qv::ui {

class MeterStore;

class MeterFill : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(QObject* store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(QString sourceId READ sourceId WRITE setSourceId NOTIFY sourceIdChanged)
    Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY styleChanged)
    Q_PROPERTY(bool horizontal READ horizontal WRITE setHorizontal NOTIFY styleChanged)
    Q_PROPERTY(qreal barWidth READ barWidth WRITE setBarWidth NOTIFY styleChanged)
    Q_PROPERTY(qreal gap READ gap WRITE setGap NOTIFY styleChanged)
    Q_PROPERTY(QColor colour READ colour WRITE setColour NOTIFY styleChanged)
    Q_PROPERTY(QColor peakColour READ peakColour WRITE setPeakColour NOTIFY styleChanged)
    Q_PROPERTY(QColor mutedColour READ mutedColour WRITE setMutedColour NOTIFY styleChanged)
    Q_PROPERTY(
        QColor peakMutedColour READ peakMutedColour WRITE setPeakMutedColour NOTIFY styleChanged)
    Q_PROPERTY(qreal leftLevel READ leftLevel NOTIFY levelsChanged)
    Q_PROPERTY(qreal rightLevel READ rightLevel NOTIFY levelsChanged)
    Q_PROPERTY(bool viewing READ viewing NOTIFY viewingChanged)
    Q_PROPERTY(int redraws READ redraws NOTIFY levelsChanged)

public:
    static constexpr double kPeakFrom = 0.85;

    explicit MeterFill(QQuickItem* parent = nullptr);
    ~MeterFill() override;

    QObject* store() const { return m_store; }
    void setStore(QObject* store);
    QString sourceId() const { return m_sourceId; }
    void setSourceId(const QString& id);
    bool muted() const { return m_muted; }
    void setMuted(bool on);
    bool horizontal() const { return m_horizontal; }
    void setHorizontal(bool on);
    qreal barWidth() const { return m_barWidth; }
    void setBarWidth(qreal w);
    qreal gap() const { return m_gap; }
    void setGap(qreal g);
    QColor colour() const { return m_colour; }
    void setColour(const QColor& c);
    QColor peakColour() const { return m_peakColour; }
    void setPeakColour(const QColor& c);
    QColor mutedColour() const { return m_mutedColour; }
    void setMutedColour(const QColor& c);
    QColor peakMutedColour() const { return m_peakMutedColour; }
    void setPeakMutedColour(const QColor& c);

    qreal leftLevel() const { return m_left; }
    qreal rightLevel() const { return m_right; }
    bool viewing() const { return m_viewing; }
    int redraws() const { return m_redraws; }

signals:
    void storeChanged();
    void sourceIdChanged();
    void styleChanged();
    void levelsChanged();
    void viewingChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData* data) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    void geometryChange(const QRectF& next, const QRectF& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void releaseResources() override;

private slots:
    void onFrame();
    void refreshViewing();
    void scheduleRefresh();
    void rewatch();
    void syncLevels();
    void forgetNode();

private:
    // The drawn edges in device pixels; a redraw is needed only when one of them changes.
    struct Key {
        int edge[4] = {0, 0, 0, 0};
        bool peak = false;
        bool operator==(const Key& o) const;
    };

    void readLevels(bool force);
    Key keyFor(double left, double right) const;
    bool computeViewing() const;
    void setViewing(bool on);
    void watchWindow(QQuickWindow* w);
    void watchAncestors();
    void requestLevelFrame();
    void fillNodes(QSGNode* root);
    void styleTouched();
    MeterStore* liveNative() const;

    QPointer<QObject> m_store;
    MeterStore* m_native = nullptr; // m_store when it is the real store
    QString m_sourceId;
    int m_slot = -1;
    bool m_muted = false;
    bool m_horizontal = false;
    qreal m_barWidth = 8;
    qreal m_gap = 3;
    QColor m_colour, m_peakColour, m_mutedColour, m_peakMutedColour;
    double m_left = 0;
    double m_right = 0;
    Key m_drawn;
    bool m_viewing = false;
    bool m_following = false; // connected to the store's frames
    int m_redraws = 0;
    QPointer<QQuickWindow> m_window;
    QList<QMetaObject::Connection> m_watchConnections;
    QList<QMetaObject::Connection> m_syncConnections;
    std::atomic<QSGNode*> m_node{nullptr}; // the drawn node while the scene graph holds it
    bool m_refreshQueued = false;
};

// Makes MeterFill available to QML documents as `import Quorvel.Native` (start-up and the QML
// test runners call it before loading anything).
void registerMeterFill();

} // namespace qv::ui
