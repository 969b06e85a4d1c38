pragma ComponentBehavior: Bound
import QtQuick
import "."

// The line above the mixer: scenes, the Windows status and the engine rate on the left; screen
// recording, the recorder and the settings on the right. It never widens the window: when the
// texts do not fit it drops them in two steps (level 1: icon buttons on the right and a shorter
// scene button; level 2: no scene text and no rate box) before the right group would wrap.
SplitRow {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    readonly property var recorder: typeof qvRec !== "undefined" ? qvRec : null
    // qmllint enable unqualified

    readonly property var settings: root.backend && root.backend.settings ? root.backend.settings : ({})
    readonly property var engine: root.backend && root.backend.engine ? root.backend.engine : ({})
    readonly property string sceneName: root.backend && root.backend.currentSceneName
                                        ? String(root.backend.currentSceneName) : ""
    readonly property bool sceneModified: root.backend ? Boolean(root.backend.sceneModified) : false
    readonly property string sceneText: root.sceneName !== ""
                                        ? "Сцена: " + root.sceneName + (root.sceneModified ? " •" : "")
                                        : "Сцены"
    readonly property bool blink: root.backend ? Boolean(root.backend.blink) : false
    readonly property bool screenOn: root.recorder ? Boolean(root.recorder.videoRecording) : false
    readonly property bool audioOn: root.recorder ? Boolean(root.recorder.audioRecording) : false
    readonly property string screenTime: root.screenOn ? root.recorder.timeText(root.recorder.videoSeconds) : ""
    readonly property string audioTime: root.audioOn ? root.recorder.timeText(root.recorder.audioSeconds) : ""

    // While recording the time is drawn in the mono face, so it is measured in it too: the
    // widest time text keeps the button from changing width every second.
    readonly property real screenFull: 12 + 18 + 8 + Math.ceil(root.screenOn ? mono13.advanceWidth("00:00:00")
                                                                            : sans13.advanceWidth("Запись экрана")) + 12
    readonly property real recFull: 12 + 16 + 8 + Math.ceil(root.audioOn ? mono13.advanceWidth("00:00:00")
                                                                       : sans13.advanceWidth("Рекордер")) + 12

    readonly property int level: root.leftW(0) + root.gapX + root.rightW(0) <= root.width ? 0
                               : root.leftW(1) + root.gapX + root.rightW(1) <= root.width ? 1 : 2

    signal openDialog(string name)

    function sceneW(level) {
        if (level === 0)
            return Math.min(240, Math.ceil(sans14.advanceWidth(root.sceneText)) + 76)
        return level === 1 ? 150 : 52
    }

    function leftW(level) {
        return root.sceneW(level) + 8 + pill.widthFor(level > 0) + (level < 2 ? 8 + rateBox.width : 0)
    }

    function rightW(level) {
        return level === 0 ? root.screenFull + 6 + root.recFull + 6 + 44 : 44 + 6 + 44 + 6 + 44
    }

    gapX: 12
    rightNatural: root.rightW(root.level)

    FontMetrics {
        id: sans13

        font.family: Theme.sans
        font.pixelSize: 13
    }

    FontMetrics {
        id: sans14

        font.family: Theme.sans
        font.pixelSize: 14
    }

    FontMetrics {
        id: mono13

        font.family: Theme.mono
        font.pixelSize: 13
    }

    leftItem: Row {
        spacing: 8

        Btn {
            id: sceneButton

            objectName: "sceneButton"
            width: root.sceneW(root.level)
            accessibleName: root.sceneText
            tip: root.sceneName !== ""
                 ? "Сцена «" + root.sceneName + "»" + (root.sceneModified ? " — есть несохранённые изменения" : "")
                 : "Сцены: сохранить все настройки под именем и переключаться между ними"
            onClicked: root.openDialog("scenes")

            Icon {
                x: root.level === 2 ? (sceneButton.width - 18) / 2 : 12
                anchors.verticalCenter: parent.verticalCenter
                name: "scenes"
                size: 18
                color: root.sceneModified ? Theme.amber : Theme.text3
            }

            Txt {
                objectName: "sceneText"
                x: 38
                width: sceneButton.width - 72
                anchors.verticalCenter: parent.verticalCenter
                visible: root.level < 2
                text: root.sceneText
                font.pixelSize: 14
                elide: Text.ElideRight
            }

            Icon {
                x: sceneButton.width - 10 - 16
                anchors.verticalCenter: parent.verticalCenter
                visible: root.level < 2
                name: "chevronDown"
                size: 16
                color: Theme.text3
            }
        }

        StatusPill {
            id: pill

            compact: root.level > 0
        }

        Rectangle {
            id: rateBox

            objectName: "rateBox"
            visible: root.level < 2
            width: rateText.implicitWidth + 24
            height: 40
            radius: 8
            color: Theme.control
            border.color: Theme.border

            Accessible.role: Accessible.StaticText
            Accessible.name: rateText.text

            Txt {
                id: rateText

                anchors.centerIn: parent
                mono: true
                font.pixelSize: 12
                color: Theme.text3
                text: Math.round((root.settings.sampleRate || 48000) / 1000) + " кГц · "
                      + Theme.num(root.settings.bufferMs === undefined ? 10 : root.settings.bufferMs, 0) + " мс"
            }

            MouseArea {
                id: rateMouse

                anchors.fill: parent
                hoverEnabled: true
            }

            Tip {
                visible: rateMouse.containsMouse
                text: "Частота и буфер движка. Сейчас: задержка движка " + Theme.num(root.engine.latencyMs || 0)
                      + " мс, ЦП " + Theme.num(root.engine.cpuPercent || 0) + " %"
            }
        }
    }

    rightItem: Row {
        spacing: 6

        Btn {
            objectName: "screenButton"
            width: root.level === 0 ? root.screenFull : 44
            icon: "screen"
            iconSize: 18
            iconColor: root.screenOn ? (root.blink ? Theme.red : Theme.redDim) : Theme.text
            borderColor: root.screenOn ? Theme.red : Theme.controlBorder
            mono: root.screenOn
            text: root.level > 0 ? "" : root.screenOn ? root.screenTime : "Запись экрана"
            accessibleName: "Запись экрана"
            tip: root.screenOn ? "Идёт запись экрана · " + root.screenTime
                               : "Запись экрана: экран или окно, со звуком и микрофоном"
            onClicked: root.openDialog("screen")
        }

        Btn {
            objectName: "recorderButton"
            width: root.level === 0 ? root.recFull : 44
            icon: "record"
            iconSize: 16
            iconColor: root.audioOn && !root.blink ? Theme.redDim : Theme.red
            borderColor: root.audioOn ? Theme.red : Theme.controlBorder
            mono: root.audioOn
            text: root.level > 0 ? "" : root.audioOn ? root.audioTime : "Рекордер"
            accessibleName: "Рекордер"
            tip: root.audioOn ? "Идёт запись звука · " + root.audioTime : "Рекордер: запись звука"
            onClicked: root.openDialog("recorder")
        }

        Btn {
            objectName: "settingsButton"
            width: 44
            icon: "gear"
            iconSize: 20
            iconColor: Theme.text3
            tip: "Настройки"
            accessibleName: "Настройки"
            onClicked: root.openDialog("settings")
        }
    }
}
