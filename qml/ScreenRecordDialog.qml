pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Window
import "."

// The screen recorder: a screen or a window, with the computer's sound and a microphone or
// without, into an MP4. While recording, another screen or window can be picked and the video
// goes on.
Dialog {
    id: root

    property string target: ""
    property string mic: ""
    property bool systemSound: true
    property string size: "1920x1080"

    // qmllint disable unqualified
    readonly property var recorder: typeof qvRec !== "undefined" ? qvRec : null
    // qmllint enable unqualified
    readonly property bool recording: root.recorder !== null && root.recorder.videoRecording === true
    readonly property string shownTarget: root.recording ? String(root.recorder.videoTarget || "") : root.target
    readonly property string time: root.recorder ? root.recorder.timeText(root.recorder.videoSeconds) : ""
    readonly property var monitors: root.recorder && root.recorder.monitors ? root.recorder.monitors : []
    readonly property var windowList: root.recorder && root.recorder.windows ? root.recorder.windows : []
    readonly property string targetName: {
        for (const t of root.monitors.concat(root.windowList)) {
            if (String(t.id) === root.shownTarget)
                return String(t.name)
        }
        return ""
    }
    readonly property var micChoices: [{ id: "", name: "Без микрофона" }].concat(root.recorder && root.recorder.inputs
                                                                                  ? root.recorder.inputs : [])

    signal settingsRequested()

    // The primary monitor, else the first one; nothing while no monitor is known yet.
    function defaultTarget() {
        for (const m of root.monitors) {
            if (m.primary)
                return String(m.id)
        }
        return root.monitors.length > 0 ? String(root.monitors[0].id) : ""
    }

    function startPreview() {
        if (!root.visible || !root.recorder || root.shownTarget === "")
            return
        const w = Math.round(512 * Screen.devicePixelRatio)
        root.recorder.startPreview(root.shownTarget, w, Math.round(w * 9 / 16))
    }

    // While recording the tool switches its source and the preview follows it by itself.
    function pick(id) {
        root.target = id
        if (root.recording)
            root.recorder.switchTarget(id)
        else
            root.startPreview()
    }

    objectName: "screenDialog"
    title: "Запись экрана — QUORVEL"
    heading: "Запись экрана"
    subheading: root.recording ? "идёт запись · " + root.time : ""
    dialogWidth: 900
    maxBodyHeight: 620

    onVisibleChanged: {
        if (!root.recorder)
            return
        if (root.visible) {
            root.recorder.refresh()
            if (root.target === "")
                root.target = root.defaultTarget()
            root.startPreview()
        } else {
            root.recorder.stopPreview()
        }
    }

    Connections {
        target: root.recorder

        function onListsChanged() {
            if (root.target !== "")
                return
            root.target = root.defaultTarget()
            root.startPreview()
        }
    }

    footerLeft: [
        RecordButton {
            objectName: "videoRecordButton"
            width: 200
            recording: root.recording
            mono: root.recording
            text: root.recording ? "Остановить  " + root.time : "Начать запись"
            onClicked: {
                if (root.recording)
                    root.recorder.stopVideo()
                else
                    root.recorder.startVideo(root.target, root.mic, root.systemSound, root.size)
            }
        },
        Btn {
            objectName: "showVideoFile"
            visible: root.recorder !== null && String(root.recorder.lastVideo || "") !== "" && !root.recording
            icon: "folder"
            iconSize: 16
            text: "Показать файл"
            onClicked: root.recorder.showFile(root.recorder.lastVideo)
        }
    ]

    Note {
        visible: root.recorder === null || root.recorder.available !== true
        font.pixelSize: 12
        color: Theme.amber
        text: "Запись экрана работает в Windows 10 (1903+) и 11. Здесь показано, как выглядит окно."
    }

    Item {
        width: parent.width
        height: 24

        Txt {
            anchors.verticalCenter: parent.verticalCenter
            font.pixelSize: 11
            bold: !root.recording
            font.letterSpacing: root.recording ? 0 : 0.8
            color: root.recording ? Theme.amber : Theme.text2
            text: root.recording ? "ЧТО ЗАПИСЫВАЕТСЯ — можно переключить, запись продолжится" : "ЧТО ЗАПИСЫВАТЬ"
        }

        Btn {
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            height: 24
            flat: true
            icon: "refresh"
            iconSize: 13
            fontSize: 11
            padding: 8
            text: "Обновить окна"
            onClicked: root.recorder.refresh()
        }
    }

    Row {
        width: parent.width
        spacing: 12

        Column {
            id: previewColumn

            spacing: 6

            ScreenPreview {
                objectName: "screenPreview"
                recording: root.recording
                hasTarget: root.shownTarget !== ""
                time: root.time
            }

            Txt {
                objectName: "previewCaption"
                width: 512
                elide: Text.ElideRight
                textFormat: Text.PlainText
                font.pixelSize: 12
                color: Theme.text2
                text: (root.recording ? "Сейчас на видео" : "Так будет на видео") + " · " + root.size.replace("x", "×")
                      + (root.targetName !== "" ? " · " + root.targetName : "")
            }
        }

        TargetList {
            objectName: "targetList"
            width: parent.width - previewColumn.width - 12
            height: previewColumn.height
            monitors: root.monitors
            windows: root.windowList
            current: root.shownTarget
            onPicked: (id) => root.pick(id)
        }
    }

    SettingRow {
        label: "Звук компьютера"
        hint: "Всё, что слышно в наушниках: игра, Discord, музыка"

        Toggle {
            objectName: "systemSoundToggle"
            enabled: !root.recording
            opacity: root.recording ? 0.5 : 1
            label: "Звук компьютера"
            checked: root.systemSound
            onToggled: (on) => root.systemSound = on
        }
    }

    SettingRow {
        label: "Микрофон"
        hint: "Выберите «CABLE Output», чтобы записать голос после изменения"

        Combo {
            objectName: "screenMic"
            width: 280
            enabled: !root.recording
            items: root.micChoices
            currentId: root.mic
            onPicked: (id) => root.mic = id
        }
    }

    SettingRow {
        label: "Качество"
        hint: "Размер видео; другое окно или экран вписываются в него"

        Segmented {
            objectName: "screenSize"
            enabled: !root.recording
            opacity: root.recording ? 0.5 : 1
            options: [{ label: "720p", value: "1280x720" }, { label: "1080p", value: "1920x1080" }, { label: "1440p", value: "2560x1440" }]
            value: root.size
            onPicked: (v) => root.size = String(v)
        }
    }

    RecordFolderLine {
        folder: root.recorder ? String(root.recorder.videoFolder || "") : ""
        onChangeRequested: root.settingsRequested()
    }
}
