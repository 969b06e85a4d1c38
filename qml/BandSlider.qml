import QtQuick
import QtQuick.Controls.Basic
import "."

// One equaliser band, −12 to +12 dB in 0.5 dB steps; a double click resets it to 0 dB.
// See SliderValue for what it sends.
Slider {
    id: root

    property real modelValue: 0
    property color accent: Theme.amber
    readonly property real middleY: root.topPadding + root.availableHeight / 2
    readonly property real handleY: root.topPadding + root.visualPosition * root.availableHeight

    signal userMoved(real v)
    signal userCommitted(real v)

    orientation: Qt.Vertical
    from: -12
    to: 12
    stepSize: 0.5
    snapMode: Slider.SnapAlways
    implicitWidth: 28
    implicitHeight: 140
    topPadding: 7
    bottomPadding: 7
    leftPadding: 0
    rightPadding: 0
    wheelEnabled: true
    focusPolicy: Qt.StrongFocus

    Binding {
        target: root
        property: "value"
        value: root.modelValue
        when: !root.pressed
        restoreMode: Binding.RestoreNone
    }

    SliderValue {
        id: logic

        slider: root
        resetValue: 0
        onMoved: (v) => root.userMoved(v)
        onCommitted: (v) => root.userCommitted(v)
    }

    Keys.onPressed: (event) => logic.keyPressed(event)
    Keys.onReleased: (event) => logic.keyReleased(event)

    background: Item {
        x: 0
        y: 0
        width: root.width
        height: root.height

        Rectangle {
            x: (root.width - width) / 2
            y: root.topPadding
            width: 4
            height: root.availableHeight
            radius: 2
            color: Theme.bandGroove
        }

        Rectangle {
            x: (root.width - 4) / 2 - 5
            y: Math.round(root.middleY)
            width: 14
            height: 1
            color: Theme.bandMark
        }

        Rectangle {
            x: (root.width - width) / 2
            y: Math.min(root.middleY, root.handleY)
            width: 4
            height: Math.abs(root.handleY - root.middleY)
            radius: 2
            color: root.accent
            opacity: root.enabled ? 0.9 : 0.35
        }
    }

    // A point on the groove, so the handle's centre travels the whole groove (see HSlider).
    handle: Item {
        x: root.width / 2
        y: root.handleY
        width: 0
        height: 0

        Rectangle {
            x: -width / 2
            y: -height / 2
            width: 16
            height: 16
            radius: 8
            color: root.pressed ? Theme.white : root.enabled ? Theme.text : Theme.outlineHover
            border.width: root.activeFocus ? 2 : 0
            border.color: Theme.amber
        }
    }
}
