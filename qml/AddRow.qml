import QtQuick
import QtQuick.Controls.Basic
import Quorvel.Native
import "."

// One entry of the add dialog: an input, application or output that can be switched on, with
// an optional volume and level line, and an inline remove confirmation.
Rectangle {
    id: root

    property string icon
    property string appIcon
    property string title
    property string sub
    property bool checked: false
    property bool confirming: false
    property string confirmText
    property real volume: NaN
    property string meterId: ""
    readonly property bool hasVolume: !isNaN(root.volume)
    readonly property real textWidth: Math.max(0, root.width - 58 - 70 - (root.hasVolume ? 190 : 0))

    signal volumeMoved(real db, bool live)
    signal toggled(bool on)
    signal confirmed()
    signal cancelled()

    implicitWidth: 520
    implicitHeight: 56 + (root.confirming ? 52 : 0)
    radius: 8
    color: root.checked ? Theme.card : "transparent"
    border.color: root.checked ? Theme.border : Theme.panelBorder

    RowTile {
        x: 10
        y: 10
        hot: root.checked
        icon: root.icon
        appIcon: root.appIcon
    }

    Column {
        x: 58
        y: 10
        width: root.textWidth

        Text {
            textFormat: Text.PlainText
            width: parent.width
            height: 20
            text: root.title
            font.family: Theme.sans
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: Theme.text
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        Text {
            textFormat: Text.PlainText
            width: parent.width
            height: 16
            text: root.sub
            font.family: Theme.sans
            font.pixelSize: 11
            color: Theme.text2
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }

    // The level line lies in the bottom margin, so it never changes the row's height. Its fill
    // is the native meter item, which reads the store itself.
    Rectangle {
        objectName: "levelLine"
        visible: root.meterId !== ""
        x: 58
        y: 49
        width: Math.min(160, root.textWidth)
        height: 3
        radius: 1.5
        color: Theme.meterTrack

        MeterFill {
            objectName: "levelFill"
            anchors.fill: parent
            horizontal: true
            // qmllint disable unqualified
            store: typeof qv !== "undefined" && qv ? qv.meters : null
            // qmllint enable unqualified
            sourceId: root.meterId
            colour: Theme.green
            peakColour: Theme.peak
        }
    }

    Item {
        visible: root.hasVolume
        x: root.width - 70 - 186
        y: 10
        width: 180
        height: 36

        HSlider {
            id: volumeSlider

            anchors.verticalCenter: parent.verticalCenter
            width: 128
            from: -60
            to: 12
            stepSize: 0.5
            snapMode: Slider.SnapAlways
            resetValue: 0
            accent: Theme.amber
            modelValue: root.hasVolume ? root.volume : 0
            Accessible.name: "Громкость: " + root.title
            onUserMoved: (v) => root.volumeMoved(v, true)
            onUserCommitted: (v) => root.volumeMoved(v, false)
        }

        Text {
            textFormat: Text.PlainText
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: Theme.db(volumeSlider.pressed ? volumeSlider.value : root.volume)
            font.family: Theme.mono
            font.pixelSize: 11
            color: Theme.text3
        }
    }

    Toggle {
        x: root.width - 14 - width
        y: 16
        checked: root.checked
        label: root.title
        onToggled: (on) => root.toggled(on)
    }

    Rectangle {
        visible: root.confirming
        x: 8
        y: 56
        width: root.width - 16
        height: 44
        radius: 6
        color: Theme.confirmFill
        border.color: Theme.confirmBorder

        Text {
            textFormat: Text.PlainText
            x: 10
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, parent.width - 20 - confirmButtons.width - 8)
            text: root.confirmText
            font.family: Theme.sans
            font.pixelSize: 12
            color: Theme.redText
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }

        Row {
            id: confirmButtons

            anchors.right: parent.right
            anchors.rightMargin: 6
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6

            Btn {
                height: 32
                radius: 6
                fontSize: 12
                bold: true
                checked: true
                accent: Theme.red
                textColor: Theme.textOnRed
                text: "Убрать"
                onClicked: root.confirmed()
            }

            Btn {
                height: 32
                radius: 6
                fontSize: 12
                text: "Отмена"
                onClicked: root.cancelled()
            }
        }
    }
}
