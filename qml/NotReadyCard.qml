import QtQuick
import "."

// Shown instead of the strips until the engine is connected and has sent its configuration.
Rectangle {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property string status: root.backend ? String(root.backend.status) : ""
    readonly property bool canStart: root.backend ? root.backend.connected !== true && root.backend.demo !== true
                                                  : false

    implicitWidth: 380
    implicitHeight: 200
    height: 200
    radius: 10
    color: Theme.card
    border.color: Theme.border

    Column {
        x: 24
        width: root.width - 48
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12

        Text {
            textFormat: Text.PlainText
            objectName: "statusText"
            width: parent.width
            text: root.status !== "" ? root.status : "Подключение к движку QUORVEL…"
            font.family: Theme.sans
            font.pixelSize: 14
            color: Theme.text
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }

        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: "Звук обрабатывает отдельная программа — движок. Интерфейс подключится к нему сам."
            font.family: Theme.sans
            font.pixelSize: 12
            color: Theme.text2
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }

        Btn {
            objectName: "startEngineButton"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: root.canStart
            text: "Запустить движок"
            onClicked: {
                if (root.backend)
                    root.backend.startEngine()
            }
        }
    }
}
