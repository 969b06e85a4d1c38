import QtQuick
import "."

// One scene in the scenes window: its name and state, and its actions. Renaming swaps the name
// for a field; deleting asks on a second line first. The window decides which row does what.
Rectangle {
    id: root

    property var scene: ({})
    property bool renaming: false
    property bool confirming: false
    readonly property string sceneName: String(root.scene.name)
    readonly property bool current: root.scene.current === true
    readonly property bool modified: root.scene.modified === true

    signal applyClicked()
    signal overwriteClicked()
    signal renameStarted()
    signal renameFinished(string text)
    signal deleteAsked()
    signal deleteConfirmed()
    signal deleteCancelled()

    objectName: "scene:" + root.scene.id
    implicitWidth: 560
    height: root.confirming ? 104 : 56
    radius: 8
    color: root.current ? Theme.amberTint : Theme.card
    border.color: root.current ? Theme.amber : Theme.border

    // The field takes the name afresh each time renaming starts; what was typed before and
    // not saved is dropped. A row is also built anew, already renaming, when the scene list
    // changes meanwhile.
    function beginRename() {
        renameField.text = root.sceneName
        renameField.forceActiveFocus()
        renameField.selectAll()
    }

    onRenamingChanged: {
        if (root.renaming)
            root.beginRename()
    }
    Component.onCompleted: {
        if (root.renaming)
            root.beginRename()
    }

    Icon {
        x: 14
        y: 19
        size: 18
        name: root.current ? "check" : "scenes"
        stroke: root.current ? 2.2 : 1.6
        color: root.current ? Theme.amber : Theme.text3
    }

    Column {
        x: 44
        width: Math.max(0, actions.x - 44 - 8)
        y: 28 - height / 2
        visible: !root.renaming

        Text {
            width: parent.width
            text: root.sceneName
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font.family: Theme.sans
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: root.current ? Theme.amber : Theme.text
        }

        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: root.current && root.modified ? "включена, есть изменения — «Перезаписать», чтобы сохранить"
                : root.current ? "включена" : "нажмите «Включить»"
            elide: Text.ElideRight
            font.family: Theme.sans
            font.pixelSize: 11
            color: root.modified ? Theme.amber : Theme.text2
        }
    }

    TextBox {
        id: renameField

        objectName: "sceneRenameField"
        x: 44
        y: 8
        width: Math.max(0, actions.x - 44 - 8)
        visible: root.renaming
        highlighted: true
        Accessible.name: "Название сцены"
        onAccepted: root.renameFinished(renameField.text)
    }

    Row {
        id: actions

        x: root.width - 10 - width
        y: 10
        spacing: 6

        Btn {
            objectName: "sceneApply"
            height: 36
            visible: !root.renaming && !root.current
            text: "Включить"
            bold: true
            onClicked: root.applyClicked()
        }

        Btn {
            objectName: "sceneOverwrite"
            width: 36
            height: 36
            icon: "save"
            iconSize: 15
            iconColor: root.modified ? Theme.amber : Theme.text3
            tip: "Перезаписать: сохранить в «" + root.sceneName + "» текущие настройки"
            onClicked: root.overwriteClicked()
        }

        Btn {
            objectName: "sceneRename"
            width: 36
            height: 36
            icon: root.renaming ? "check" : "pencil"
            iconSize: 15
            iconColor: root.renaming ? Theme.amber : Theme.text3
            tip: root.renaming ? "Сохранить название" : "Переименовать"
            onClicked: root.renaming ? root.renameFinished(renameField.text) : root.renameStarted()
        }

        Btn {
            objectName: "sceneDelete"
            width: 36
            height: 36
            visible: !root.renaming
            icon: "trash"
            iconSize: 15
            iconColor: Theme.text3
            tip: "Удалить сцену"
            onClicked: root.deleteAsked()
        }
    }

    Item {
        x: 44
        y: 56
        width: root.width - 44 - 10
        height: 40
        visible: root.confirming

        Text {
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, parent.width - confirmButtons.width - 8)
            text: "Удалить «" + root.sceneName + "»?"
            textFormat: Text.PlainText
            elide: Text.ElideRight
            font.family: Theme.sans
            font.pixelSize: 12
            color: Theme.redText
        }

        Row {
            id: confirmButtons

            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6

            Btn {
                objectName: "sceneDeleteConfirm"
                height: 32
                text: "Удалить"
                bold: true
                checked: true
                accent: Theme.red
                textColor: Theme.textOnRed
                onClicked: root.deleteConfirmed()
            }

            Btn {
                height: 32
                text: "Отмена"
                onClicked: root.deleteCancelled()
            }
        }
    }
}
