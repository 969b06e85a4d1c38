import QtQuick
import "."

// One line of a choice list with a "Выбрать" button; the line and the button both pick.
Rectangle {
    id: root

    property string icon
    property string title
    property string sub
    readonly property bool hot: area.containsMouse || choose.hovered || choose.activeFocus

    signal picked()

    implicitWidth: 420
    implicitHeight: 56
    radius: 8
    color: !root.hot ? "transparent" : area.pressed ? Theme.raised : Theme.card
    border.color: root.hot ? Theme.border : Theme.panelBorder

    MouseArea {
        id: area

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: root.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: root.picked()
    }

    RowTile {
        x: 10
        y: 10
        hot: root.hot
        icon: root.icon
    }

    Column {
        x: 58
        y: 10
        width: Math.max(0, root.width - 58 - choose.width - 24)

        Text {
            textFormat: Text.PlainText
            width: parent.width
            height: 20
            text: root.title
            font.family: Theme.sans
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: Theme.text
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        Text {
            textFormat: Text.PlainText
            width: parent.width
            height: 16
            text: root.sub
            font.family: Theme.sans
            font.pixelSize: 11
            color: Theme.text2
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }

    Btn {
        id: choose

        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        height: 32
        radius: 6
        padding: 14
        fontSize: 12
        bold: true
        checked: true
        accent: Theme.amber
        text: "Выбрать"
        accessibleName: "Выбрать «" + root.title + "»"
        onClicked: root.picked()
    }
}
