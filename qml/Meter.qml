import QtQuick
import Quorvel.Native
import "."

// Two level bars (left and right) of one source, from the meter store (qv.meters). Levels
// are 0 … 1 for −60 … 0 dBFS; the part above 0.85 shows in the peak colour. The wells are
// plain rectangles that never change; the fills are one native item that reads the store
// itself and stops following it while it cannot be seen.
Item {
    id: root

    property string sourceId
    property bool muted: false
    property real barWidth: 8
    property real gap: 3
    readonly property alias leftLevel: fill.leftLevel
    readonly property alias rightLevel: fill.rightLevel
    readonly property alias viewing: fill.viewing
    readonly property alias redraws: fill.redraws

    implicitWidth: 2 * root.barWidth + root.gap
    implicitHeight: 120
    Accessible.ignored: true

    Rectangle {
        width: root.barWidth
        height: root.height
        radius: 3
        color: Theme.well
    }

    Rectangle {
        x: root.barWidth + root.gap
        width: root.barWidth
        height: root.height
        radius: 3
        color: Theme.well
    }

    MeterFill {
        id: fill

        objectName: "meterFill"
        anchors.fill: parent
        // qmllint disable unqualified
        store: typeof qv !== "undefined" && qv ? qv.meters : null
        // qmllint enable unqualified
        sourceId: root.sourceId
        muted: root.muted
        barWidth: root.barWidth
        gap: root.gap
        colour: Theme.green
        peakColour: Theme.peak
        mutedColour: Theme.meterMuted
        peakMutedColour: Theme.peakMuted
    }
}
