import QtQuick
import "."

// Where recordings of one kind ("video" or "audio") go: the folder, and buttons to change,
// open and (once changed) reset it. The folder comes from the Recorder, the reset button's
// presence from the settings.
Column {
    id: root

    property string kind: "video"
    property string label
    property bool canReset: true

    // qmllint disable unqualified
    readonly property var recorder: typeof qvRec !== "undefined" ? qvRec : null
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property bool video: root.kind === "video"
    readonly property string folder: !root.recorder ? ""
                                     : String((root.video ? root.recorder.videoFolder : root.recorder.audioFolder) || "")
    readonly property var setting: root.backend && root.backend.settings
                                   ? root.backend.settings[root.video ? "videoFolder" : "audioFolder"] : undefined
    readonly property bool resettable: root.canReset && typeof root.setting === "string" && root.setting !== ""

    width: root.parent ? root.parent.width : 400
    spacing: 6

    Text {
        textFormat: Text.PlainText
        visible: root.label !== ""
        text: root.label
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
    }

    Row {
        id: line

        width: root.width
        spacing: 6

        Rectangle {
            width: Math.max(0, line.width - change.width - open.width - (reset.visible ? reset.width + 6 : 0) - 12)
            height: 40
            radius: 8
            color: Theme.card
            border.color: Theme.border

            Text {
                textFormat: Text.PlainText
                x: 12
                width: parent.width - 24
                height: parent.height
                text: root.folder
                font.family: Theme.sans
                font.pixelSize: 13
                color: Theme.text3
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideMiddle
            }
        }

        Btn {
            id: change

            text: "Изменить…"
            onClicked: {
                if (root.recorder)
                    root.recorder.chooseFolder(root.kind)
            }
        }

        Btn {
            id: open

            width: 40
            icon: "folder"
            iconSize: 16
            tip: "Открыть папку"
            onClicked: {
                if (root.recorder)
                    root.recorder.openFolder(root.kind)
            }
        }

        Btn {
            id: reset

            visible: root.resettable
            width: 40
            icon: "refresh"
            iconSize: 16
            tip: "Папка по умолчанию"
            onClicked: {
                if (root.recorder)
                    root.recorder.resetFolder(root.kind)
            }
        }
    }
}
