import QtQuick
import "."

// Two level bars (left and right) of one source, from the meter store (qv.meters). Levels
// are 0 … 1 for −60 … 0 dBFS; the part above 0.85 shows in the peak colour.
Item {
    id: root

    property string sourceId
    property bool muted: false
    property real barWidth: 8
    property real gap: 3

    // qmllint disable unqualified
    readonly property var meters: typeof qv !== "undefined" && qv ? qv.meters : null
    // qmllint enable unqualified
    // Re-read whenever the store announces a new frame.
    readonly property int frame: root.meters ? root.meters.frame : 0
    readonly property real leftLevel: root.level(root.meters, root.sourceId, true, root.frame)
    readonly property real rightLevel: root.level(root.meters, root.sourceId, false, root.frame)

    function level(meters, id, left, frame) {
        if (!meters || id === "")
            return 0
        const v = Number(left ? meters.left(id) : meters.right(id))
        return isFinite(v) ? Math.max(0, Math.min(1, v)) : 0
    }

    implicitWidth: 2 * root.barWidth + root.gap
    implicitHeight: 120
    Accessible.ignored: true

    MeterBar {
        x: 0
        width: root.barWidth
        height: root.height
        level: root.leftLevel
        muted: root.muted
    }

    MeterBar {
        x: root.barWidth + root.gap
        width: root.barWidth
        height: root.height
        level: root.rightLevel
        muted: root.muted
    }
}
