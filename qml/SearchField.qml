import QtQuick
import QtQuick.Controls.Basic
import "."

// The search line over a preset grid. It shows `text` (the owner's query) and reports every
// edit; while there is text a small button clears it.
Rectangle {
    id: root

    property string text
    property string placeholder
    property string accessibleName

    signal edited(string text)

    implicitWidth: 400
    implicitHeight: 40
    radius: 8
    color: Theme.control
    border.color: input.activeFocus ? Theme.amber : Theme.controlBorder

    Icon {
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        name: "search"
        size: 16
        color: Theme.text3
    }

    TextField {
        id: input

        objectName: "searchInput"
        x: 36
        width: Math.max(0, root.width - 36 - (clearButton.visible ? 40 : 8))
        height: root.height
        leftPadding: 0
        rightPadding: 0
        verticalAlignment: TextInput.AlignVCenter
        font.family: Theme.sans
        font.pixelSize: 13
        color: Theme.text
        selectionColor: Theme.amber
        selectedTextColor: Theme.onAccent
        placeholderText: root.placeholder
        placeholderTextColor: Theme.text2
        text: root.text
        background: null
        Accessible.name: root.accessibleName
        onTextEdited: root.edited(input.text)
    }

    Btn {
        id: clearButton

        objectName: "searchClear"
        visible: root.text !== ""
        anchors.right: parent.right
        anchors.rightMargin: 4
        anchors.verticalCenter: parent.verticalCenter
        width: 32
        height: 32
        flat: true
        icon: "close"
        iconSize: 12
        tip: "Очистить поиск"
        onClicked: root.edited("")
    }
}
