import QtQuick
import QtQuick.Controls.Basic
import "."

// The value handling shared by HSlider, Fader and BandSlider.
//  - Every user move is passed on (moved) for the owner to send as a live change.
//  - A press less than 350 ms after the previous one resets: committed(resetValue) at once, and
//    its release commits nothing.
//  - Any other release commits the final value. Wheel steps have no release, so each one is
//    final on its own.
// Arrow keys press the slider too (Qt's Slider marks itself pressed while a key is down); they
// must not count as the clicks of a double press, so the owner reports them via keyPressed().
// The owner keeps its value bound to the model except while pressed.
QtObject {
    id: root

    property Slider slider
    property real resetValue: 0
    property bool byKey: false
    property bool resetting: false
    property real lastPressMs: -100000
    property real grabbedValue: 0

    readonly property int doublePressMs: 350

    signal moved(real v)
    signal committed(real v)

    function keyPressed(event) {
        const k = event.key
        if (k === Qt.Key_Left || k === Qt.Key_Right || k === Qt.Key_Up || k === Qt.Key_Down)
            root.byKey = true
        event.accepted = false
    }

    function keyReleased(event) {
        root.byKey = false
        event.accepted = false
    }

    function pressedChanged() {
        const s = root.slider
        if (s.pressed) {
            root.grabbedValue = s.value
            if (root.byKey)
                return
            const now = Date.now()
            if (now - root.lastPressMs < root.doublePressMs) {
                root.resetting = true
                root.committed(root.resetValue)
            }
            root.lastPressMs = now
            return
        }
        if (root.resetting)
            root.resetting = false
        else
            root.committed(root.grabbedValue)
    }

    function userMoved() {
        const s = root.slider
        root.grabbedValue = s.value
        root.moved(s.value)
        if (!s.pressed)
            root.committed(s.value)
    }

    property Connections watch: Connections {
        target: root.slider

        function onPressedChanged() {
            root.pressedChanged()
        }

        function onMoved() {
            root.userMoved()
        }
    }
}
