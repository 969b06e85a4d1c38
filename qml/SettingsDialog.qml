pragma ComponentBehavior: Bound
import QtQuick
import "."

// The settings, sorted into six tabs. Every change goes to the Backend at once with only the
// changed field. The window's height is fixed, so switching tabs never resizes it.
Dialog {
    id: root

    property string tab: "sound"

    // qmllint disable unqualified
    readonly property var keys: typeof qvKeys !== "undefined" ? qvKeys : null
    // qmllint enable unqualified

    function openTab(name, over) {
        root.tab = name
        root.openOver(over)
    }

    // A capture waiting for a key must not outlive the row that shows it.
    function cancelCapture() {
        if (root.keys)
            root.keys.cancelCapture()
    }

    objectName: "settingsDialog"
    title: "Настройки — QUORVEL"
    heading: "Настройки"
    dialogWidth: 660
    maxBodyHeight: 600

    onTabChanged: {
        root.bodyFlick.contentY = 0
        root.cancelCapture()
    }
    onVisibleChanged: {
        if (!root.visible)
            root.cancelCapture()
    }

    Segmented {
        objectName: "settingsTabs"
        options: [
            { label: "Звук", value: "sound" },
            { label: "Окно и запуск", value: "window" },
            { label: "Клавиши", value: "keys" },
            { label: "Голос", value: "voice" },
            { label: "Запись", value: "record" },
            { label: "Движок", value: "engine" }
        ]
        value: root.tab
        onPicked: (v) => root.tab = v
    }

    SettingsSoundTab {
        objectName: "soundTab"
        visible: root.tab === "sound"
    }

    SettingsWindowTab {
        objectName: "windowTab"
        visible: root.tab === "window"
    }

    SettingsKeysTab {
        objectName: "keysTab"
        visible: root.tab === "keys"
    }

    // The voice tab holds the cable card and the voice panel; loaded on its own so that any
    // trouble with them stays on this one tab.
    Loader {
        objectName: "voiceTab"
        width: parent ? parent.width : 0
        // An unloaded Loader keeps the size of its last item: hidden, the column skips it.
        visible: root.tab === "voice"
        active: root.tab === "voice"
        source: "SettingsVoiceTab.qml"
    }

    Section {
        objectName: "recordTab"
        visible: root.tab === "record"
        title: "ПАПКИ"

        FolderRow {
            objectName: "videoFolderRow"
            kind: "video"
            label: "Запись экрана (MP4)"
        }

        FolderRow {
            objectName: "audioFolderRow"
            kind: "audio"
            label: "Рекордер (WAV, M4A, MP3)"
        }

        Note {
            text: "Папки запоминаются и не меняются, пока вы сами их не смените. Файлы называются по дате и времени: «QUORVEL 2026-10-04 21-30-15.mp4»."
        }
    }

    SettingsEngineTab {
        objectName: "engineTab"
        visible: root.tab === "engine"
    }
}
