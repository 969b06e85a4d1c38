import QtQuick
import QtQuick.Controls.Basic
import "."

// The channel fader, −60 to +12 dB in 0.5 dB steps; a double click resets it to 0 dB.
// See SliderValue for what it sends.
Slider {
    id: root

    property real modelValue: 0
    property color accent: Theme.amber
    // The groove's top and height, for the scale beside it.
    readonly property real grooveTop: root.topPadding
    readonly property real grooveHeight: root.availableHeight

    signal userMoved(real v)
    signal userCommitted(real v)

    orientation: Qt.Vertical
    from: -60
    to: 12
    stepSize: 0.5
    snapMode: Slider.SnapAlways
    implicitWidth: 32
    implicitHeight: 200
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
            color: Theme.well
        }

        Rectangle {
            x: (root.width - width) / 2
            y: root.topPadding + root.visualPosition * root.availableHeight
            width: 4
            height: (1 - root.visualPosition) * root.availableHeight
            radius: 2
            color: root.accent
            opacity: 0.85
        }

        // 0 dB sits 12/72 of the way down the −60 … +12 groove.
        Rectangle {
            x: (root.width - 4) / 2 - 6
            y: root.topPadding + 12 / 72 * root.availableHeight
            width: 16
            height: 1
            color: Theme.mark
        }
    }

    // A point on the groove, so the handle's centre travels the whole groove (see HSlider).
    handle: Item {
        x: root.width / 2
        y: root.topPadding + root.visualPosition * root.availableHeight
        width: 0
        height: 0

        Rectangle {
            x: -width / 2
            y: -height / 2
            width: 28
            height: 14
            radius: 4
            color: root.pressed ? Theme.white : Theme.text
            border.width: root.activeFocus ? 2 : 1
            border.color: root.activeFocus ? Theme.amber : Theme.handleEdge

            Rectangle {
                anchors.centerIn: parent
                width: 18
                height: 2
                color: root.accent
            }
        }
    }
}
