import QtQuick
import "."

// The 36 px line at the top of an expanded strip: the strip's own button on the left (voice
// changer of a microphone, equaliser of an output) and, on the right, replace, collapse and
// remove. The owner decides what each one does.
Item {
    id: root

    property string name
    property string leftIcon
    property bool leftActive: false
    property string leftTip
    property string leftAccessibleName: root.leftTip
    property string swapTip

    signal leftClicked()
    signal swapClicked()
    signal collapseClicked()
    signal removeClicked()

    implicitWidth: 160
    implicitHeight: 36

    Btn {
        objectName: "leftButton"
        width: 34
        height: 36
        radius: 6
        padding: 0
        icon: root.leftIcon
        iconSize: 16
        flat: !root.leftActive
        baseColor: Theme.amberTint
        borderColor: Theme.amber
        iconColor: root.leftActive ? Theme.amber : Theme.text3
        tip: root.leftTip
        accessibleName: root.leftAccessibleName
        onClicked: root.leftClicked()
    }

    Row {
        anchors.right: parent.right
        spacing: 4

        Btn {
            objectName: "swapButton"
            width: 34
            height: 36
            radius: 6
            padding: 0
            flat: true
            icon: "swap"
            iconSize: 16
            iconColor: Theme.text3
            tip: root.swapTip
            onClicked: root.swapClicked()
        }

        Btn {
            objectName: "collapseButton"
            width: 34
            height: 36
            radius: 6
            padding: 0
            flat: true
            icon: "collapse"
            iconSize: 16
            iconColor: Theme.text3
            tip: "Свернуть в узкую колонку"
            onClicked: root.collapseClicked()
        }

        Btn {
            objectName: "removeButton"
            width: 34
            height: 36
            radius: 6
            padding: 0
            flat: true
            icon: "trash"
            iconSize: 16
            iconColor: Theme.text3
            tip: "Убрать «" + root.name + "» из QUORVEL"
            onClicked: root.removeClicked()
        }
    }
}
