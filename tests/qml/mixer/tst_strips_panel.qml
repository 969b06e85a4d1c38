import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The sources panel against the real Backend: row height rules, the separator, virtual rows,
// collapsing, density, the header's compact form, the not-ready card, sideways scrolling and
// delegates that survive the Backend's rebuilds.
MixerCase {
    id: testCase

    name: "StripsPanel"

    Component { id: referenceComponent; ChannelStrip {} }

    function load(sources, devices) {
        loadDocument(sources, devices)
        return makePanel()
    }

    function standard() {
        return load([mic("in:mic1", "Микрофон 1"), mic("in:mic2", "Микрофон 2"),
                     { id: "app:discord.exe", kind: "app", name: "Discord" }],
                    [output("out:hp", "Наушники"), output("out:spk", "Колонки"),
                     { id: "virtual_mic", kind: "virtual_mic", name: "QUORVEL Mic" }])
    }

    function init() {
        qv.setSettings({ density: "full" })
    }

    function test_row_height_and_separator_data() {
        return [
            { tag: "nothing", mics: 0, outputs: 0, separator: false },
            { tag: "outputs only", mics: 0, outputs: 1, separator: false },
            { tag: "channels only", mics: 1, outputs: 0, separator: false },
            { tag: "both", mics: 1, outputs: 1, separator: true }
        ]
    }

    function test_row_height_and_separator(data) {
        const sources = data.mics ? [mic("in:mic1", "Микрофон")] : []
        const devices = data.outputs ? [output("out:hp", "Наушники")] : []
        devices.push({ id: "virtual_mic", kind: "virtual_mic", name: "QUORVEL Mic" })
        const panel = load(sources, devices)
        compare(H.byName(panel, "separator").visible, data.separator)
        let expected = 80
        if (data.mics)
            expected = H.byName(panel, "referenceStrip").implicitHeight
        if (data.outputs)
            expected = Math.max(expected, strip(panel, "out:hp").implicitHeight)
        tryCompare(panel, "rowHeight", expected)
        // Every strip and the add card take the row's height.
        compare(H.byName(panel, "addCard").height, expected)
        if (data.outputs)
            compare(strip(panel, "out:hp").height, expected)
    }

    function test_virtual_device_makes_no_strip() {
        const panel = standard()
        compare(strip(panel, "virtual_mic"), null)
        compare(panel.outputCount, 2)
        compare(H.byName(panel, "countsText").text, "микрофонов: 2 · устройств: 2")
        // No gap is left for it: the add card follows the last output as outputs follow each other.
        const card = H.byName(panel, "addCard")
        const hp = strip(panel, "out:hp")
        const spk = strip(panel, "out:spk")
        const cellX = s => s.parent.parent.x
        const gap = cellX(spk) - (cellX(hp) + hp.width)
        verify(gap > 0)
        compare(card.x, cellX(spk) + spk.width + gap)
    }

    function test_collapsing_keeps_the_row_height() {
        const panel = standard()
        const full = panel.rowHeight
        const height = panel.implicitHeight
        mouseClick(H.byText(panel, "Свернуть все"))
        tryVerify(() => !qv.anyExpanded)
        for (const id of ["in:mic1", "in:mic2", "out:hp", "out:spk"]) {
            const s = strip(panel, id)
            verify(s.Accessible.name.endsWith(", свёрнут"), id)
            compare(s.height, full)
        }
        compare(panel.rowHeight, full)
        compare(panel.implicitHeight, height)
        verify(H.byText(panel, "Развернуть все"))
    }

    function test_density_switch_remeasures_at_once() {
        const panel = standard()
        const fullHeight = panel.rowHeight
        mouseClick(H.byText(panel, "Компактный"))
        compare(qv.settings.density, "compact")
        // A compact strip built from scratch is the measure: no space left over from full.
        const fresh = createTemporaryObject(referenceComponent, testCase,
                                            { ch: qv.sampleChannel, compact: true, fxRows: 4 })
        waitForRendering(fresh)
        tryCompare(panel, "rowHeight", fresh.implicitHeight)
        verify(panel.rowHeight < fullHeight)
        compare(strip(panel, "in:mic1").implicitHeight, panel.rowHeight)
        mouseClick(H.byText(panel, "Полный"))
        tryCompare(panel, "rowHeight", fullHeight)
    }

    function test_header_goes_compact_when_narrow() {
        const panel = standard()
        const header = H.byName(panel, "header")
        verify(H.byName(header, "fullControls").visible)
        panel.width = 560
        verify(H.byName(header, "iconControls").visible)
        verify(!H.byName(header, "fullControls").visible)
        verify(header.oneLine, "icon buttons fit beside the title instead of wrapping")
        const hide = H.find(header, k => k.icon === "hide")
        const was = qv.settings.autoHideDisconnected === true
        const tip = hide.tip
        mouseClick(hide)
        compare(qv.settings.autoHideDisconnected, !was)
        verify(hide.tip !== tip, "the tip tells the new state")
        mouseClick(H.find(header, k => k.tip === "Компактный вид"))
        compare(qv.settings.density, "compact")
        panel.width = 1400
        verify(H.byName(header, "fullControls").visible)
    }

    function test_not_ready_card() {
        const panel = standard()
        const card = H.byName(panel, "notReadyCard")
        verify(!card.visible)
        testCase.rig.disconnectEngine("Движок не отвечает")
        verify(card.visible)
        verify(!H.byName(panel, "rowArea").visible)
        compare(H.byName(card, "statusText").text, "Движок не отвечает")
        const before = testCase.rig.startEngineCalls
        mouseClick(H.byText(card, "Запустить движок"))
        compare(testCase.rig.startEngineCalls, before + 1)
    }

    function test_wheel_scrolls_sideways_within_bounds() {
        const panel = standard()
        const flick = H.byName(panel, "stripScroller")
        mouseWheel(flick, 100, 100, 0, -120)
        compare(flick.contentX, 0, "a row that fits does not move")
        panel.width = 500
        verify(flick.contentWidth > flick.width)
        verify(H.byName(panel, "scrollTrack").visible)
        mouseWheel(flick, 100, 100, 0, -120)
        compare(flick.contentX, 120)
        for (let i = 0; i < 20; ++i)
            mouseWheel(flick, 100, 100, 0, -120)
        compare(flick.contentX, flick.contentWidth - flick.width)
        for (let j = 0; j < 20; ++j)
            mouseWheel(flick, 100, 100, 0, 120)
        compare(flick.contentX, 0)
    }

    function test_delegates_survive_backend_rebuilds() {
        const panel = standard()
        const mic1 = strip(panel, "in:mic1")
        const hp = strip(panel, "out:hp")
        for (let i = 1; i <= 100; ++i)
            qv.setSource("in:mic1", { gainDb: -i * 0.5 })
        verify(strip(panel, "in:mic1") === mic1)
        verify(strip(panel, "out:hp") === hp)
        compare(H.byName(mic1, "gainText").text, Theme.db(-50) + " дБ")
        // The engine's own document, once every edit is answered, rebuilds the rows again.
        testCase.rig.answerAll()
        const doc = { sources: [mic("in:mic1", "Микрофон 1"), mic("in:mic2", "Микрофон 2")],
                      devices: [output("out:hp", "Наушники"), output("out:spk", "Колонки")] }
        doc.sources[0].gainDb = -7
        testCase.rig.deliver(JSON.stringify({ event: "config", config: doc }))
        compare(H.byName(mic1, "gainText").text, Theme.db(-7) + " дБ")
        verify(strip(panel, "in:mic1") === mic1)
        verify(strip(panel, "out:hp") === hp)
    }
}
