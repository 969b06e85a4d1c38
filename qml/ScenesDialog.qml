pragma ComponentBehavior: Bound
import QtQuick
import "."

// The scenes: save everything under a name, switch between scenes, overwrite, rename and
// delete them. At most one scene is being renamed and one asked about at a time.
Dialog {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property var scenes: root.backend && root.backend.scenes ? root.backend.scenes : []
    readonly property string currentName: root.backend ? String(root.backend.currentSceneName || "") : ""
    property string renamingId: ""
    property string deletingId: ""

    function save() {
        const name = nameField.text
        if (name.trim() === "") {
            root.backend.showToast("Введите название сцены")
            return
        }
        root.backend.saveScene(name)
        nameField.text = ""
    }

    // Starting another rename drops the one in progress unsaved.
    function startRename(id) {
        root.deletingId = ""
        root.renamingId = id
    }

    function finishRename(id, text) {
        root.backend.renameScene(id, text)
        root.renamingId = ""
    }

    function endEditing() {
        root.renamingId = ""
        root.deletingId = ""
    }

    function askDelete(id) {
        root.renamingId = ""
        root.deletingId = id
    }

    objectName: "scenesDialog"
    title: "Сцены — QUORVEL"
    heading: "Сцены"
    subheading: root.currentName !== ""
                ? "сейчас: «" + root.currentName + "»" + (root.backend.sceneModified ? ", изменена" : "") : ""
    dialogWidth: 620
    maxBodyHeight: 520

    // Every way of closing goes through closing(); a hide from elsewhere through the
    // visibility. Either way nothing stays half renamed or half deleted for the next opening.
    onClosing: root.endEditing()
    onVisibleChanged: {
        if (!root.visible)
            root.endEditing()
    }

    Text {
        textFormat: Text.PlainText
        width: parent.width
        text: "Сцена запоминает всё сразу: микрофоны и устройства, что где играет, громкости, обработку, изменение голоса и настройки звука. Например, «Игра» и «Стрим» — переключаются одним нажатием."
        wrapMode: Text.Wrap
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
    }

    Item {
        width: parent.width
        height: 40

        TextBox {
            id: nameField

            objectName: "sceneName"
            width: parent.width - saveButton.width - 8
            placeholderText: "Название новой сцены, например «Игра»"
            Accessible.name: "Название новой сцены"
            onAccepted: root.save()
        }

        Btn {
            id: saveButton

            objectName: "sceneSave"
            anchors.right: parent.right
            text: "Сохранить текущие"
            icon: "save"
            iconSize: 16
            checked: true
            // Looks disabled without a name, but a click still explains what is missing.
            enabledLook: nameField.text.trim() !== ""
            onClicked: root.save()
        }
    }

    Repeater {
        model: root.scenes

        SceneRow {
            required property var modelData

            width: parent ? parent.width : 0
            scene: modelData
            renaming: root.renamingId === String(modelData.id)
            confirming: root.deletingId === String(modelData.id)
            onApplyClicked: root.backend.applyScene(String(modelData.id))
            onOverwriteClicked: root.backend.updateScene(String(modelData.id))
            onRenameStarted: root.startRename(String(modelData.id))
            onRenameFinished: (text) => root.finishRename(String(modelData.id), text)
            onDeleteAsked: root.askDelete(String(modelData.id))
            onDeleteConfirmed: {
                root.deletingId = ""
                root.backend.deleteScene(String(modelData.id))
            }
            onDeleteCancelled: root.deletingId = ""
        }
    }

    Text {
        textFormat: Text.PlainText
        width: parent.width
        visible: root.scenes.length === 0
        text: "Сцен пока нет. Настройте всё как нужно, введите название и нажмите «Сохранить текущие»."
        wrapMode: Text.Wrap
        font.family: Theme.sans
        font.pixelSize: 13
        color: Theme.text2
    }

    Text {
        textFormat: Text.PlainText
        width: parent.width
        text: "Не входят в сцену: горячие клавиши, автозапуск и папки записи — они общие."
        wrapMode: Text.Wrap
        font.family: Theme.sans
        font.pixelSize: 11
        color: Theme.text2
    }
}
