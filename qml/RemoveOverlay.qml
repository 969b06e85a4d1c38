import QtQuick
import "."

// The remove confirmation laid over a whole strip. It swallows every press, wheel turn and
// hover, so nothing under it (a fader, a button) can be touched while the question is open.
Rectangle {
    id: root

    property string title
    property string detail
    readonly property color fill: "#F0141518"

    signal confirmed()
    signal cancelled()

    radius: 10
    color: root.fill
    border.color: Theme.red

    MouseArea {
        objectName: "overlayShield"
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        hoverEnabled: true
        preventStealing: true
        onWheel: (wheel) => { wheel.accepted = true }
    }

    Column {
        x: 12
        width: root.width - 24
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: root.title
            font.family: Theme.sans
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: Theme.text
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }

        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: root.detail
            font.family: Theme.sans
            font.pixelSize: 11
            color: Theme.text2
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }

        Btn {
            width: parent.width
            height: 32
            radius: 6
            fontSize: 12
            bold: true
            checked: true
            accent: Theme.red
            textColor: Theme.textOnRed
            text: "Убрать"
            onClicked: root.confirmed()
        }

        Btn {
            width: parent.width
            height: 32
            radius: 6
            fontSize: 12
            text: "Отмена"
            onClicked: root.cancelled()
        }
    }
}
