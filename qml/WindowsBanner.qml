import QtQuick
import "."

// What Windows uses as its default output and microphone, and the one-click fix when it is not
// QUORVEL. Shown on the settings page about sound.
Rectangle {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property var windows: root.backend && root.backend.windows ? root.backend.windows : ({})
    readonly property string mode: !root.windows.driver ? "nodriver" : root.windows.ok ? "ok" : "warn"

    // Device names go into styled text: a name must not be able to inject markup.
    function escaped(s) {
        return String(s).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
    }

    implicitHeight: Math.max(44, flow.implicitHeight + 20)
    radius: 10
    color: root.mode === "ok" ? Theme.okFill : root.mode === "warn" ? Theme.warnFill : Theme.card
    border.color: root.mode === "ok" ? Theme.okBorder : root.mode === "warn" ? Theme.warnBorder : Theme.border

    Accessible.role: Accessible.StaticText
    Accessible.name: mainText.text.replace(/<[^>]*>/g, "")

    Icon {
        x: 12
        y: 13
        name: root.mode === "ok" ? "check" : root.mode === "warn" ? "warning" : "info"
        size: 18
        stroke: 2
        color: root.mode === "ok" ? Theme.green : root.mode === "warn" ? Theme.amber : Theme.text3
    }

    Flow {
        id: flow

        x: 40
        y: 10
        width: root.width - 40 - 12
        spacing: 8

        Txt {
            id: mainText

            objectName: "windowsBannerText"
            width: Math.min(implicitWidth, flow.width)
            height: Math.max(implicitHeight, 24)
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.Wrap
            textFormat: Text.StyledText
            font.pixelSize: 13
            color: root.mode === "ok" ? "#CDEFB5" : root.mode === "warn" ? Theme.warnText : Theme.text3
            text: root.mode === "ok"
                  ? "Windows: вывод по умолчанию — <b>QUORVEL</b>, микрофон — <b>QUORVEL Mic</b>"
                  : root.mode === "warn"
                    ? "Windows: вывод по умолчанию — <b>" + root.escaped(root.windows.defaultOut || "?")
                      + "</b>, микрофон — <b>" + root.escaped(root.windows.defaultIn || "?") + "</b>"
                    : "Драйвер QUORVEL не установлен: весь звук берётся с «"
                      + root.escaped(root.windows.systemName || "устройства Windows по умолчанию")
                      + "», виртуального микрофона нет"
        }

        Txt {
            visible: root.mode !== "nodriver"
            width: Math.min(implicitWidth, flow.width)
            height: Math.max(implicitHeight, 24)
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.Wrap
            font.pixelSize: 12
            color: root.mode === "ok" ? "#9FC487" : "#C9B27A"
            text: root.mode === "ok" ? "Звук одного приложения можно отправить на любое число устройств"
                                     : "Пока QUORVEL не выбран, звук приложений не проходит через него"
        }

        Btn {
            objectName: "assignDefaults"
            visible: root.mode === "warn"
            height: 32
            radius: 6
            fontSize: 12
            bold: true
            checked: true
            text: "Назначить QUORVEL"
            tip: "Сделать QUORVEL выводом и QUORVEL Mic микрофоном по умолчанию в Windows"
            onClicked: {
                if (root.backend)
                    root.backend.assignWindowsDefaults()
            }
        }
    }
}
