import QtQuick
import "."

// The card at the end of the channel row that opens the add dialog. Its size is fixed, so
// the hidden count never changes the row.
Item {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property int hiddenCount: root.backend && root.backend.hidden ? root.backend.hidden.length : 0
    readonly property alias hovered: area.containsMouse

    signal clicked()

    width: 104
    implicitWidth: 104
    implicitHeight: 92

    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.clicked()
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: "Добавить: каналы, микрофоны, устройства"
    Accessible.onPressAction: root.clicked()

    DashedRect {
        anchors.fill: parent
        radius: 10
    }

    Rectangle {
        id: tile

        objectName: "addTile"
        x: 10
        // An empty strip row is only 80 px high: the tile then keeps an even margin inside
        // the dashed frame instead of running over it.
        y: Math.min(10, (root.height - 72) / 2)
        width: root.width - 20
        height: 72
        radius: 8
        color: root.hovered ? Theme.addTileHover : Theme.header
        clip: true

        Column {
            anchors.centerIn: parent
            spacing: 2

            Icon {
                anchors.horizontalCenter: parent.horizontalCenter
                name: "plus"
                size: 20
                stroke: 2
                color: Theme.text3
            }

            Text {
                textFormat: Text.PlainText
                anchors.horizontalCenter: parent.horizontalCenter
                text: "Добавить"
                font.family: Theme.sans
                font.pixelSize: 13
                color: Theme.text
            }

            Text {
                textFormat: Text.PlainText
                anchors.horizontalCenter: parent.horizontalCenter
                visible: root.hiddenCount > 0
                text: "скрыто: " + root.hiddenCount
                font.family: Theme.sans
                font.pixelSize: 11
                color: Theme.text2
            }
        }
    }

    MouseArea {
        id: area

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.clicked()
    }

    FocusRing {
        baseRadius: 10
        shown: root.activeFocus
    }

    Tip {
        text: "Скрытые каналы, микрофоны и входы, устройства вывода"
        visible: root.hovered
    }
}
