import QtQuick
import "."

// Where a recorder saves, with the way to change it in the settings.
Item {
    id: root

    property string folder

    signal changeRequested()

    width: parent ? parent.width : 400
    height: 40

    Text {
        objectName: "folderText"
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width - change.width - 8
        text: "Сохраняется в: " + root.folder
        textFormat: Text.PlainText
        elide: Text.ElideMiddle
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
    }

    Btn {
        id: change

        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        flat: true
        fontSize: 12
        text: "Изменить папку"
        onClicked: root.changeRequested()
    }
}
