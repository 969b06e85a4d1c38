import QtQuick
import QtQuick.Controls.Basic
import "."

// A horizontal slider showing a model value; see SliderValue for what it sends.
Slider {
    id: root

    property real modelValue: 0
    property real resetValue: 0
    property color accent: Theme.text3
    property bool centered: false
    // Where the fill starts: the position of 0 when centred, else the left end.
    readonly property real zeroPosition: root.centered && root.to !== root.from
                                         ? Math.max(0, Math.min(1, (0 - root.from) / (root.to - root.from))) : 0

    signal userMoved(real v)
    signal userCommitted(real v)

    implicitWidth: 120
    implicitHeight: 24
    leftPadding: 7
    rightPadding: 7
    topPadding: 0
    bottomPadding: 0
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
        resetValue: root.resetValue
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
            x: root.leftPadding
            y: (root.height - height) / 2
            width: root.availableWidth
            height: 4
            radius: 2
            color: Theme.well
        }

        Rectangle {
            x: root.leftPadding + Math.min(root.zeroPosition, root.visualPosition) * root.availableWidth
            y: (root.height - height) / 2
            width: Math.abs(root.visualPosition - root.zeroPosition) * root.availableWidth
            height: 4
            radius: 2
            color: root.accent
            opacity: root.enabled ? 0.9 : 0.35
        }
    }

    // The handle item is a point on the groove: Slider maps the mouse over its available width
    // minus the handle's size, and the handle's centre must reach both ends of the groove.
    handle: Item {
        x: root.leftPadding + root.visualPosition * root.availableWidth
        y: root.height / 2
        width: 0
        height: 0

        Rectangle {
            x: -width / 2
            y: -height / 2
            width: 14
            height: 14
            radius: 7
            color: root.pressed ? Theme.white : root.enabled ? Theme.text : Theme.outlineHover
            border.width: root.activeFocus ? 2 : 0
            border.color: Theme.amber
        }
    }
}
