import QtQuick
import "."

// A titled card of the settings pages; its children go into the card's column.
Column {
    id: root

    property string title
    default property alias content: inner.data

    width: root.parent ? root.parent.width : 400
    spacing: 8

    Text {
        textFormat: Text.PlainText
        visible: root.title !== ""
        text: root.title
        font.family: Theme.sans
        font.pixelSize: 12
        font.weight: Font.DemiBold
        font.letterSpacing: 0.8
        color: Theme.text2
        Accessible.role: Accessible.Heading
        Accessible.name: root.title
    }

    Rectangle {
        width: root.width
        height: inner.implicitHeight + 24
        radius: 10
        color: Theme.card
        border.color: Theme.border

        Column {
            id: inner

            x: 14
            y: 12
            width: parent.width - 28
            spacing: 8
        }
    }
}
