import QtQuick
import QtQuick.Controls.Basic
import "."

// One processing line of a strip: label, slider and value text.
Item {
    id: root

    property string label
    property real value: 0
    property real from: 0
    property real to: 10
    property real step: 0.5
    property bool centered: false
    property string text
    property string tip
    readonly property alias slider: slider

    signal movedTo(real v)
    signal committed(real v)

    implicitWidth: 200
    implicitHeight: 24

    Text {
        textFormat: Text.PlainText
        width: 40
        height: root.height
        text: root.label
        font.family: Theme.sans
        font.pixelSize: 11
        color: Theme.text2
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    HSlider {
        id: slider

        x: 48
        width: Math.max(0, root.width - 48 - 44)
        height: root.height
        accent: Theme.text3
        centered: root.centered
        from: root.from
        to: root.to
        stepSize: root.step
        snapMode: Slider.SnapAlways
        modelValue: root.value
        Accessible.name: root.label
        onUserMoved: (v) => root.movedTo(v)
        onUserCommitted: (v) => root.committed(v)
    }

    Text {
        textFormat: Text.PlainText
        x: root.width - 36
        width: 36
        height: root.height
        text: root.text
        font.family: Theme.mono
        font.pixelSize: 11
        color: Theme.text3
        horizontalAlignment: Text.AlignRight
        verticalAlignment: Text.AlignVCenter
    }

    HoverHandler {
        id: hover
    }

    Tip {
        text: root.tip
        visible: hover.hovered && !slider.pressed && root.tip !== ""
    }
}
