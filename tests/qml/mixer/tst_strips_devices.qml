import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// Output strips in the panel against the real Backend: the failing state, the texts of the
// plays box and the state line, the equaliser box and the narrow form of an output.
MixerCase {
    id: testCase

    name: "StripsDevices"

    Component {
        id: panelComponent

        SourcesPanel {
            width: 1200
            fxRows: 2
        }
    }

    function load() {
        const doc = {
            settings: { density: "full" },
            sources: [{ id: "app:discord.exe", kind: "app", name: "Discord" },
                      { id: "app:game.exe", kind: "app", name: "Игра" }],
            devices: [
                { id: "out:hp", kind: "physical", name: "Наушники", endpointId: "hp", mode: "all",
                  endpointName: "Наушники (HyperX)", eq: { preset: "", bands: [6, 6, 4, 0, 0, 0, 0, 0, 0, 0] } },
                { id: "out:spk", kind: "physical", name: "Колонки", endpointId: "spk", mode: "apps",
                  endpointName: "Колонки", sources: ["app:discord.exe", "app:game.exe"] },
                { id: "out:tv", kind: "physical", name: "Телевизор", endpointId: "tv", mode: "apps" },
                { id: "out:off", kind: "physical", name: "Выключено", endpointId: "off", state: "disabled" }
            ]
        }
        verify(testCase.rig.load(JSON.stringify(doc)))
        const panel = createTemporaryObject(panelComponent, testCase)
        waitForRendering(panel)
        testCase.rig.clearSent()
        return panel
    }

    function state(devices) {
        testCase.rig.deliver(JSON.stringify({ event: "state", state: { devices: devices } }))
    }

    function test_texts_data() {
        return [
            { tag: "all sounds", id: "out:hp", plays: "Все звуки", active: true, state: "Наушники (HyperX)" },
            { tag: "chosen apps", id: "out:spk", plays: "Discord, Игра", active: true, state: "Наушники или колонки" },
            { tag: "nothing", id: "out:tv", plays: "Ничего — выбрать", active: false, state: "Наушники или колонки" }
        ]
    }

    function test_texts(data) {
        const panel = load()
        const s = strip(panel, data.id)
        const box = H.byName(s, "playsBox")
        compare(box.text, data.plays)
        compare(box.active, data.active)
        compare(H.byName(s, "stateText").text, data.state)
        verify(!s.bad)
    }

    function test_unopenable_output_blinks_and_says_why() {
        const panel = load()
        state([{ id: "out:hp", available: true }, { id: "out:spk", available: false },
               { id: "out:tv", available: true, error: "DEVICE_IN_USE" }])
        const spk = strip(panel, "out:spk")
        const tv = strip(panel, "out:tv")
        verify(spk.bad)
        compare(H.byName(spk, "stateText").text, "Недоступно — ждём подключения")
        verify(H.byName(tv, "stateText").text.startsWith("Устройство занято другой программой"))
        verify(H.byName(tv, "stateText").lineCount <= 2)
        // The border follows the Backend's blink; the meter greys out.
        tryVerify(() => Qt.colorEqual(spk.border.color, Theme.red))
        tryVerify(() => Qt.colorEqual(spk.border.color, Theme.redDim))
        verify(H.find(spk, k => k.sourceId === "out:spk" && k.muted === true) !== null)
        // A switched-off output is not failing, and neither is a healthy one.
        verify(!strip(panel, "out:off").bad)
        verify(!strip(panel, "out:hp").bad)

        // Folded, it keeps blinking.
        mouseClick(H.byName(spk, "collapseButton"))
        compare(lastSent("setDevice").ui.collapsed, true)
        const narrow = strip(panel, "out:spk")
        tryVerify(() => Qt.colorEqual(narrow.border.color, Theme.red))
        tryVerify(() => Qt.colorEqual(narrow.border.color, Theme.redDim))
    }

    function test_equaliser_curve_only_while_shown() {
        const panel = load()
        const hp = strip(panel, "out:hp")
        const curve = H.byName(hp, "eqCurve")
        const shown = curve.points.length
        verify(shown > 0)
        // A shaped curve is filled, a flat one is only a line.
        verify(curve.fill)
        verify(!H.byName(strip(panel, "out:spk"), "eqCurve").fill)

        qv.setSettings({ density: "compact" })
        verify(!H.byName(hp, "eqBox").visible)
        compare(curve.points.length, 0)
        qv.setSettings({ density: "full" })
        compare(curve.points.length, shown)

        const spy = spyOn(panel, "eqRequested")
        mouseClick(H.byName(hp, "eqBox"))
        mouseClick(H.byName(hp, "leftButton"))
        compare(spy.count, 2)
        compare(spy.signalArguments[0][0], "out:hp")
    }

    function test_output_controls_send_to_the_device() {
        const panel = load()
        const tv = strip(panel, "out:tv")
        mouseClick(H.byName(tv, "muteButton"))
        compare(lastSent("setDevice").mute, true)

        const fader = H.byName(tv, "faderBlock").fader
        fader.forceActiveFocus()
        mouseWheel(fader, fader.width / 2, fader.height / 2, 0, -120)
        tryVerify(() => lastSent("setDevice").gainDb === -0.5)

        mouseClick(H.byName(tv, "removeButton"))
        mouseClick(H.byText(H.byName(tv, "removeOverlay"), "Убрать"))
        compare(lastSent("removeDevice").id, "out:tv")
        compare(strip(panel, "out:tv"), null)
        compare(panel.outputCount, 3)
    }

    function test_long_name_never_makes_the_narrow_strip_taller() {
        const panel = load()
        mouseClick(H.byName(strip(panel, "out:tv"), "collapseButton"))
        const narrow = strip(panel, "out:tv")
        const height = narrow.implicitHeight
        const name = H.byName(narrow, "nameText")
        verify(!name.truncated)
        qv.setDevice("out:tv", { name: "Очень длинное имя устройства вывода звука в гостиной" })
        compare(name.text, "Очень длинное имя устройства вывода звука в гостиной")
        verify(name.truncated)
        compare(narrow.implicitHeight, height)
        compare(narrow.Accessible.name, name.text + ", свёрнут")
        mouseClick(H.byName(narrow, "muteButton"))
        compare(lastSent("setDevice").id, "out:tv")
        compare(lastSent("setDevice").mute, true)
    }
}
