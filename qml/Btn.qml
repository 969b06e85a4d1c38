import QtQuick
import "."

// The button of the interface: text and/or line icon, plain, flat or checked (accent fill).
// `checked` only shows state the owner keeps; a click never changes it.
Rectangle {
    id: root

    property string text
    property string icon
    property real iconSize: 18
    property color accent: Theme.amber
    property bool checked: false
    property color textColor: root.checked ? Theme.onAccent : Theme.text
    property color iconColor: root.checked ? Theme.onAccent : root.textColor
    property color baseColor: Theme.control
    property color borderColor: Theme.controlBorder
    property bool flat: false
    property int fontSize: 13
    property bool bold: false
    property bool mono: false
    property string tip
    property real padding: 12
    property bool enabledLook: root.enabled
    property string accessibleName: root.text !== "" ? root.text : root.tip
    readonly property alias hovered: mouse.containsMouse
    readonly property alias pressed: mouse.pressed

    signal clicked()

    implicitHeight: 40
    implicitWidth: Math.max(content.implicitWidth + 2 * root.padding, root.height)
    radius: 8
    opacity: root.enabledLook ? 1 : 0.45
    color: root.checked ? root.accent
         : root.flat ? (root.hovered ? Theme.flatHover : "transparent")
         : root.pressed ? Theme.pressedFill
         : root.hovered ? Theme.controlHover
         : root.baseColor
    border.width: root.flat && !root.checked ? 0 : 1
    border.color: root.checked ? root.accent : root.borderColor

    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.clicked()
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: root.accessibleName
    Accessible.checkable: true
    Accessible.checked: root.checked
    Accessible.onPressAction: root.clicked()

    Row {
        id: content

        anchors.centerIn: parent
        spacing: 8

        Icon {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.icon !== ""
            name: root.icon
            size: root.iconSize
            color: root.iconColor
        }

        Text {
            textFormat: Text.PlainText
            anchors.verticalCenter: parent.verticalCenter
            visible: root.text !== ""
            text: root.text
            font.family: root.mono ? Theme.mono : Theme.sans
            font.pixelSize: root.fontSize
            font.weight: root.bold || root.checked ? Font.DemiBold : Font.Normal
            color: root.textColor
        }
    }

    MouseArea {
        id: mouse

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: root.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: root.clicked()
    }

    FocusRing {
        baseRadius: root.radius
        shown: root.activeFocus
    }

    Tip {
        text: root.tip
        visible: root.hovered && root.tip !== ""
    }
}
