pragma ComponentBehavior: Bound
import QtQuick
import "."

// A flowing row of category chips ({id, name} each) with one selected; a click picks one, the
// selection itself comes back through `current`.
Flow {
    id: root

    property var options: []
    property string current: ""

    signal picked(string id)

    spacing: 6

    Repeater {
        model: root.options

        Rectangle {
            id: chip

            required property var modelData
            readonly property string chipId: String(chip.modelData.id)
            readonly property bool selected: chip.chipId === root.current

            width: label.implicitWidth + 22
            height: 30
            radius: 15
            color: chip.selected ? Theme.amber : mouse.containsMouse ? Theme.controlHover : Theme.control
            activeFocusOnTab: true
            Keys.onPressed: (event) => {
                if (event.key === Qt.Key_Space || event.key === Qt.Key_Return
                        || event.key === Qt.Key_Enter) {
                    event.accepted = true
                    if (!event.isAutoRepeat)
                        root.picked(chip.chipId)
                }
            }
            Accessible.role: Accessible.RadioButton
            Accessible.name: label.text
            Accessible.checked: chip.selected
            Accessible.onPressAction: root.picked(chip.chipId)

            Text {
                id: label

                anchors.centerIn: parent
                text: String(chip.modelData.name)
                textFormat: Text.PlainText
                font.family: Theme.sans
                font.pixelSize: 12
                font.weight: chip.selected ? Font.DemiBold : Font.Normal
                color: chip.selected ? Theme.onAccent : Theme.text3
            }

            MouseArea {
                id: mouse

                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: root.picked(chip.chipId)
            }

            FocusRing {
                baseRadius: chip.radius
                shown: chip.activeFocus
            }
        }
    }
}
