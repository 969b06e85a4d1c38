import QtQuick
import "."

// The clickable box of a strip that says where its sound goes (a microphone's applications) or
// what plays on it (an output). Amber while something is chosen; at most two lines of text.
Rectangle {
    id: root

    property string text
    property bool active: false
    property int fontSize: 11
    property real minHeight: 0
    property real padY: 6
    property bool warning: false
    property string tip
    readonly property alias hovered: area.containsMouse
    readonly property alias label: label

    signal clicked()

    implicitWidth: 160
    implicitHeight: Math.max(root.minHeight, label.implicitHeight + 2 * root.padY)
    radius: 6
    color: root.active ? (root.hovered ? Theme.amberTintHover : Theme.amberTint)
                       : (root.hovered ? Theme.controlHover : "transparent")
    border.color: root.active ? Theme.amber : Theme.controlBorder

    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.clicked()
        }
    }

    Accessible.role: Accessible.Button
    Accessible.name: root.tip
    Accessible.onPressAction: root.clicked()

    Text {
        textFormat: Text.PlainText
        id: label

        x: 8
        width: root.width - 16 - (root.warning ? 19 : 0)
        anchors.verticalCenter: parent.verticalCenter
        text: root.text
        font.family: Theme.sans
        font.pixelSize: root.fontSize
        font.weight: root.active ? Font.DemiBold : Font.Normal
        color: root.active ? Theme.amber : Theme.text3
        wrapMode: Text.Wrap
        maximumLineCount: 2
        elide: Text.ElideRight
    }

    Icon {
        objectName: "warningIcon"
        anchors.right: parent.right
        anchors.rightMargin: 6
        anchors.verticalCenter: parent.verticalCenter
        visible: root.warning
        name: "warning"
        size: 13
        stroke: 2
        color: Theme.red
    }

    MouseArea {
        id: area

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
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
