pragma ComponentBehavior: Bound
import QtQuick
import "."

// What the screen recorder can take: the monitors, then the windows. A click picks one.
Rectangle {
    id: root

    property var monitors: []
    property var windows: []
    property string current

    readonly property var rows: {
        const out = []
        for (const m of root.monitors || [])
            out.push({ id: String(m.id), name: String(m.name), sub: "весь экран", icon: "screen" })
        for (const w of root.windows || [])
            out.push({ id: String(w.id), name: String(w.name), sub: "окно · " + String(w.exe || ""), icon: "app" })
        return out
    }

    signal picked(string id)

    radius: 10
    color: Theme.well
    clip: true

    Flickable {
        id: flick

        anchors.fill: parent
        anchors.margins: 6
        contentHeight: list.implicitHeight
        interactive: flick.contentHeight > flick.height
        boundsBehavior: Flickable.StopAtBounds

        Column {
            id: list

            width: flick.width - (flick.interactive ? 10 : 0)
            spacing: 4

            Repeater {
                model: root.rows

                delegate: Rectangle {
                    id: row

                    required property var modelData
                    readonly property bool selected: row.modelData.id === root.current

                    objectName: "target_" + row.modelData.id
                    width: list.width
                    height: 46
                    radius: 8
                    color: row.selected ? Theme.amberTint : area.containsMouse ? Theme.flatHover : "transparent"
                    border.width: row.selected ? 1 : 0
                    border.color: Theme.amber

                    Icon {
                        x: 10
                        anchors.verticalCenter: parent.verticalCenter
                        name: row.modelData.icon
                        size: 18
                        color: row.selected ? Theme.amber : Theme.text3
                    }

                    Column {
                        x: 38
                        anchors.verticalCenter: parent.verticalCenter
                        width: row.width - 48

                        Text {
                            width: parent.width
                            text: row.modelData.name
                            textFormat: Text.PlainText
                            elide: Text.ElideRight
                            font.family: Theme.sans
                            font.pixelSize: 13
                            font.weight: row.selected ? Font.DemiBold : Font.Normal
                            color: row.selected ? Theme.amber : Theme.text
                        }

                        Text {
                            width: parent.width
                            text: row.modelData.sub
                            textFormat: Text.PlainText
                            elide: Text.ElideRight
                            font.family: Theme.sans
                            font.pixelSize: 11
                            color: Theme.text2
                        }
                    }

                    MouseArea {
                        id: area

                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: root.picked(row.modelData.id)
                    }
                }
            }
        }
    }

    Rectangle {
        visible: flick.interactive
        x: root.width - 6 - 3
        y: 6 + flick.visibleArea.yPosition * flick.height
        width: 6
        height: flick.visibleArea.heightRatio * flick.height
        radius: 3
        color: Theme.outline
    }
}
