import QtQuick
import "."

// One setting: label and hint on the left, its control (the single child) on the right.
Item {
    id: root

    property string label
    property string hint
    default property alias content: holder.data
    readonly property Item control: holder.children.length > 0 ? holder.children[0] : null

    width: root.parent ? root.parent.width : 400
    implicitHeight: Math.max(40, texts.implicitHeight + 8, holder.height)
    height: root.implicitHeight

    Column {
        id: texts

        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        width: Math.max(0, root.width - holder.width - 16)
        spacing: 2

        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: root.label
            font.family: Theme.sans
            font.pixelSize: 13
            color: Theme.text
            wrapMode: Text.Wrap
        }

        Text {
            textFormat: Text.PlainText
            visible: root.hint !== ""
            width: parent.width
            text: root.hint
            font.family: Theme.sans
            font.pixelSize: 11
            color: Theme.text2
            wrapMode: Text.Wrap
        }
    }

    Item {
        id: holder

        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: root.control ? root.control.width : 0
        height: root.control ? root.control.height : 0
    }
}
