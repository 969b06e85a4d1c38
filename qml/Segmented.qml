pragma ComponentBehavior: Bound
import QtQuick
import "."

// A row of mutually exclusive choices in a well. Clicking (or Space on) an unselected option
// emits picked(value); the selection comes back through `value`.
Rectangle {
    id: root

    property var options: []
    property var value
    property real buttonHeight: 34
    property int fontSize: 13
    property color wellColor: Theme.control

    signal picked(var value)

    implicitWidth: row.implicitWidth + 6
    implicitHeight: root.buttonHeight + 6
    radius: 9
    color: root.wellColor
    border.color: Theme.border

    Row {
        id: row

        x: 3
        y: 3
        spacing: 2

        Repeater {
            model: root.options

            delegate: Rectangle {
                id: segment

                required property var modelData
                readonly property bool selected: segment.modelData.value === root.value
                readonly property string label: String(segment.modelData.label)

                function choose() {
                    if (!segment.selected)
                        root.picked(segment.modelData.value)
                }

                width: caption.implicitWidth + 24
                height: root.buttonHeight
                radius: 6
                color: segment.selected ? Theme.selectedFill : area.containsMouse ? Theme.flatHover : "transparent"

                activeFocusOnTab: true
                Keys.onPressed: (event) => {
                    if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                        event.accepted = true
                        if (!event.isAutoRepeat)
                            segment.choose()
                    }
                }

                Accessible.role: Accessible.RadioButton
                Accessible.name: segment.label
                Accessible.checkable: true
                Accessible.checked: segment.selected
                Accessible.onPressAction: segment.choose()

                Text {
                    textFormat: Text.PlainText
                    id: caption

                    anchors.centerIn: parent
                    text: segment.label
                    font.family: Theme.sans
                    font.pixelSize: root.fontSize
                    font.weight: segment.selected ? Font.DemiBold : Font.Normal
                    color: segment.selected ? Theme.text : Theme.text4
                }

                MouseArea {
                    id: area

                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: root.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
                    onClicked: segment.choose()
                }

                FocusRing {
                    baseRadius: segment.radius
                    shown: segment.activeFocus
                }
            }
        }
    }
}
