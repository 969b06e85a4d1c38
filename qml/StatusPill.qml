import QtQuick
import "."

// The toolbar's "Windows → QUORVEL" pill: whether Windows plays and records through the
// product, with a button to make it so when it does not.
Rectangle {
    id: root

    property bool compact: false

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property var windows: root.backend && root.backend.windows ? root.backend.windows : ({})
    readonly property bool ready: root.backend ? Boolean(root.backend.ready) : false
    readonly property string mode: !root.ready || !root.windows.known ? "unknown"
                                 : !root.windows.driver ? "nodriver"
                                 : root.windows.ok ? "ok" : "warn"
    readonly property string text: root.textFor(root.compact)
    readonly property string tipText: root.mode === "ok" ? "QUORVEL выбран в Windows как вывод и микрофон"
        : root.mode === "warn" ? "В Windows сейчас: вывод — " + (root.windows.defaultOut || "?")
                                 + ", микрофон — " + (root.windows.defaultIn || "?") + ".\n"
                                 + "Звук приложений не проходит через QUORVEL, пока он не выбран."
        : root.mode === "nodriver" ? "Драйвер QUORVEL не установлен: весь звук берётся с «"
                                     + (root.windows.systemName || "устройства Windows по умолчанию")
                                     + "», приложения — захватом процесса. Виртуального микрофона нет."
        : "Нет связи с движком"

    function textFor(compact) {
        switch (root.mode) {
        case "unknown":
            return compact ? "Windows" : "Windows → ?"
        case "nodriver":
            return compact ? "Без драйвера" : "Без драйвера QUORVEL"
        default:
            return compact ? "QUORVEL" : "Windows → QUORVEL"
        }
    }

    // The pill's width with the full or the short text, for a toolbar planning its layout.
    function widthFor(compact) {
        const button = root.mode === "warn" ? 8 + Math.ceil(boldMetrics.advanceWidth("Выбрать")) + 20 : 0
        return 10 + 8 + 8 + Math.ceil(metrics.advanceWidth(root.textFor(compact))) + button + 10
    }

    implicitWidth: root.widthFor(root.compact)
    implicitHeight: 40
    radius: 8
    color: root.mode === "ok" ? Theme.okFill : root.mode === "warn" ? Theme.warnFill : Theme.control
    border.color: root.mode === "ok" ? Theme.okBorder : root.mode === "warn" ? Theme.warnBorder : Theme.border

    Accessible.role: Accessible.StaticText
    Accessible.name: root.text
    Accessible.description: root.tipText

    FontMetrics {
        id: metrics

        font.family: Theme.sans
        font.pixelSize: 12
    }

    FontMetrics {
        id: boldMetrics

        font.family: Theme.sans
        font.pixelSize: 12
        font.weight: Font.DemiBold
    }

    HoverHandler {
        id: hover
    }

    Row {
        x: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 8
            height: 8
            radius: 4
            color: root.mode === "ok" ? Theme.green : root.mode === "warn" ? Theme.amber : Theme.outlineHover
        }

        Text {
            textFormat: Text.PlainText
            anchors.verticalCenter: parent.verticalCenter
            // Allotted its measured advance, so the pill lays out exactly what widthFor plans:
            // a glyph's right bearing may overhang it by a fraction of a pixel into the padding.
            width: Math.ceil(metrics.advanceWidth(root.text))
            text: root.text
            font: metrics.font
            color: root.mode === "ok" ? Theme.okText : root.mode === "warn" ? Theme.warnText : Theme.text3
        }

        Btn {
            id: assign

            anchors.verticalCenter: parent.verticalCenter
            visible: root.mode === "warn"
            height: 28
            radius: 6
            padding: 10
            fontSize: 12
            bold: true
            checked: true
            accent: Theme.amber
            text: "Выбрать"
            tip: "Назначить QUORVEL выводом и QUORVEL Mic микрофоном по умолчанию в Windows"
            onClicked: {
                if (root.backend)
                    root.backend.assignWindowsDefaults()
            }
        }
    }

    Tip {
        text: root.tipText
        visible: hover.hovered && !assign.hovered
    }
}
