import QtQuick
import "."

// An expanded microphone strip. `ch` is its row of qv.channels: the delegate's model object
// (so each binding follows its own role and survives the Backend's rebuilds) or a plain row map
// such as qv.sampleChannel. Every action goes straight to the Backend; the new values come back
// through the row.
Rectangle {
    id: root

    property var ch: null
    property bool compact: false
    property int fxRows: 4
    property bool confirmRemove: false

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property string chId: String(root.field("id", ""))
    readonly property string name: String(root.field("name", ""))
    readonly property string subtitle: String(root.field("subtitle", ""))
    readonly property string appIcon: String(root.field("icon", ""))
    readonly property bool isMic: root.field("isMic", false) === true
    readonly property bool voiceOn: String(root.field("voice", "")) !== ""
    readonly property bool hasTargets: root.field("hasTargets", false) === true
    readonly property bool monitor: root.field("monitor", false) === true
    readonly property bool mute: root.field("mute", false) === true
    readonly property bool solo: root.field("solo", false) === true
    readonly property bool mono: root.field("mono", false) === true
    readonly property bool noise: root.field("noise", false) === true
    readonly property bool subtitleBad: root.field("available", true) !== true
                                        && root.field("kind", "") === "physical_input"
    readonly property string monitorName: root.backend ? String(root.backend.monitorName) : ""
    readonly property var listenOn: root.backend ? root.backend.listenOn : []
    readonly property var issues: root.isMic ? Theme.micIssues(root.ch, root.listenOn) : []
    readonly property real fxMinHeight: root.fxRows * 24 + Math.max(0, root.fxRows - 1) * 6

    signal routesRequested()
    signal replaceRequested()
    signal voiceRequested()

    // One value of the row; `fallback` when the row or the key is missing.
    function field(key, fallback) {
        const c = root.ch
        if (!c)
            return fallback
        const v = c[key]
        return v === undefined || v === null ? fallback : v
    }

    function num(key) {
        const v = Number(root.field(key, 0))
        return isFinite(v) ? v : 0
    }

    function send(fields, live) {
        if (root.backend && root.chId !== "")
            root.backend.setSource(root.chId, fields, live === true)
    }

    function issuesTip() {
        if (root.issues.length === 0)
            return "В какие приложения идёт голос «" + root.name + "» — нажмите, чтобы выбрать"
        const lines = []
        for (let i = 0; i < root.issues.length; ++i)
            lines.push(root.issues[i].text)
        return lines.join("\n") + "\nНажмите — подробнее и исправить."
    }

    function monitorTip() {
        if (root.monitor)
            return "Слышу себя в «" + root.monitorName + "» — нажмите, чтобы выключить"
        if (root.monitorName !== "")
            return "Слышать себя в «" + root.monitorName + "» — проверить микрофон"
        return "Слышать себя: сначала добавьте наушники"
    }

    width: 184
    implicitWidth: 184
    implicitHeight: top.implicitHeight + 12 + bottom.implicitHeight + 24
    radius: 10
    color: Theme.card
    border.color: Theme.border

    Accessible.role: Accessible.Grouping
    Accessible.name: root.name

    Column {
        id: top

        x: 12
        y: 12
        width: root.width - 24
        spacing: 12

        StripButtons {
            width: parent.width
            name: root.name
            leftIcon: "voice"
            leftActive: root.voiceOn
            leftTip: root.voiceOn ? "Изменение голоса включено — открыть" : "Изменение голоса"
            leftAccessibleName: "Голос: " + root.name
            swapTip: "Заменить микрофон другим — все настройки сохранятся"
            onLeftClicked: root.voiceRequested()
            onSwapClicked: root.replaceRequested()
            onCollapseClicked: root.send({ ui: { collapsed: true } })
            onRemoveClicked: root.confirmRemove = true
        }

        Column {
            width: parent.width
            spacing: 2

            Item {
                width: parent.width
                height: nameText.implicitHeight

                Image {
                    id: appIconImage

                    anchors.verticalCenter: parent.verticalCenter
                    width: 16
                    height: 16
                    sourceSize.width: 32
                    sourceSize.height: 32
                    asynchronous: true
                    source: root.appIcon
                    visible: root.appIcon !== "" && appIconImage.status === Image.Ready
                }

                Text {
                    textFormat: Text.PlainText
                    id: nameText

                    objectName: "nameText"
                    x: appIconImage.visible ? 22 : 0
                    width: parent.width - nameText.x
                    text: root.name
                    font.family: Theme.sans
                    font.pixelSize: 14
                    font.weight: Font.DemiBold
                    color: Theme.text
                    elide: Text.ElideRight
                }
            }

            Text {
                textFormat: Text.PlainText
                objectName: "subtitleText"
                width: parent.width
                text: root.subtitle
                font.family: Theme.sans
                font.pixelSize: 11
                color: root.voiceOn ? Theme.amber : root.subtitleBad ? Theme.redText : Theme.text2
                elide: Text.ElideRight
            }
        }

        Column {
            width: parent.width
            spacing: 6
            visible: root.isMic

            Text {
                textFormat: Text.PlainText
                visible: !root.compact
                text: "Куда идёт голос"
                font.family: Theme.sans
                font.pixelSize: 11
                color: Theme.text2
            }

            Row {
                width: parent.width
                spacing: 4

                RouteBox {
                    objectName: "targetsBox"
                    width: parent.width - 34
                    minHeight: 30
                    padY: 6
                    fontSize: 11
                    active: root.hasTargets
                    text: root.hasTargets ? String(root.field("targets", "")) : "Никуда — выбрать"
                    warning: root.issues.length > 0
                    tip: root.issuesTip()
                    onClicked: root.routesRequested()
                }

                Btn {
                    objectName: "monitorButton"
                    anchors.verticalCenter: parent.verticalCenter
                    width: 30
                    height: 30
                    radius: 6
                    padding: 0
                    icon: "headphones"
                    iconSize: 15
                    checked: root.monitor
                    baseColor: "transparent"
                    iconColor: root.monitor ? Theme.onAccent : Theme.text3
                    tip: root.monitorTip()
                    onClicked: {
                        if (root.backend && root.chId !== "")
                            root.backend.setMonitor(root.chId, !root.monitor)
                    }
                }
            }
        }

        Column {
            objectName: "processing"
            width: parent.width
            height: Math.max(implicitHeight, root.fxMinHeight)
            spacing: 6
            visible: !root.compact

            FxRow {
                objectName: "compRow"
                width: parent.width
                label: "Комп"
                from: 0
                to: 10
                step: 0.5
                value: root.num("comp")
                text: Theme.num(root.num("comp"))
                tip: "Компрессор: 0 — выключен, 10 — сильное сжатие"
                onMovedTo: (v) => root.send({ fx: { comp: v } }, true)
                onCommitted: (v) => root.send({ fx: { comp: v } })
            }

            FxRow {
                objectName: "gateRow"
                width: parent.width
                visible: root.isMic
                label: "Гейт"
                from: 0
                to: 10
                step: 0.5
                value: root.num("gate")
                text: Theme.num(root.num("gate"))
                tip: "Шумовой гейт: 0 — выключен, больше — тише звуки ниже порога"
                onMovedTo: (v) => root.send({ fx: { gate: v } }, true)
                onCommitted: (v) => root.send({ fx: { gate: v } })
            }

            Check {
                objectName: "noiseCheck"
                width: parent.width
                height: 24
                visible: root.isMic
                boxSize: 16
                fontSize: 11
                text: "Шумоподавление"
                checked: root.noise
                onToggled: (on) => root.send({ fx: { noiseSuppression: on } })
            }

            FxRow {
                objectName: "panRow"
                width: parent.width
                label: "Пан"
                from: -100
                to: 100
                step: 5
                centered: true
                value: root.num("pan")
                text: Theme.pan(root.num("pan"))
                tip: "Панорама: L — левее, R — правее, C — по центру"
                onMovedTo: (v) => root.send({ fx: { pan: v / 100 } }, true)
                onCommitted: (v) => root.send({ fx: { pan: v / 100 } })
            }
        }
    }

    Column {
        id: bottom

        x: 12
        width: root.width - 24
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 12
        spacing: 12

        FaderBlock {
            objectName: "faderBlock"
            width: parent.width
            sourceId: root.chId
            muted: root.mute
            gainDb: root.num("gainDb")
            compact: root.compact
            name: root.name
            onMoved: (v) => root.send({ gainDb: v }, true)
            onCommitted: (v) => root.send({ gainDb: v })
        }

        Row {
            width: parent.width
            spacing: 6

            StripToggle {
                objectName: "muteButton"
                width: (parent.width - 12) / 3
                text: "Mute"
                accent: Theme.red
                checkedText: Theme.textOnRed
                checked: root.mute
                tip: "Выключить звук канала"
                onClicked: root.send({ mute: !root.mute })
            }

            StripToggle {
                objectName: "soloButton"
                width: (parent.width - 12) / 3
                text: "Solo"
                accent: Theme.amber
                checked: root.solo
                tip: "Слушать только каналы с Solo"
                onClicked: root.send({ solo: !root.solo })
            }

            StripToggle {
                objectName: "monoButton"
                width: (parent.width - 12) / 3
                text: "Mono"
                accent: Theme.text3
                checked: root.mono
                tip: "Свести канал в моно"
                onClicked: root.send({ mono: !root.mono })
            }
        }
    }

    // Made only while the question is open: a hidden overlay would still be created and bound
    // with every strip.
    Loader {
        objectName: "removeOverlay"
        anchors.fill: parent
        active: root.confirmRemove
        visible: active
        // qmllint disable unqualified
        sourceComponent: RemoveOverlay {
            title: "Убрать «" + root.name + "» из QUORVEL?"
            detail: "Громкость, обработка, голос и куда идёт голос будут потеряны. Вернуть: «Добавить» → «Микрофоны»."
            onCancelled: root.confirmRemove = false
            onConfirmed: {
                root.confirmRemove = false
                if (root.backend && root.chId !== "")
                    root.backend.removeSource(root.chId)
            }
        }
        // qmllint enable unqualified
    }
}
