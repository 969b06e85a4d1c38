import QtQuick
import "."

// One global hotkey of the settings: its key (or the capture waiting for one), the button that
// starts or cancels the capture, and the one that removes the key.
SettingRow {
    id: root

    property string action

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    readonly property var keys: typeof qvKeys !== "undefined" ? qvKeys : null
    // qmllint enable unqualified
    readonly property var hotkeys: root.backend && root.backend.settings && root.backend.settings.hotkeys
                                   ? root.backend.settings.hotkeys : ({})
    readonly property string spec: String(root.hotkeys[root.action] || "")
    readonly property bool waiting: root.keys !== null && root.keys.capturing === root.action
    readonly property bool available: root.keys !== null && Boolean(root.keys.available)

    Row {
        spacing: 6

        Rectangle {
            objectName: "keyBox"
            width: 200
            height: 36
            radius: 8
            color: root.waiting ? Theme.amberTint : Theme.control
            border.color: root.waiting ? Theme.amber : Theme.controlBorder

            Text {
                objectName: "keyText"
                anchors.fill: parent
                anchors.leftMargin: 10
                anchors.rightMargin: 10
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
                font.family: root.waiting || root.spec === "" ? Theme.sans : Theme.mono
                font.pixelSize: root.waiting ? 11 : root.spec !== "" ? 12 : 13
                color: root.waiting ? Theme.amber : root.spec !== "" ? Theme.text : Theme.text2
                text: root.waiting ? "Нажмите клавишу или сочетание… (Esc — отмена)"
                      : root.spec !== "" && root.keys ? root.keys.describe(root.spec)
                      : "не назначена"
            }
        }

        Btn {
            objectName: "captureButton"
            width: 104
            height: 36
            enabled: root.available
            text: root.waiting ? "Отмена" : "Назначить"
            icon: root.waiting ? "" : "keyboard"
            iconSize: 16
            onClicked: {
                if (root.waiting)
                    root.keys.cancelCapture()
                else
                    root.keys.capture(root.action)
            }
        }

        Btn {
            objectName: "removeKeyButton"
            width: 36
            height: 36
            flat: true
            icon: "trash"
            iconSize: 16
            tip: "Убрать клавишу"
            enabled: root.spec !== ""
            onClicked: {
                if (root.backend)
                    root.backend.setHotkey(root.action, "")
            }
        }
    }
}
