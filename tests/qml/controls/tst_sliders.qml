import QtQuick
import QtTest
import "qrc:/qml"

// The value handling shared by the three sliders: live moves, commits on release, the double
// press reset, the model binding suspended while pressed, keys and wheel.
TestCase {
    id: testCase

    name: "Sliders"
    when: windowShown
    visible: true
    width: 400
    height: 400

    // Each slider stands in for a strip: moves go to the "model" like the Backend's local
    // mirror does, so the value comes back through modelValue.
    Component {
        id: faderComponent

        Fader {
            x: 20
            y: 20
            onUserMoved: (v) => { modelValue = v }
            onUserCommitted: (v) => { modelValue = v }
        }
    }

    // A fader whose model nobody updates.
    Component {
        id: bareFaderComponent

        Fader {
            x: 20
            y: 20
        }
    }

    Component {
        id: bandComponent

        BandSlider {
            x: 20
            y: 20
            onUserMoved: (v) => { modelValue = v }
            onUserCommitted: (v) => { modelValue = v }
        }
    }

    Component {
        id: hsliderComponent

        HSlider {
            x: 20
            y: 20
            width: 214
            from: -100
            to: 100
            stepSize: 5
            resetValue: 0
            centered: true
        }
    }

    Component {
        id: spyComponent

        SignalSpy {}
    }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    // The y of a value's position on a vertical slider's groove.
    function yOf(slider, v) {
        return slider.topPadding + (slider.to - v) / (slider.to - slider.from) * slider.availableHeight
    }

    function xOf(slider, v) {
        return slider.leftPadding + (v - slider.from) / (slider.to - slider.from) * slider.availableWidth
    }

    // Press on the handle, drag it to `toY` in steps, release.
    function dragVertical(slider, toY) {
        const x = slider.width / 2
        const fromY = slider.handle.y
        mousePress(slider, x, fromY)
        const steps = 4
        for (let i = 1; i <= steps; ++i)
            mouseMove(slider, x, fromY + (toY - fromY) * i / steps)
        mouseRelease(slider, x, toY)
    }

    function init() {
        failOnWarning(/.?/)
    }

    function test_fader_maps_the_groove_data() {
        return [
            { tag: "top is +12", v: 12 },
            { tag: "bottom is -60", v: -60 },
            { tag: "0 dB mark", v: 0 },
            { tag: "-24", v: -24 }
        ]
    }

    // Live moves on the way (each on a 0.5 dB step), one commit of the final value.
    function test_fader_maps_the_groove(data) {
        const f = createTemporaryObject(faderComponent, testCase, { modelValue: -30 })
        const moves = spyOn(f, "userMoved")
        const commits = spyOn(f, "userCommitted")
        dragVertical(f, yOf(f, data.v))
        verify(moves.count >= 2)
        for (let i = 0; i < moves.count; ++i)
            compare(moves.signalArguments[i][0] * 2 % 1, 0)
        compare(commits.count, 1)
        compare(commits.signalArguments[0][0], data.v)
        compare(f.value, data.v)
    }

    function test_double_press_resets_once() {
        const f = createTemporaryObject(faderComponent, testCase, { modelValue: -30 })
        const commits = spyOn(f, "userCommitted")
        dragVertical(f, yOf(f, -20))
        compare(commits.count, 1)
        compare(commits.signalArguments[0][0], -20)

        // Second press right away: the reset goes out at the press ...
        mousePress(f, f.width / 2, f.handle.y)
        compare(commits.count, 2)
        compare(commits.signalArguments[1][0], 0)
        // ... and its release commits nothing.
        mouseRelease(f, f.width / 2, f.handle.y)
        compare(commits.count, 2)
    }

    function test_presses_apart_commit_each_value() {
        const f = createTemporaryObject(faderComponent, testCase, { modelValue: -30 })
        const commits = spyOn(f, "userCommitted")
        dragVertical(f, yOf(f, -20))
        wait(400)
        dragVertical(f, yOf(f, -10))
        compare(commits.count, 2)
        compare(commits.signalArguments[0][0], -20)
        compare(commits.signalArguments[1][0], -10)
    }

    function test_binding_suspended_while_pressed() {
        const f = createTemporaryObject(bareFaderComponent, testCase, { modelValue: -30 })
        const x = f.width / 2
        const y0 = f.handle.y
        const y1 = yOf(f, -6)
        mousePress(f, x, y0)
        mouseMove(f, x, (y0 + y1) / 2)
        mouseMove(f, x, y1)
        compare(f.value, -6)
        // The model moves under the pressed fader (another client, a scene): the hand wins.
        f.modelValue = 3
        compare(f.value, -6)
        mouseRelease(f, x, y1)
        // Released: the model takes over again, now and on later changes.
        compare(f.value, 3)
        f.modelValue = -45
        compare(f.value, -45)
    }

    function test_arrow_keys_are_not_double_presses() {
        const f = createTemporaryObject(faderComponent, testCase, { modelValue: -30 })
        const commits = spyOn(f, "userCommitted")
        f.forceActiveFocus()
        keyClick(Qt.Key_Up)
        keyClick(Qt.Key_Up)
        keyClick(Qt.Key_Up)
        compare(f.value, -28.5)
        verify(commits.count >= 1)
        compare(commits.signalArguments[commits.count - 1][0], -28.5)
        for (let i = 0; i < commits.count; ++i)
            verify(commits.signalArguments[i][0] !== 0, "a key press reset the fader")
    }

    function test_wheel_step_is_final() {
        const f = createTemporaryObject(faderComponent, testCase, { modelValue: -30 })
        const moves = spyOn(f, "userMoved")
        const commits = spyOn(f, "userCommitted")
        mouseWheel(f, f.width / 2, f.height / 2, 0, 120)
        compare(moves.count, 1)
        compare(moves.signalArguments[0][0], -29.5)
        compare(commits.count, 1)
        compare(commits.signalArguments[0][0], -29.5)
    }

    function test_band_slider_range_and_reset() {
        const b = createTemporaryObject(bandComponent, testCase, { modelValue: 4 })
        const commits = spyOn(b, "userCommitted")
        dragVertical(b, yOf(b, 12))
        compare(commits.signalArguments[0][0], 12)
        mousePress(b, b.width / 2, b.handle.y)
        mouseRelease(b, b.width / 2, b.handle.y)
        compare(commits.count, 2)
        compare(commits.signalArguments[1][0], 0)
        compare(b.value, 0)
    }

    function test_hslider_reset_uses_reset_value() {
        const s = createTemporaryObject(hsliderComponent, testCase, { modelValue: 50, resetValue: 25 })
        const commits = spyOn(s, "userCommitted")
        const y = s.height / 2
        mousePress(s, s.handle.x, y)
        mouseRelease(s, s.handle.x, y)
        mousePress(s, s.handle.x, y)
        mouseRelease(s, s.handle.x, y)
        compare(commits.count, 2)
        compare(commits.signalArguments[0][0], 50)
        compare(commits.signalArguments[1][0], 25)
    }
}
