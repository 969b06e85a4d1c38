import QtQuick
import "."

// One of the three window buttons at the right of the title bar. The close button is a danger
// button: red under the mouse, with a white icon.
Rectangle {
    id: root

    property string iconName
    property string label
    property bool danger: false
    readonly property bool hovered: mouse.containsMouse

    signal activated()

    // The caption buttons look like the system's own: a faint hover, a red one for close.
    readonly property color hoverFill: root.danger ? "#C42B1C" : "#1AFFFFFF"

    implicitWidth: 44
    implicitHeight: 40
    color: root.hovered ? root.hoverFill : "transparent"

    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.activated()
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: root.label
    Accessible.onPressAction: root.activated()

    Icon {
        anchors.centerIn: parent
        name: root.iconName
        size: 14
        stroke: 1.3
        color: root.danger && root.hovered ? Theme.white : Theme.text3
    }

    MouseArea {
        id: mouse

        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.activated()
    }

    FocusRing {
        baseRadius: 0
        shown: root.activeFocus
    }
}
