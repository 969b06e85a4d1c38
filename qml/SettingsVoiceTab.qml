pragma ComponentBehavior: Bound
import QtQuick
import "."

// Settings tab "Голос": where the processed voice goes so that programs can record it (the
// program's own driver, or a virtual cable of another vendor), and the voice changer.
Column {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    readonly property var cable: typeof qvCable !== "undefined" ? qvCable : null
    // qmllint enable unqualified
    readonly property var vm: root.backend && root.backend.virtualMic ? root.backend.virtualMic : ({})
    readonly property var vb: root.backend && root.backend.vbCable ? root.backend.vbCable : ({})
    readonly property string mode: String(root.vm.mode || "none")
    readonly property bool ok: root.vm.ok === true
    // The cable card shows itself on the same rule: no VB-CABLE yet, or a setup to report.
    readonly property bool cardShown: root.vb.present !== true || (root.cable !== null && String(root.cable.state) !== "")
    readonly property var choices: Theme.virtualMicChoices(root.vm, root.vb,
                                                           root.backend ? root.backend.cableOutputs : [],
                                                           (id) => root.backend ? root.backend.suggestRecord(id) : "")

    function pick(id) {
        if (!root.backend)
            return
        root.backend.setVirtualMic(id, id === "" ? "" : root.backend.suggestRecord(id))
    }

    width: parent ? parent.width : 400
    spacing: 12

    Section {
        title: "ВИРТУАЛЬНЫЙ МИКРОФОН"

        CableCard {
            width: parent.width
        }

        Item {
            objectName: "useVbCable"
            visible: root.vb.present === true && root.vb.inUse !== true && root.mode !== "driver"
            width: parent.width
            height: Math.max(useText.implicitHeight, useButton.height)

            Text {
                id: useText

                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - useButton.width - 12
                text: "VB-CABLE установлен в Windows — его можно сделать виртуальным микрофоном одной кнопкой."
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.family: Theme.sans
                font.pixelSize: 12
                color: Theme.text3
            }

            Btn {
                id: useButton

                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                bold: true
                text: "Использовать VB-CABLE"
                onClicked: root.backend.setVirtualMic(String(root.vb.renderId), String(root.vb.recordId))
            }
        }

        Row {
            objectName: "virtualMicStatus"
            visible: !(root.cardShown && root.mode === "none")
            width: parent.width
            spacing: 8

            Icon {
                anchors.verticalCenter: parent.verticalCenter
                name: root.ok ? "check" : "warning"
                size: 16
                stroke: 2
                color: root.ok ? Theme.green : root.mode === "none" ? Theme.amber : Theme.red
            }

            Text {
                objectName: "virtualMicStatusText"
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 24
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                font.family: Theme.sans
                font.pixelSize: 13
                color: root.ok ? Theme.text : root.mode === "none" ? Theme.amber : Theme.redText
                text: root.mode === "driver"
                      ? (root.ok ? "Драйвер QUORVEL: приложения выбирают микрофоном «QUORVEL Mic»"
                                 : "«QUORVEL Mic» сейчас недоступен")
                      : root.mode === "cable"
                        ? (root.ok ? "Голос с изменением идёт в программы через «" + String(root.vm.recordName || "") + "» — в программах микрофон «По умолчанию»"
                                   : "Кабель «" + String(root.vm.renderName || "") + "» не найден — отключён или удалён")
                        : "Не настроен: приложения слышат сам микрофон — без обработки и изменения голоса"
            }
        }

        SettingRow {
            label: "Виртуальный микрофон"
            hint: root.mode === "cable" && String(root.vm.recordName || "") !== ""
                  ? "Программы слышат «" + root.vm.recordName + "»"
                  : "Кабель, через который голос идёт в программы"

            Combo {
                objectName: "virtualMicChoice"
                width: 300
                items: root.choices
                currentId: root.mode === "cable" ? String(root.vm.renderId || "") : ""
                onPicked: (id) => root.pick(id)
            }
        }

        Note {
            text: (root.vm.driver ? "Вместо драйвера можно выбрать виртуальный кабель: "
                                  : "Вместо драйвера QUORVEL (ему нужна подпись Microsoft) используется готовый виртуальный кабель: ")
                  + "VB-CABLE (кнопка выше ставит его сам) или вход Voicemeeter (AUX, VAIO3) — тогда в Voicemeeter направьте этот вход только на свою шину B, не на A (AUX → B2), иначе Voicemeeter повторит голос в наушники. "
                  + "Пока QUORVEL работает и у микрофона включено «Все приложения», выход кабеля — микрофон Windows по умолчанию; при «Выход» прежний возвращается. "
                  + "Свой голос в наушниках QUORVEL даёт только кнопкой с наушниками у микрофона."
        }
    }

    Section {
        title: "ИЗМЕНЕНИЕ ГОЛОСА"

        VoicePanel {
            width: parent.width
        }
    }
}
