import QtQuick
import "."

// Shown when the voice cable has become the Windows default output and the engine knew no
// earlier default to put back: every program would then play into the microphone, so the
// engine stops taking all sounds and asks where Windows should play.
Rectangle {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property string loopName: root.backend ? root.backend.outputLoop : ""
    readonly property bool shown: root.loopName !== ""
    // Where Windows may play: anything but the cable itself and our own endpoints.
    readonly property var offered: root.backend ? root.choicesFrom(root.backend.renderEndpoints) : []
    // What the drop-down shows. Every engine state message brings a new endpoint list; only a
    // list that really differs replaces this one, so an open drop-down does not reset under the
    // mouse.
    property var choices: []
    // The pick is the user's, not the model's: it stays here until it is applied, and is dropped
    // when its device leaves the list.
    property string picked: ""

    function sameChoices(a, b) {
        if (a.length !== b.length)
            return false
        for (let i = 0; i < a.length; ++i) {
            if (a[i].id !== b[i].id || a[i].name !== b[i].name)
                return false
        }
        return true
    }

    function offers(id) {
        return id !== "" && root.choices.some(c => c.id === id)
    }

    onOfferedChanged: {
        if (!root.sameChoices(root.choices, root.offered))
            root.choices = root.offered
    }
    onChoicesChanged: {
        if (!root.offers(root.picked))
            root.picked = ""
    }
    Component.onCompleted: root.choices = root.offered

    function choicesFrom(endpoints) {
        const out = []
        if (!endpoints)
            return out
        for (let i = 0; i < endpoints.length; ++i) {
            const e = endpoints[i]
            if (!e)
                continue
            const name = String(e.name || "")
            if (name.indexOf("(VB-Audio Virtual Cable)") >= 0 || name.startsWith("QUORVEL"))
                continue
            out.push({ id: String(e.endpointId || ""), name: name })
        }
        return out
    }

    visible: root.shown
    implicitHeight: root.shown ? column.implicitHeight + 24 : 0
    radius: 10
    color: "#2A1A14"
    border.color: Theme.red

    Accessible.role: Accessible.AlertMessage
    Accessible.name: title.text

    Column {
        id: column

        x: 14
        y: 12
        width: root.width - 28
        spacing: 10

        Row {
            width: parent.width
            spacing: 8

            Icon {
                name: "warning"
                size: 18
                stroke: 2
                color: Theme.red
            }

            Txt {
                id: title

                width: parent.width - 26
                bold: true
                wrapMode: Text.Wrap
                text: "Windows выводит весь звук в «" + root.loopName + "» — это кабель с вашим голосом"
            }
        }

        Txt {
            width: parent.width
            font.pixelSize: 12
            color: Theme.text2
            wrapMode: Text.Wrap
            text: "Так делает установщик VB-CABLE. Звук игр и программ уходил бы в микрофон, а голос — вам в наушники, "
                  + "поэтому «Все звуки» сейчас отключены. Выберите, куда Windows выводит звук (как было до установки):"
        }

        Row {
            spacing: 8

            Combo {
                objectName: "loopCombo"
                width: Math.min(360, column.width - applyButton.width - 8)
                placeholder: "Устройство вывода…"
                items: root.choices
                currentId: root.picked
                onPicked: (id) => root.picked = id
            }

            Btn {
                id: applyButton

                objectName: "loopApply"
                text: "Выводить сюда"
                checked: true
                enabled: root.picked !== ""
                onClicked: {
                    if (root.backend && root.offers(root.picked))
                        root.backend.setWindowsDefault(root.picked)
                }
            }
        }
    }
}
