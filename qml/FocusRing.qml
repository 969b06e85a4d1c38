import QtQuick
import "."

// The keyboard focus mark: a 2 px amber ring 3 px outside its parent, following its rounding.
// The owner decides when it shows (normally while it has active focus).
Rectangle {
    id: root

    property real baseRadius: 0
    property bool shown: false

    anchors.fill: parent
    anchors.margins: -3
    radius: root.baseRadius + 3
    color: "transparent"
    border.width: 2
    border.color: Theme.amber
    visible: root.shown
}
