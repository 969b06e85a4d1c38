import QtQuick
import QtTest
import "qrc:/qml"

// The value handling shared by the three sliders: live moves, commits on release, the double
// press reset, the model binding suspended while pressed, keys and wheel.
ControlCase {
    id: testCase

    name: "Sliders"
    width: 400
    height: 400

    // The fader and the band slider stand in for a strip: moves go to the "model" like the
    // Backend's local mirror does, so the value comes back through modelValue. The bare fader's
    // model nobody updates.
    Component {
        id: faderComponent
        Fader { x: 20; y: 20; onUserMoved: (v) => { modelValue = v }; onUserCommitted: (v) => { modelValue = v } }
    }
    Component { id: bareFaderComponent; Fader { x: 20; y: 20 } }
    Component {
        id: bandComponent
        BandSlider { x: 20; y: 20; onUserMoved: (v) => { modelValue = v }; onUserCommitted: (v) => { modelValue = v } }
    }
    Component {
        id: hsliderComponent
        HSlider { x: 20; y: 20; width: 214; from: -100; to: 100; stepSize: 5; resetValue: 0; centered: true }
    }

    // The y of a value's position on a vertical slider's groove.
    function yOf(slider, v) {
        return slider.topPadding + (slider.to - v) / (slider.to - slider.from) * slider.availableHeight
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

    function test_fader_maps_the_groove_data() {
        return [
            { tag: "top is +12", v: 12 },
            { tag: "bottom is -60", v: -60 },
            { tag: "0 dB mark", v: 0 }
        ]
    }

    // Live moves on the way (each on a 0.5 dB step), one commit of the final value.
    function test_fader_maps_the_groove(data) {
        const f = createTemporaryObject(faderComponent, testCase, { modelValue: -30 })
        const moves = spyOn(f, "userMoved")
        const commits = spyOn(f, "userCommitted")
        dragVertical(f, yOf(f, data.v))
        compare(moves.count, 4) // one per step of the drag
        for (let i = 0; i < moves.count; ++i)
            compare(moves.signalArguments[i][0] * 2 % 1, 0)
        compare(commits.count, 1)
        compare(commits.signalArguments[0][0], data.v)
        compare(f.value, data.v)
    }

    // A second press right away resets: the reset value goes out at the press and its release
    // commits nothing more. The fader and the band slider reset to 0, the horizontal slider to
    // its own reset value.
    function test_double_press_resets_data() {
        return [
            { tag: "fader", component: faderComponent, props: { modelValue: -30 }, first: -30, reset: 0 },
            { tag: "band slider", component: bandComponent, props: { modelValue: 4 }, first: 4, reset: 0 },
            { tag: "horizontal", component: hsliderComponent, props: { modelValue: 50, resetValue: 25 },
              first: 50, reset: 25 }
        ]
    }

    function test_double_press_resets(data) {
        const s = createTemporaryObject(data.component, testCase, data.props)
        const commits = spyOn(s, "userCommitted")
        const at = () => s.handle.mapToItem(s, s.handle.width / 2, s.handle.height / 2)
        mousePress(s, at().x, at().y)
        mouseRelease(s, at().x, at().y)
        compare(commits.count, 1)
        compare(commits.signalArguments[0][0], data.first)
        mousePress(s, at().x, at().y)
        compare(commits.count, 2)
        compare(commits.signalArguments[1][0], data.reset)
        mouseRelease(s, at().x, at().y)
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
        compare(commits.count, 3)
        compare(commits.signalArguments[2][0], -28.5)
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
}
