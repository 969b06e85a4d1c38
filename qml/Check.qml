import QtQuick
import "."

// A check box with its label; the whole line is clickable. Like Toggle, it only emits
// toggled(!checked).
Item {
    id: root

    property bool checked: false
    property string text
    property color accent: Theme.amber
    property real boxSize: 18
    property int fontSize: 13
    property color textColor: Theme.text3
    readonly property alias hovered: mouse.containsMouse

    signal toggled(bool checked)

    implicitWidth: root.boxSize + 8 + label.implicitWidth
    implicitHeight: Math.max(40, label.implicitHeight)

    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.toggled(!root.checked)
        }
    }

    Accessible.role: Accessible.CheckBox
    Accessible.name: root.text
    Accessible.checkable: true
    Accessible.checked: root.checked
    Accessible.onToggleAction: root.toggled(!root.checked)
    Accessible.onPressAction: root.toggled(!root.checked)

    Rectangle {
        id: box

        anchors.verticalCenter: parent.verticalCenter
        width: root.boxSize
        height: root.boxSize
        radius: 4
        color: root.checked ? root.accent : "transparent"
        border.width: root.checked ? 0 : 1.5
        border.color: root.hovered ? Theme.outlineHover : Theme.outline

        Icon {
            anchors.centerIn: parent
            visible: root.checked
            name: "check"
            size: root.boxSize - 4
            stroke: 2.6
            color: Theme.onAccent
        }

        FocusRing {
            baseRadius: 3
            shown: root.activeFocus
        }
    }

    Text {
        textFormat: Text.PlainText
        id: label

        anchors.left: box.right
        anchors.leftMargin: 8
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: root.text
        font.family: Theme.sans
        font.pixelSize: root.fontSize
        color: root.textColor
        elide: Text.ElideRight
    }

    MouseArea {
        id: mouse

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: root.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: root.toggled(!root.checked)
    }
}
