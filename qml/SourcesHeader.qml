pragma ComponentBehavior: Bound
import QtQuick
import "."

// The sources panel's header: the title with the counts on the left, the panel's switches on
// the right. When the switches in words no longer fit beside the title they turn into icon
// buttons instead of wrapping (the decision uses the measured width of the worded form).
SplitRow {
    id: root

    property int channelCount: 0
    property int outputCount: 0

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property bool ready: root.backend ? root.backend.ready === true : false
    readonly property var settings: root.backend && root.backend.settings ? root.backend.settings : ({})
    readonly property bool autoHide: root.settings.autoHideDisconnected === true
    readonly property bool anyExpanded: root.backend ? root.backend.anyExpanded === true : false
    readonly property string density: root.settings.density === "compact" ? "compact" : "full"
    readonly property string collapseText: root.anyExpanded ? "Свернуть все" : "Развернуть все"
    readonly property real fullWidth: hideCheck.implicitWidth + 8 + collapseButton.implicitWidth + 8
                                      + densitySwitch.implicitWidth
    readonly property real iconsWidth: 44 + 8 + 44 + 8 + densityWell.width
    readonly property bool iconForm: title.implicitWidth + root.gapX + root.fullWidth > root.width

    function setAutoHide(on) {
        if (root.backend)
            root.backend.setSettings({ autoHideDisconnected: on })
    }

    function toggleCollapsed() {
        if (root.backend)
            root.backend.setAllCollapsed(root.anyExpanded)
    }

    function pickDensity(value) {
        if (root.backend && value !== root.density)
            root.backend.setSettings({ density: value })
    }

    gapX: 14
    rightNatural: root.iconForm ? root.iconsWidth : root.fullWidth

    leftItem: Row {
        id: title

        spacing: 12

        Text {
            textFormat: Text.PlainText
            anchors.verticalCenter: parent.verticalCenter
            text: "ИСТОЧНИКИ"
            font.family: Theme.sans
            font.pixelSize: 13
            font.weight: Font.DemiBold
            font.letterSpacing: 0.8
            color: Theme.text3
        }

        Text {
            textFormat: Text.PlainText
            objectName: "countsText"
            anchors.verticalCenter: parent.verticalCenter
            visible: root.ready
            text: "микрофонов: " + root.channelCount + " · устройств: " + root.outputCount
            font.family: Theme.sans
            font.pixelSize: 12
            color: Theme.text2
        }
    }

    rightItem: Item {
        width: root.iconForm ? root.iconsWidth : root.fullWidth
        height: 40

        Row {
            objectName: "fullControls"
            visible: !root.iconForm
            spacing: 8

            Check {
                id: hideCheck

                text: "Скрывать неподключённые"
                checked: root.autoHide
                onToggled: (on) => root.setAutoHide(on)
            }

            Btn {
                id: collapseButton

                text: root.collapseText
                enabled: root.channelCount > 0
                onClicked: root.toggleCollapsed()
            }

            Segmented {
                id: densitySwitch

                anchors.verticalCenter: parent.verticalCenter
                options: [{ value: "full", label: "Полный" }, { value: "compact", label: "Компактный" }]
                value: root.density
                onPicked: (value) => root.pickDensity(String(value))
            }
        }

        Row {
            objectName: "iconControls"
            visible: root.iconForm
            spacing: 8

            Btn {
                width: 44
                padding: 0
                icon: "hide"
                checked: root.autoHide
                tip: "Скрывать неподключённые: " + (root.autoHide ? "вкл." : "выкл.")
                onClicked: root.setAutoHide(!root.autoHide)
            }

            Btn {
                width: 44
                padding: 0
                icon: root.anyExpanded ? "collapse" : "expand"
                enabled: root.channelCount > 0
                tip: root.collapseText
                onClicked: root.toggleCollapsed()
            }

            Rectangle {
                id: densityWell

                anchors.verticalCenter: parent.verticalCenter
                width: 3 + 36 + 2 + 36 + 3
                height: 40
                radius: 9
                color: Theme.control
                border.color: Theme.border

                Row {
                    x: 3
                    y: 3
                    spacing: 2

                    Repeater {
                        model: [{ value: "full", icon: "densityFull", tip: "Полный вид" },
                                { value: "compact", icon: "densityCompact", tip: "Компактный вид" }]

                        delegate: Btn {
                            id: densityButton

                            required property var modelData
                            readonly property bool selected: densityButton.modelData.value === root.density

                            width: 36
                            height: 34
                            radius: 6
                            padding: 0
                            icon: String(densityButton.modelData.icon)
                            iconSize: 16
                            iconColor: densityButton.selected ? Theme.text : Theme.text4
                            flat: !densityButton.selected
                            baseColor: Theme.selectedFill
                            borderColor: Theme.selectedFill
                            tip: String(densityButton.modelData.tip)
                            onClicked: root.pickDensity(String(densityButton.modelData.value))
                        }
                    }
                }
            }
        }
    }
}
