import QtQuick
import "."

// A line icon of the "icon" provider, drawn for its colour and stroke width at the screen's
// pixel density so it stays sharp.
Image {
    id: root

    property string name
    property color color: Theme.text
    property real size: 18
    property real stroke: 1.8

    width: root.size
    height: root.size
    source: root.name === "" ? "" : Theme.icon(root.name, root.color, root.stroke)
    sourceSize.width: Math.ceil(root.size * Screen.devicePixelRatio)
    sourceSize.height: Math.ceil(root.size * Screen.devicePixelRatio)
    fillMode: Image.PreserveAspectFit
    smooth: true
}
