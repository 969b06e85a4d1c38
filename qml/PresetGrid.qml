import QtQuick
import "."

// A scrolling grid of preset cards in a fixed box: `columns` cells per line, each `cellHeight`
// high; a text in the middle when nothing matched. The scroll bar shows whenever the cards do
// not all fit, so one can see at a glance that there are more.
Item {
    id: root

    property var model: []
    property int columns: 4
    property real cellHeight: 92
    property alias delegate: grid.delegate
    readonly property real cellWidth: Math.floor(root.width / Math.max(1, root.columns))
    readonly property alias view: grid

    implicitWidth: 400
    implicitHeight: 288

    GridView {
        id: grid

        objectName: "presetGridView"
        anchors.fill: parent
        clip: true
        model: root.model
        cellWidth: root.cellWidth
        cellHeight: root.cellHeight
        boundsBehavior: Flickable.StopAtBounds
        // The cards are few and cheap; building the next lines ahead keeps scrolling smooth.
        cacheBuffer: 400
    }

    Text {
        textFormat: Text.PlainText
        objectName: "noMatch"
        anchors.centerIn: parent
        visible: !root.model || root.model.length === 0
        text: "Ничего не нашлось — попробуйте другое слово"
        font.family: Theme.sans
        font.pixelSize: 13
        color: Theme.text2
    }

    Rectangle {
        objectName: "presetScrollBar"
        visible: grid.contentHeight > grid.height
        x: root.width - width
        y: grid.visibleArea.yPosition * grid.height
        width: 6
        height: grid.visibleArea.heightRatio * grid.height
        radius: 3
        color: Theme.outline
    }
}
