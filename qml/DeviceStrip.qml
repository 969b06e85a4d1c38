import QtQuick
import "."

// An expanded output strip (headphones or speakers). `dev` is its row of qv.devices: the
// delegate's model object or a plain row map. An enabled output the engine cannot open is
// "bad": its border blinks red and its state line says why.
Rectangle {
    id: root

    property var dev: null
    property bool compact: false
    property bool confirmRemove: false

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property string devId: String(root.field("id", ""))
    readonly property string name: String(root.field("name", ""))
    readonly property bool bad: root.field("enabled", true) === true && root.field("ok", true) !== true
    readonly property bool blink: root.backend ? root.backend.blink === true : false
    readonly property bool mute: root.field("mute", false) === true
    readonly property bool eqOn: root.field("eqOn", false) === true
    readonly property string eqPresetName: String(root.field("eqPresetName", ""))
    readonly property int playingCount: Number(root.field("playingCount", 0))
    readonly property string stateText: root.stateLine()
    readonly property int presetCount: root.backend && root.backend.eqPresets ? root.backend.eqPresets.length : 0
    readonly property color eqOnBorder: "#6B5420"

    signal routesRequested()
    signal replaceRequested()
    signal eqRequested()

    function field(key, fallback) {
        const d = root.dev
        if (!d)
            return fallback
        const v = d[key]
        return v === undefined || v === null ? fallback : v
    }

    function send(fields, live) {
        if (root.backend && root.devId !== "")
            root.backend.setDevice(root.devId, fields, live === true)
    }

    function stateLine() {
        if (root.bad) {
            const error = String(root.field("error", ""))
            return error !== "" ? error : "Недоступно — ждём подключения"
        }
        const endpoint = String(root.field("endpointName", ""))
        return endpoint !== "" && endpoint !== root.name ? endpoint : "Наушники или колонки"
    }

    function playsText() {
        if (root.playingCount < 0)
            return "Все звуки"
        if (root.playingCount === 0)
            return "Ничего — выбрать"
        return String(root.field("playing", ""))
    }

    // The curve is asked of the Backend only while the box shows it.
    function curve(shown) {
        if (!shown || !root.backend)
            return []
        const bands = root.field("eqBands", [])
        return root.backend.eqCurve(bands, 40)
    }

    width: 184
    implicitWidth: 184
    implicitHeight: top.implicitHeight + 12 + bottom.implicitHeight + 24
    radius: 10
    color: Theme.card
    border.color: !root.bad ? Theme.border : root.blink ? Theme.red : Theme.redDim

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
            leftIcon: "eq"
            leftActive: root.eqOn
            leftTip: "Эквалайзер «" + root.name + "»: " + root.eqPresetName
            swapTip: "Заменить другими наушниками или колонками — все настройки сохранятся"
            onLeftClicked: root.eqRequested()
            onSwapClicked: root.replaceRequested()
            onCollapseClicked: root.send({ ui: { collapsed: true } })
            onRemoveClicked: root.confirmRemove = true
        }

        Column {
            width: parent.width
            spacing: 2

            Text {
                textFormat: Text.PlainText
                objectName: "nameText"
                width: parent.width
                text: root.name
                font.family: Theme.sans
                font.pixelSize: 14
                font.weight: Font.DemiBold
                color: Theme.text
                elide: Text.ElideRight
            }

            Text {
                textFormat: Text.PlainText
                id: stateLabel

                objectName: "stateText"
                width: parent.width
                text: root.stateText
                font.family: Theme.sans
                font.pixelSize: 11
                color: root.bad ? Theme.redText : Theme.text2
                wrapMode: root.bad ? Text.Wrap : Text.NoWrap
                maximumLineCount: root.bad ? 2 : 1
                elide: Text.ElideRight

                HoverHandler {
                    id: stateHover
                }

                Tip {
                    text: root.name + (root.bad ? "\n" + root.stateText : "")
                    visible: stateHover.hovered && (stateLabel.truncated || root.bad)
                }
            }
        }

        Column {
            width: parent.width
            spacing: 6

            Text {
                textFormat: Text.PlainText
                visible: !root.compact
                text: "Что играет"
                font.family: Theme.sans
                font.pixelSize: 11
                color: Theme.text2
            }

            RouteBox {
                objectName: "playsBox"
                width: parent.width
                padY: 7
                fontSize: 12
                active: root.playingCount !== 0
                text: root.playsText()
                tip: "Нажмите, чтобы выбрать, что играет на «" + root.name + "»"
                onClicked: root.routesRequested()
            }
        }

        Rectangle {
            id: eqBox

            objectName: "eqBox"
            width: parent.width
            height: 84
            visible: !root.compact
            radius: 6
            color: eqArea.containsMouse ? Theme.controlHover : Theme.well
            border.color: root.eqOn ? root.eqOnBorder : Theme.controlBorder

            Accessible.role: Accessible.Button
            Accessible.name: "Эквалайзер · " + root.eqPresetName
            Accessible.onPressAction: root.eqRequested()

            Text {
                textFormat: Text.PlainText
                x: 8
                y: 5
                width: eqBox.width - 16
                text: "Эквалайзер · " + root.eqPresetName
                font.family: Theme.sans
                font.pixelSize: 11
                color: root.eqOn ? Theme.amber : Theme.text2
                elide: Text.ElideRight
            }

            EqCurve {
                objectName: "eqCurve"
                x: 6
                y: 22
                width: eqBox.width - 12
                height: eqBox.height - 28
                range: 12
                lineWidth: 1.4
                color: root.eqOn ? Theme.amber : Theme.text3
                fill: root.eqOn
                points: root.curve(eqBox.visible)
            }

            MouseArea {
                id: eqArea

                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: root.eqRequested()
            }

            Tip {
                text: "Эквалайзер «" + root.name + "»: " + root.presetCount + " готовых настроек и 10 полос"
                visible: eqArea.containsMouse
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
            sourceId: root.devId
            muted: root.mute || root.bad
            gainDb: {
                const v = Number(root.field("gainDb", 0))
                return isFinite(v) ? v : 0
            }
            compact: root.compact
            name: root.name
            onMoved: (v) => root.send({ gainDb: v }, true)
            onCommitted: (v) => root.send({ gainDb: v })
        }

        StripToggle {
            objectName: "muteButton"
            width: parent.width
            text: "Mute"
            accent: Theme.red
            checkedText: Theme.textOnRed
            checked: root.mute
            tip: "Выключить звук на «" + root.name + "»"
            onClicked: root.send({ mute: !root.mute })
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
            detail: "Громкость и выбранные звуки будут потеряны. Вернуть: «Добавить» → «Наушники и колонки»."
            onCancelled: root.confirmRemove = false
            onConfirmed: {
                root.confirmRemove = false
                if (root.backend && root.devId !== "")
                    root.backend.removeDevice(root.devId)
            }
        }
        // qmllint enable unqualified
    }
}
