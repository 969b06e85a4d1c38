import QtQuick
import "."

// Offers VB-CABLE, the virtual microphone that needs no driver of our own, with one button, and
// follows its download and installation. VB-CABLE stays visibly the vendor's own program: the
// credit line names VB-Audio and links to their site.
Rectangle {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    readonly property var cable: typeof qvCable !== "undefined" ? qvCable : null
    // qmllint enable unqualified
    readonly property string cableState: root.cable ? String(root.cable.state) : ""
    readonly property string message: root.cable && root.cable.message ? String(root.cable.message) : ""
    readonly property bool busy: root.cable ? root.cable.busy === true : false
    readonly property bool present: !!(root.backend && root.backend.vbCable
                                       && root.backend.vbCable.present === true)
    readonly property bool active: !root.present || root.cableState !== ""
    readonly property bool done: root.cableState === "done"
    readonly property bool failed: root.cableState === "error"
    // Never less than a sliver, so a download that has just begun shows that it has.
    readonly property real progressFill: Math.max(0.03, Math.min(1, Number(root.cable ? root.cable.progress : 0) / 100))
    readonly property color accent: root.done ? Theme.green : root.failed ? Theme.red : Theme.amber

    visible: root.active
    implicitWidth: 520
    implicitHeight: root.active ? content.implicitHeight + 24 : 0
    radius: 10
    color: root.done ? "#14261A" : root.failed ? "#2A1414" : "#1F1C14"
    border.color: root.accent

    Column {
        id: content

        x: 14
        y: 12
        width: root.width - 28
        spacing: 10

        Row {
            spacing: 8

            Icon {
                anchors.verticalCenter: parent.verticalCenter
                name: root.done ? "check" : root.failed ? "warning" : "mic"
                size: 16
                stroke: 2
                color: root.done ? Theme.green : root.failed ? Theme.redText : Theme.amber
            }

            Txt {
                anchors.verticalCenter: parent.verticalCenter
                bold: true
                text: root.done ? "Виртуальный микрофон готов" : "Виртуальный микрофон: VB-CABLE"
            }
        }

        Text {
            textFormat: Text.PlainText
            objectName: "cableIntro"
            visible: root.cableState === "" && !root.present
            width: content.width
            text: "Чтобы в Discord, играх и OBS был слышен голос с обработкой и изменением, нужен виртуальный микрофон. "
                  + "QUORVEL установит бесплатный VB-CABLE: в Windows появятся «CABLE Input» и «CABLE Output», "
                  + "голос пойдёт в приложения через «CABLE Output». Windows попросит разрешение администратора."
            font.family: Theme.sans
            font.pixelSize: 12
            color: Theme.text2
            wrapMode: Text.Wrap
        }

        Text {
            objectName: "cableMessage"
            visible: root.cableState !== "" && root.message !== ""
            width: content.width
            text: root.message
            textFormat: Text.PlainText
            font.family: Theme.sans
            font.pixelSize: 12
            color: root.failed ? Theme.redText : root.done ? Theme.text : Theme.amber
            wrapMode: Text.Wrap
        }

        Rectangle {
            objectName: "cableProgress"
            visible: root.cableState === "download"
            width: content.width
            height: 6
            radius: 3
            color: Theme.well

            Rectangle {
                objectName: "cableProgressFill"
                width: root.progressFill * parent.width
                height: parent.height
                radius: 3
                color: Theme.amber
            }
        }

        Row {
            spacing: 8

            Btn {
                objectName: "cableInstall"
                visible: !root.busy && !root.done && !root.present
                checked: true
                accent: Theme.amber
                icon: "download"
                iconSize: 16
                text: root.failed || root.cableState === "reboot" ? "Установить ещё раз" : "Установить VB-CABLE"
                tip: root.cable && root.cable.bundled ? "Установщик VB-CABLE есть в комплекте QUORVEL"
                                                      : "Скачается с официального сайта vb-audio.com (около 1,3 МБ)"
                onClicked: root.cable.install()
            }

            // The installer itself cannot be stopped once Windows runs it.
            Btn {
                objectName: "cableCancel"
                visible: root.busy && root.cableState !== "install"
                text: "Отмена"
                onClicked: root.cable.cancel()
            }

            Btn {
                objectName: "cableDismiss"
                visible: root.done || (root.failed && root.present)
                text: "Понятно"
                onClicked: root.cable.dismiss()
            }
        }

        Text {
            objectName: "cableCreditText"
            width: content.width
            text: "VB-CABLE — программа VB-Audio Software (<a href=\"site\">vb-audio.com</a>), "
                  + "donationware: участие приветствуется. QUORVEL только устанавливает и использует её."
            textFormat: Text.StyledText
            linkColor: Theme.amber
            font.family: Theme.sans
            font.pixelSize: 11
            color: Theme.text2
            wrapMode: Text.Wrap
            onLinkActivated: root.cable.openSite()

            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.NoButton
                cursorShape: parent.hoveredLink !== "" ? Qt.PointingHandCursor : Qt.ArrowCursor
            }
        }
    }
}
