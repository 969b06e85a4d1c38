import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// Microphone and output strips in the panel against the real Backend: what their controls send,
// what comes back through the rows, the remove confirmation, the failing state of an output, the
// texts of the targets and plays boxes, the equaliser box and the narrow forms.
MixerCase {
    id: testCase

    name: "Strips"

    function load() {
        loadDocument([mic("in:mic1", "Микрофон 1", { endpointName: "USB", targets: { apps: ["app:discord.exe"] } }),
                      mic("in:mic2", "Микрофон 2", { endpointName: "Веб-камера" }),
                      { id: "app:discord.exe", kind: "app", name: "Discord" },
                      { id: "app:game.exe", kind: "app", name: "Игра" }],
                     [output("out:hp", "Наушники", { endpointName: "Наушники (HyperX)",
                                                     eq: { preset: "", bands: [6, 6, 4, 0, 0, 0, 0, 0, 0, 0] } }),
                      output("out:spk", "Колонки", { mode: "apps", endpointName: "Колонки",
                                                     sources: ["app:discord.exe", "app:game.exe"] }),
                      output("out:tv", "Телевизор", { mode: "apps" }),
                      output("out:off", "Выключено", { state: "disabled" })],
                     { density: "full" })
        const panel = makePanel()
        waitForRendering(panel)
        testCase.rig.clearSent()
        return panel
    }

    function state(devices) {
        testCase.rig.deliver(JSON.stringify({ event: "state", state: { devices: devices } }))
    }

    function test_pan_is_shown_as_percent_and_sent_as_fraction() {
        const panel = load()
        const pan = H.byName(strip(panel, "in:mic1"), "panRow")
        compare(pan.text, "C")
        const s = pan.slider
        // Press where −35 sits on the groove; the slider snaps to its 5-point steps.
        const x = s.leftPadding + (-35 - s.from) / (s.to - s.from) * s.availableWidth
        mouseClick(s, x, s.height / 2)
        tryVerify(() => lastSent("setSource") !== null)
        const sent = lastSent("setSource")
        compare(sent.id, "in:mic1")
        fuzzyCompare(sent.fx.pan, -0.35, 1e-9)
        compare(channel("in:mic1").pan, -35)
        compare(pan.text, "L35")
    }

    function test_fader_sends_live_moves_then_the_final_value() {
        const panel = load()
        const fader = H.byName(strip(panel, "in:mic1"), "faderBlock").fader
        const gain = H.byName(strip(panel, "in:mic1"), "gainText")
        const yOf = v => fader.topPadding + (fader.to - v) / (fader.to - fader.from) * fader.availableHeight
        const x = fader.width / 2
        mousePress(fader, x, yOf(0))
        mouseMove(fader, x, yOf(-6))
        mouseMove(fader, x, yOf(-12))
        // While held the readout follows the handle and merged live edits go out.
        compare(gain.text, Theme.db(fader.value) + " дБ")
        tryVerify(() => testCase.rig.sent("setSource").length > 0, 1000, "live edits are sent while dragging")
        mouseMove(fader, x, yOf(-20))
        mouseRelease(fader, x, yOf(-20))
        tryVerify(() => lastSent("setSource") && lastSent("setSource").gainDb === -20)
        wait(50)
        compare(lastSent("setSource").gainDb, -20, "nothing is sent after the final value")
        compare(gain.text, Theme.db(-20) + " дБ")
        // An output's fader sends to its device.
        const out = H.byName(strip(panel, "out:tv"), "faderBlock").fader
        mouseWheel(out, out.width / 2, out.height / 2, 0, -120)
        tryVerify(() => lastSent("setDevice") && lastSent("setDevice").gainDb === -0.5)
    }

    // Each button sends its field for the strip's row, expanded or folded, and shows the value
    // that comes back through the row.
    function test_strip_buttons_send_and_show_the_row_data() {
        return [
            { tag: "mute", id: "in:mic2", button: "muteButton", field: "mute" },
            { tag: "solo", id: "in:mic2", button: "soloButton", field: "solo" },
            { tag: "mono", id: "in:mic2", button: "monoButton", field: "mono" },
            { tag: "output mute", id: "out:tv", button: "muteButton", field: "mute" },
            { tag: "folded mute", id: "in:mic2", folded: true, button: "muteButton", field: "mute" },
            { tag: "folded output mute", id: "out:tv", folded: true, button: "muteButton", field: "mute" }
        ]
    }

    function test_strip_buttons_send_and_show_the_row(data) {
        const panel = load()
        const cmd = data.id.startsWith("out:") ? "setDevice" : "setSource"
        if (data.folded)
            mouseClick(H.byName(strip(panel, data.id), "collapseButton"))
        const button = H.byName(strip(panel, data.id), data.button)
        for (const on of [true, false]) {
            mouseClick(button)
            compare(lastSent(cmd).id, data.id)
            compare(lastSent(cmd)[data.field], on)
            compare(button.checked, on)
        }
    }

    function test_remove_overlay_swallows_presses() {
        const panel = load()
        const mic1 = strip(panel, "in:mic1")
        const overlay = H.byName(mic1, "removeOverlay")
        mouseClick(H.byName(mic1, "removeButton"))
        verify(overlay.visible)
        compare(H.byText(overlay, "Убрать «Микрофон 1» из QUORVEL?").visible, true)
        // Presses on the overlay away from its buttons: over the name, the fader and Mute.
        const fader = H.byName(mic1, "faderBlock").fader
        const faderPoint = fader.mapToItem(mic1, fader.width / 2, fader.height / 4)
        const mute = H.byName(mic1, "muteButton")
        const mutePoint = mute.mapToItem(mic1, mute.width / 2, mute.height / 2)
        for (const p of [Qt.point(mic1.width / 2, 20), faderPoint, mutePoint]) {
            mouseClick(mic1, p.x, p.y)
            mouseDrag(mic1, p.x, p.y, 0, 40)
            mouseWheel(mic1, p.x, p.y, 0, -120)
        }
        wait(30)
        compare(testCase.rig.sent().length, 0)
        verify(overlay.visible)
        mouseClick(H.byText(overlay, "Отмена"))
        verify(!overlay.visible)
        compare(testCase.rig.sent().length, 0)

        mouseClick(H.byName(mic1, "removeButton"))
        mouseClick(H.byText(overlay, "Убрать"))
        compare(lastSent("removeSource").id, "in:mic1")
        tryCompare(panel, "channelCount", 1)
        // An output goes the same way.
        mouseClick(H.byName(strip(panel, "out:tv"), "removeButton"))
        mouseClick(H.byText(H.byName(strip(panel, "out:tv"), "removeOverlay"), "Убрать"))
        compare(lastSent("removeDevice").id, "out:tv")
        compare(strip(panel, "out:tv"), null)
        compare(panel.outputCount, 3)
    }

    function test_targets_box_issues_and_monitor() {
        const panel = load()
        const box1 = H.byName(strip(panel, "in:mic1"), "targetsBox")
        const box2 = H.byName(strip(panel, "in:mic2"), "targetsBox")
        compare(box1.text, "Discord")
        verify(box1.active)
        compare(box2.text, "Никуда — выбрать")
        verify(!box2.active)
        verify(!H.byName(box1, "warningIcon").visible)

        testCase.rig.deliver(JSON.stringify({ event: "state", state: {
            sources: [{ id: "in:mic1", available: true }, { id: "in:mic2", available: true }],
            devices: [{ id: "out:hp", available: true }],
            micBypass: [{ mic: "in:mic1", apps: [{ name: "OBS" }] }], listenOn: ["Микрофон USB"] } }))
        verify(strip(panel, "in:mic1") !== null)
        verify(H.byName(box1, "warningIcon").visible)
        // One line per issue, then how to fix them.
        const lines = box1.tip.split("\n")
        compare(lines.length, 3)
        verify(lines[0].indexOf(": OBS.") > 0, lines[0])
        verify(lines[1].indexOf("«Микрофон USB»") > 0, lines[1])

        const monitor = H.byName(strip(panel, "in:mic2"), "monitorButton")
        verify(monitor.tip.indexOf("«" + qv.monitorName + "»") > 0, monitor.tip)
        mouseClick(monitor)
        tryVerify(() => channel("in:mic2").monitor === true)
        verify(monitor.checked)
    }

    // Folding swaps in the narrow form and back (which window each button opens is the main
    // window's test, tst_dialogs openers). The narrow form names its strip to a screen reader,
    // and a long name is cut, never wrapped into a taller strip.
    function test_fold_and_unfold() {
        const panel = load()
        const wide = strip(panel, "out:tv")
        mouseClick(H.byName(wide, "collapseButton"))
        compare(lastSent("setDevice").ui.collapsed, true)
        const narrow = strip(panel, "out:tv")
        verify(narrow !== wide)
        const height = narrow.implicitHeight
        const name = H.byName(narrow, "nameText")
        verify(!name.truncated)
        qv.setDevice("out:tv", { name: "Очень длинное имя устройства вывода звука в гостиной" })
        verify(name.truncated)
        compare(narrow.implicitHeight, height)
        compare(narrow.Accessible.name, name.text + ", свёрнут")
        compare(H.byName(narrow, "muteButton").Accessible.name, "Mute: " + name.text)
        const narrowWidth = narrow.width
        mouseClick(H.byName(narrow, "expandButton"))
        compare(lastSent("setDevice").ui.collapsed, false)
        verify(strip(panel, "out:tv").width > narrowWidth)
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
    }
}
