import QtQuick
import QtTest
import "qrc:/qml"

// The formatting helpers of the theme, and the theme as the resources deliver it.
TestCase {
    id: testCase

    name: "Theme"

    function test_db_data() {
        return [
            { tag: "positive", v: 2.5, want: "+2,5" },
            { tag: "tiny negative", v: -0.04, want: "0,0" },
            { tag: "tiny positive", v: 0.04, want: "0,0" },
            { tag: "floor", v: -60, want: "\u221260,0" },
            { tag: "just above rounding", v: 0.051, want: "+0,1" },
            { tag: "missing", v: undefined, want: "\u2014" },
            { tag: "nan", v: NaN, want: "\u2014" }
        ]
    }

    function test_db(data) {
        compare(Theme.db(data.v), data.want)
    }

    function test_num_data() {
        return [
            { tag: "default digits", v: -3.5, digits: undefined, want: "\u22123,5" },
            { tag: "no digits", v: 48, digits: 0, want: "48" },
            { tag: "two digits", v: 1.234, digits: 2, want: "1,23" },
            { tag: "positive keeps no sign", v: 7, digits: undefined, want: "7,0" }
        ]
    }

    function test_num(data) {
        compare(Theme.num(data.v, data.digits), data.want)
    }

    function test_pan_data() {
        return [
            { tag: "rounds to centre", v: -0.4, want: "C" },
            { tag: "right end", v: 100, want: "R100" },
            { tag: "left", v: -35, want: "L35" },
            { tag: "rounded right", v: 4.6, want: "R5" }
        ]
    }

    function test_pan(data) {
        compare(Theme.pan(data.v), data.want)
    }

    // The Russian plural follows the last two digits; any fraction takes "полутона".
    function test_pitchText_data() {
        return [
            { tag: "eleven", v: 11, want: "+11 полутонов" },
            { tag: "twenty-one", v: 21, want: "+21 полутон" },
            { tag: "twelve", v: 12, want: "+12 полутонов" },
            { tag: "three", v: 3, want: "+3 полутона" },
            { tag: "minus one", v: -1, want: "\u22121 полутон" },
            { tag: "fraction", v: -0.5, want: "\u22120,5 полутона" },
            { tag: "zero", v: 0, want: "0 полутонов" }
        ]
    }

    function test_pitchText(data) {
        compare(Theme.pitchText(data.v), data.want)
    }

    function test_hex_data() {
        return [
            { tag: "argb text", c: "#8C08090B", want: "08090B" },
            { tag: "rgb text", c: "#F2B53A", want: "F2B53A" },
            { tag: "lower-case text", c: "#f07167", want: "F07167" },
            { tag: "colour value with alpha", c: Qt.rgba(1, 0, 0, 0.5), want: "FF0000" },
            { tag: "colour name", c: "white", want: "FFFFFF" }
        ]
    }

    function test_hex(data) {
        compare(Theme.hex(data.c), data.want)
    }

    // The URL the "icon" provider reads: the colour without its alpha, the stroke width.
    function test_icon() {
        compare(Theme.icon("check", "#8C15120A", 2.6), "image://icon/check?c=15120A&w=2.6")
    }

    // Issues of a microphone, in order: the Windows default, the programs that bypass it (no
    // action), then one "listen" line per device Windows repeats, each naming its device.
    function test_micIssues_data() {
        return [
            { tag: "no channel", ch: null, listen: ["X"], kinds: [], actions: [] },
            { tag: "nothing wrong", ch: { defaultIssue: "", bypass: [] }, listen: [], kinds: [], actions: [] },
            { tag: "listen only", ch: { defaultIssue: "", bypass: [] }, listen: ["A"], kinds: ["listen"],
              actions: ["Открыть звук Windows"] },
            { tag: "all of them", ch: { defaultIssue: "Windows записывает «Микрофон» напрямую", bypass: ["Discord", "OBS"] },
              listen: ["Микрофон (USB)", "Line In"], kinds: ["default", "bypass", "listen", "listen"],
              actions: ["Исправить", "", "Открыть звук Windows", "Открыть звук Windows"] }
        ]
    }

    function test_micIssues(data) {
        const issues = Theme.micIssues(data.ch, data.listen)
        compare(issues.map(i => i.kind), data.kinds)
        compare(issues.map(i => i.action), data.actions)
        if (data.kinds.length === 4) {
            compare(issues[0].text, "Windows записывает «Микрофон» напрямую.")
            verify(issues[1].text.indexOf(": Discord, OBS.") > 0)
            verify(issues[2].text.indexOf("«Микрофон (USB)»") > 0)
            verify(issues[3].text.indexOf("«Line In»") > 0)
        }
    }

    function test_khz_data() {
        return [
            { tag: "44.1 kHz", v: 44100, want: "44.1 кГц" },
            { tag: "48 kHz", v: 48000, want: "48 кГц" },
            { tag: "missing", v: undefined, want: "48 кГц" }
        ]
    }

    function test_khz(data) {
        compare(Theme.khz(data.v), data.want)
    }

    function test_knobChoices_data() {
        return [
            { tag: "no outputs", outputs: [], want: ["", "off"], first: "Первые наушники в QUORVEL" },
            { tag: "none on", outputs: [{ id: "out:a", name: "A", label: "", on: false }],
              want: ["", "off"], first: "Первые наушники в QUORVEL" },
            { tag: "label before name", outputs: [{ id: "out:a", name: "A", label: "", on: false },
                                                  { id: "out:b", name: "B", label: "Мои", on: true },
                                                  { id: "out:c", name: "C", label: "", on: true }],
              want: ["", "out:b", "out:c", "off"], first: "Первые в QUORVEL — «Мои»" }
        ]
    }

    function test_knobChoices(data) {
        const list = Theme.knobChoices(data.outputs)
        compare(list.map(c => c.id), data.want)
        compare(list[0].name, data.first)
        compare(list[list.length - 1].name, "Ничем — только Windows")
    }

    // Cables are offered by their recording end: the same end twice is one choice, an unknown
    // end none; VB-CABLE goes by its product name, Voicemeeter without the vendor suffix.
    function test_virtualMicChoices_data() {
        const records = { "cab-in": "cab-out", "cab-16": "cab-out", "vm-aux": "vm-aux-out", "spk": "" }
        const suggest = (id) => records[id] || ""
        return [
            { tag: "same cable twice", suggest: suggest, vm: { mode: "none", driver: false },
              vb: { present: true, renderId: "cab-in", renderName: "CABLE Input (VB-Audio Virtual Cable)" },
              outputs: [{ endpointId: "cab-16", name: "CABLE In 16ch (VB-Audio Virtual Cable)" },
                        { endpointId: "spk", name: "Динамики" },
                        { endpointId: "vm-aux", name: "Voicemeeter AUX Input (VB-Audio Voicemeeter VAIO)" }],
              ids: ["", "cab-in", "vm-aux"],
              names: ["Нет — программы слышат сам микрофон", "VB-CABLE", "Voicemeeter AUX Input"] },
            { tag: "current cable first", suggest: suggest,
              vm: { mode: "cable", driver: true, renderId: "vm-aux", renderName: "Voicemeeter AUX Input (VB-Audio Voicemeeter VAIO)" },
              vb: { present: true, renderId: "cab-in", renderName: "CABLE Input (VB-Audio Virtual Cable)" },
              outputs: [{ endpointId: "vm-aux", name: "Voicemeeter AUX Input (VB-Audio Voicemeeter VAIO)" }],
              ids: ["", "vm-aux", "cab-in"],
              names: ["QUORVEL Mic (драйвер)", "Voicemeeter AUX Input", "VB-CABLE"] }
        ]
    }

    function test_virtualMicChoices(data) {
        const list = Theme.virtualMicChoices(data.vm, data.vb, data.outputs, data.suggest)
        compare(list.map(c => c.id), data.ids)
        compare(list.map(c => c.name), data.names)
    }

    // The families the theme names are the ones in the resources, not a fallback.
    function test_fonts() {
        verify(Qt.fontFamilies().indexOf(Theme.sans) >= 0)
        verify(Qt.fontFamilies().indexOf(Theme.mono) >= 0)
    }
}
