import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// A microphone strip in the panel against the real Backend: what its controls send, what comes
// back through the row, the remove confirmation and the narrow form.
MixerCase {
    id: testCase

    name: "StripsChannel"

    Component {
        id: panelComponent

        SourcesPanel {
            width: 1200
            fxRows: 4
        }
    }

    function load() {
        const doc = {
            settings: { density: "full" },
            sources: [
                { id: "in:mic1", kind: "physical_input", name: "Микрофон 1", endpointName: "USB",
                  targets: { apps: ["app:discord.exe"] } },
                { id: "in:mic2", kind: "physical_input", name: "Микрофон 2", endpointName: "Веб-камера" },
                { id: "app:discord.exe", kind: "app", name: "Discord" }
            ],
            devices: [{ id: "out:hp", kind: "physical", name: "Наушники", endpointId: "hp", mode: "all" }]
        }
        verify(testCase.rig.load(JSON.stringify(doc)))
        const panel = createTemporaryObject(panelComponent, testCase)
        waitForRendering(panel)
        testCase.rig.clearSent()
        return panel
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
        compare(channel("in:mic1").gainDb, -20)
        compare(gain.text, Theme.db(-20) + " дБ")
    }

    function test_strip_buttons_send_and_show_the_row_data() {
        return [
            { tag: "mute", button: "muteButton", field: "mute" },
            { tag: "solo", button: "soloButton", field: "solo" },
            { tag: "mono", button: "monoButton", field: "mono" }
        ]
    }

    function test_strip_buttons_send_and_show_the_row(data) {
        const panel = load()
        const button = H.byName(strip(panel, "in:mic2"), data.button)
        verify(!button.checked)
        mouseClick(button)
        const sent = lastSent("setSource")
        compare(sent.id, "in:mic2")
        compare(sent[data.field], true)
        compare(channel("in:mic2")[data.field], true)
        verify(button.checked)
        mouseClick(button)
        compare(lastSent("setSource")[data.field], false)
        verify(!button.checked)
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
        compare(qv.channels.indexOf("in:mic1"), -1)
        tryCompare(panel, "channelCount", 1)
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

    // Which window each button opens is the main window's test (tst_dialogs, openers).
    function test_collapsed_strip_still_sends() {
        const panel = load()
        const mic2 = strip(panel, "in:mic2")
        // Collapsing replaces the strip by its narrow form, which sends without the live flag.
        mouseClick(H.byName(mic2, "collapseButton"))
        compare(lastSent("setSource").ui.collapsed, true)
        const narrow = strip(panel, "in:mic2")
        verify(narrow !== mic2)
        const narrowWidth = narrow.width
        mouseClick(H.byName(narrow, "muteButton"))
        compare(lastSent("setSource").mute, true)
        compare(H.byName(narrow, "muteButton").Accessible.name, "Mute: Микрофон 2")
        mouseClick(H.byName(narrow, "expandButton"))
        compare(lastSent("setSource").ui.collapsed, false)
        verify(strip(panel, "in:mic2").width > narrowWidth)
    }
}
