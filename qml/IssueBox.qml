import QtQuick
import "."

// One reason why the changed voice does not reach everywhere, with the action that fixes it
// when there is one.
Rectangle {
    id: root

    property string text
    property string action

    signal activated()

    implicitWidth: 520
    implicitHeight: Math.max(label.implicitHeight, fix.visible ? fix.height : 0) + 20
    radius: 8
    color: Theme.warnFill
    border.color: Theme.warnBorder

    Icon {
        x: 12
        y: 12
        name: "warning"
        size: 16
        color: Theme.amber
    }

    Text {
        id: label

        x: 38
        y: 10
        width: Math.max(0, root.width - 38 - 12 - (fix.visible ? fix.width + 10 : 0))
        text: root.text
        textFormat: Text.PlainText
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text
        wrapMode: Text.Wrap
    }

    Btn {
        id: fix

        visible: root.action !== ""
        anchors.right: parent.right
        anchors.rightMargin: 10
        y: 10
        height: 32
        radius: 6
        fontSize: 12
        text: root.action
        onClicked: root.activated()
    }
}
