import QtQuick
import "."

// One voice in the grid: its name and what it sounds like. The card sits 3 px inside its cell.
Item {
    id: root

    property var preset: ({})
    property bool selected: false

    signal clicked()

    objectName: "voicePreset:" + root.preset.id
    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.clicked()
        }
    }
    Accessible.role: Accessible.RadioButton
    Accessible.name: String(root.preset.name)
    Accessible.checked: root.selected
    Accessible.onPressAction: root.clicked()

    Rectangle {
        id: card

        anchors.fill: parent
        anchors.margins: 3
        radius: 8
        color: root.selected ? Theme.amberTint : mouse.containsMouse ? Theme.controlHover : Theme.card
        border.color: root.selected ? Theme.amber : Theme.border

        Column {
            x: 10
            width: card.width - 20
            anchors.verticalCenter: parent.verticalCenter
            spacing: 2

            Text {
                textFormat: Text.PlainText
                width: parent.width
                text: String(root.preset.name)
                elide: Text.ElideRight
                font.family: Theme.sans
                font.pixelSize: 13
                font.weight: Font.DemiBold
                color: root.selected ? Theme.amber : Theme.text
            }

            Text {
                textFormat: Text.PlainText
                width: parent.width
                text: String(root.preset.hint)
                elide: Text.ElideRight
                font.family: Theme.sans
                font.pixelSize: 11
                color: Theme.text2
            }
        }

        FocusRing {
            baseRadius: card.radius
            shown: root.activeFocus
        }
    }

    MouseArea {
        id: mouse

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.clicked()
    }
}
