import QtQuick
import "."

// One bar of a Meter: green up to 0.85 of its height, peak colour above, greys when muted.
Rectangle {
    id: root

    property real level: 0
    property bool muted: false
    readonly property real greenPart: Math.min(root.level, 0.85)
    readonly property real peakPart: Math.max(0, root.level - 0.85)

    radius: 3
    color: Theme.well
    clip: true

    Rectangle {
        objectName: "greenFill"
        width: root.width
        height: root.greenPart * root.height
        y: root.height - height
        color: root.muted ? Theme.meterMuted : Theme.green
    }

    Rectangle {
        objectName: "peakFill"
        visible: root.peakPart > 0
        width: root.width
        height: root.peakPart * root.height
        y: root.height - root.level * root.height
        color: root.muted ? Theme.peakMuted : Theme.peak
    }
}
