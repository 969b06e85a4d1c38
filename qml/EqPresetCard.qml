import QtQuick
import "."

// One ready equaliser setting in the grid: its name, its category and its curve, drawn from
// the catalogue's own points. The card sits 3 px inside its cell.
Item {
    id: root

    property var preset: ({})
    property bool selected: false
    property string tipText
    readonly property alias hovered: mouse.containsMouse

    signal clicked()

    objectName: "eqPreset:" + root.preset.id
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

        Text {
            textFormat: Text.PlainText
            x: 10
            y: 8
            width: card.width - 20
            text: String(root.preset.name)
            elide: Text.ElideRight
            font.family: Theme.sans
            font.pixelSize: 12
            font.weight: Font.DemiBold
            color: root.selected ? Theme.amber : Theme.text
        }

        Text {
            textFormat: Text.PlainText
            x: 10
            y: 26
            width: card.width - 20
            text: String(root.preset.categoryName)
            elide: Text.ElideRight
            font.family: Theme.sans
            font.pixelSize: 10
            color: Theme.text2
        }

        EqCurve {
            x: 8
            y: 44
            width: card.width - 16
            height: 36
            range: 12
            lineWidth: 1.4
            color: root.selected ? Theme.amber : Theme.text3
            points: root.preset.curve
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

    Tip {
        text: root.tipText
        visible: root.hovered && root.tipText !== ""
    }
}
