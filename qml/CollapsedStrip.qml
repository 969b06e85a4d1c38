pragma ComponentBehavior: Bound
import QtQuick
import "."

// A strip folded into a 72 px column: expand button, the name written upwards, the route dots
// of a channel, the meter, the gain and a mute button. `ch` is a channel row, or a device row
// when `device` is set. The name has a fixed length so a long name never makes the row taller.
Rectangle {
    id: root

    property var ch: null
    property bool device: false

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property string rowId: String(root.field("id", ""))
    readonly property string name: String(root.field("name", ""))
    readonly property bool mute: root.field("mute", false) === true
    readonly property bool bad: root.device && root.field("enabled", true) === true
                                && root.field("ok", true) !== true
    readonly property bool blink: root.backend ? root.backend.blink === true : false
    readonly property var chips: root.device ? [] : root.field("chips", [])
    readonly property real dotsHeight: root.chips.length > 0 ? dots.implicitHeight : 0
    readonly property real nameLength: 120

    function field(key, fallback) {
        const c = root.ch
        if (!c)
            return fallback
        const v = c[key]
        return v === undefined || v === null ? fallback : v
    }

    function send(fields) {
        if (!root.backend || root.rowId === "")
            return
        if (root.device)
            root.backend.setDevice(root.rowId, fields)
        else
            root.backend.setSource(root.rowId, fields)
    }

    function dotColor(chip) {
        if (!chip)
            return Theme.dot
        if (chip.ok === false)
            return root.blink ? Theme.red : Theme.redDim
        if (chip.on === true)
            return chip.virt === true ? Theme.blue : Theme.amber
        return Theme.dot
    }

    width: 72
    implicitWidth: 72
    implicitHeight: 10 + 36 + 10 + root.nameLength + 10 + root.dotsHeight + 10 + 80 + 10 + 16 + 10 + 40 + 10
    radius: 10
    color: Theme.card
    border.color: !root.bad ? Theme.border : root.blink ? Theme.red : Theme.redDim

    Accessible.role: Accessible.Grouping
    Accessible.name: root.name + ", свёрнут"

    Column {
        id: upper

        x: 6
        y: 10
        width: root.width - 12
        spacing: 10

        Btn {
            objectName: "expandButton"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 44
            height: 36
            radius: 6
            padding: 0
            icon: "expand"
            iconSize: 16
            baseColor: Theme.raised
            iconColor: Theme.text3
            tip: "Развернуть: " + root.name
            onClicked: root.send({ ui: { collapsed: false } })
        }

        Item {
            width: parent.width
            height: root.nameLength

            Text {
                textFormat: Text.PlainText
                id: nameText

                objectName: "nameText"
                anchors.centerIn: parent
                width: root.nameLength
                rotation: -90
                text: root.name
                font.family: Theme.sans
                font.pixelSize: 13
                font.weight: Font.DemiBold
                color: Theme.text
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideRight
            }

            HoverHandler {
                id: nameHover
            }

            Tip {
                text: root.name
                visible: nameHover.hovered && nameText.truncated
            }
        }

        Flow {
            id: dots

            objectName: "dots"
            width: parent.width
            visible: root.chips.length > 0
            spacing: 4

            Repeater {
                model: root.chips

                delegate: Rectangle {
                    id: dot

                    required property var modelData

                    width: 8
                    height: 8
                    radius: 4
                    color: root.dotColor(dot.modelData)
                }
            }
        }
    }

    Meter {
        objectName: "meter"
        anchors.horizontalCenter: parent.horizontalCenter
        y: upper.y + upper.height + 10
        height: Math.max(80, lower.y - 10 - y)
        sourceId: root.rowId
        muted: root.mute || root.bad
    }

    Column {
        id: lower

        x: 6
        width: root.width - 12
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 10
        spacing: 10

        Text {
            textFormat: Text.PlainText
            objectName: "gainText"
            width: parent.width
            height: 16
            text: Theme.db(root.field("gainDb", 0))
            font.family: Theme.mono
            font.pixelSize: 11
            color: Theme.text3
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        StripToggle {
            objectName: "muteButton"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 44
            text: "M"
            accent: Theme.red
            checkedText: Theme.textOnRed
            checked: root.mute
            tip: "Mute: " + root.name
            accessibleName: "Mute: " + root.name
            onClicked: root.send({ mute: !root.mute })
        }
    }
}
