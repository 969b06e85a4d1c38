import QtQuick
import "."

// An on/off switch. It only asks: a click or Space emits toggled(!checked) and the owner's
// model brings the new state back.
Item {
    id: root

    property bool checked: false
    property color accent: Theme.amber
    property string label
    readonly property alias hovered: mouse.containsMouse

    signal toggled(bool on)

    implicitWidth: 40
    implicitHeight: 24

    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.toggled(!root.checked)
        }
    }

    Accessible.role: Accessible.CheckBox
    Accessible.name: root.label
    Accessible.checkable: true
    Accessible.checked: root.checked
    Accessible.onToggleAction: root.toggled(!root.checked)
    Accessible.onPressAction: root.toggled(!root.checked)

    Rectangle {
        id: track

        anchors.fill: parent
        radius: height / 2
        color: root.checked ? root.accent : root.hovered ? Theme.selectedFill : Theme.trackOff
        border.width: 1
        border.color: root.checked ? root.accent : Theme.outline

        Behavior on color {
            ColorAnimation { duration: 120 }
        }
        Behavior on border.color {
            ColorAnimation { duration: 120 }
        }

        Rectangle {
            id: knob

            width: 18
            height: 18
            radius: 9
            y: (track.height - height) / 2
            x: root.checked ? track.width - width - 3 : 3
            color: root.checked ? Theme.onAccent : Theme.text3

            Behavior on x {
                NumberAnimation { duration: 120; easing.type: Easing.OutCubic }
            }
        }
    }

    MouseArea {
        id: mouse

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: root.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: root.toggled(!root.checked)
    }

    FocusRing {
        baseRadius: track.radius
        shown: root.activeFocus
    }
}
