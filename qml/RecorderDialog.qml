pragma ComponentBehavior: Bound
import QtQuick
import "."

// The audio recorder: what plays on chosen headphones or speakers and, optionally, a microphone,
// into WAV, M4A or MP3. The recording runs in the capture tool's own process.
Dialog {
    id: root

    // The choice is the window's own; it is not part of the mixer's document.
    property var picked: []
    property string mic: ""
    property string format: "wav"

    // qmllint disable unqualified
    readonly property var recorder: typeof qvRec !== "undefined" ? qvRec : null
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property bool recording: root.recorder !== null && root.recorder.audioRecording === true
    readonly property string time: root.recorder ? root.recorder.timeText(root.recorder.audioSeconds) : ""
    readonly property var micChoices: [{ id: "", name: "Без микрофона" }].concat(root.recorder && root.recorder.inputs
                                                                                  ? root.recorder.inputs : [])

    signal settingsRequested()

    function firstDevice() {
        const devices = root.backend ? root.backend.devices : null
        for (let i = 0; devices && i < devices.count; ++i) {
            const row = devices.get(i)
            if (!row.virt)
                return String(row.id)
        }
        return ""
    }

    function toggle(id) {
        const i = root.picked.indexOf(id)
        root.picked = i >= 0 ? root.picked.filter(p => p !== id) : root.picked.concat([id])
    }

    function start() {
        const endpoints = root.picked.map(id => id.indexOf("out:") === 0 ? id.substring(4) : id)
        root.recorder.startAudio(endpoints, root.mic, root.format)
    }

    objectName: "recorderDialog"
    title: "Рекордер — QUORVEL"
    heading: "Рекордер"
    subheading: root.recording ? "идёт запись" : ""
    dialogWidth: 520
    fitContent: true

    onVisibleChanged: {
        if (!root.visible || !root.recorder)
            return
        root.recorder.refresh()
        if (root.picked.length === 0) {
            const first = root.firstDevice()
            if (first !== "")
                root.picked = [first]
        }
    }

    footerLeft: [
        Btn {
            objectName: "showAudioFile"
            visible: root.recorder !== null && String(root.recorder.lastAudio || "") !== "" && !root.recording
            icon: "folder"
            iconSize: 16
            text: "Показать файл"
            onClicked: root.recorder.showFile(root.recorder.lastAudio)
        }
    ]

    Note {
        visible: root.recorder === null || root.recorder.available !== true
        font.pixelSize: 12
        color: Theme.amber
        text: "Рекордер работает в Windows. Здесь показано, как выглядит окно."
    }

    Item {
        width: parent.width
        height: 48

        Txt {
            objectName: "audioTime"
            anchors.verticalCenter: parent.verticalCenter
            mono: true
            font.pixelSize: 36
            font.weight: Font.Medium
            color: root.recording ? Theme.red : Theme.text
            text: root.time
        }

        RecordButton {
            objectName: "audioRecordButton"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            width: 150
            recording: root.recording
            text: root.recording ? "Остановить" : "Записать"
            onClicked: {
                if (root.recording)
                    root.recorder.stopAudio()
                else
                    root.start()
            }
        }
    }

    Txt {
        font.pixelSize: 12
        color: Theme.text2
        text: "Что звучит на устройствах"
    }

    Flow {
        objectName: "recordDevices"
        width: parent.width
        spacing: 4

        Repeater {
            model: root.backend ? root.backend.devices : null

            delegate: DeviceChip {
                required property var model

                visible: !model.virt
                label: String(model.name)
                sourceName: "Запись"
                ok: model.ok === true
                on: root.picked.indexOf(String(model.id)) >= 0
                maxWidth: 220
                height: 36
                enabled: !root.recording
                onToggled: root.toggle(String(model.id))
            }
        }
    }

    SettingRow {
        label: "Микрофон"

        Combo {
            objectName: "recorderMic"
            width: 260
            enabled: !root.recording
            items: root.micChoices
            currentId: root.mic
            onPicked: (id) => root.mic = id
        }
    }

    SettingRow {
        label: "Формат"

        Segmented {
            objectName: "recorderFormat"
            enabled: !root.recording
            opacity: root.recording ? 0.5 : 1
            options: [{ label: "WAV 24 бит", value: "wav" }, { label: "M4A", value: "m4a" }, { label: "MP3 320", value: "mp3" }]
            value: root.format
            onPicked: (v) => root.format = String(v)
        }
    }

    RecordFolderLine {
        folder: root.recorder ? String(root.recorder.audioFolder || "") : ""
        onChangeRequested: root.settingsRequested()
    }
}
