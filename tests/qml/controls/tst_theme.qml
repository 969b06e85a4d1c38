import QtQuick
import QtTest
import "qrc:/qml"

// The formatting helpers of the theme, and the theme as the resources deliver it.
TestCase {
    id: testCase

    name: "Theme"

    // Numbers in the Russian form (decimal comma, a real minus sign), no "−0,0", a dash for what
    // is missing; the Russian plural of the pitch follows the last two digits and any fraction
    // takes "полутона"; colours lose their alpha.
    function test_format_data() {
        return [
            { tag: "db positive", call: () => Theme.db(2.5), want: "+2,5" },
            { tag: "db tiny negative", call: () => Theme.db(-0.04), want: "0,0" },
            { tag: "db floor", call: () => Theme.db(-60), want: "\u221260,0" },
            { tag: "db just above rounding", call: () => Theme.db(0.051), want: "+0,1" },
            { tag: "db missing", call: () => Theme.db(undefined), want: "\u2014" },
            { tag: "db nan", call: () => Theme.db(NaN), want: "\u2014" },
            { tag: "num default digits", call: () => Theme.num(-3.5), want: "\u22123,5" },
            { tag: "num no digits", call: () => Theme.num(48, 0), want: "48" },
            { tag: "num two digits", call: () => Theme.num(1.234, 2), want: "1,23" },
            { tag: "pan rounds to centre", call: () => Theme.pan(-0.4), want: "C" },
            { tag: "pan left", call: () => Theme.pan(-35), want: "L35" },
            { tag: "pan rounded right", call: () => Theme.pan(4.6), want: "R5" },
            { tag: "pitch eleven", call: () => Theme.pitchText(11), want: "+11 полутонов" },
            { tag: "pitch twenty-one", call: () => Theme.pitchText(21), want: "+21 полутон" },
            { tag: "pitch three", call: () => Theme.pitchText(3), want: "+3 полутона" },
            { tag: "pitch minus one", call: () => Theme.pitchText(-1), want: "\u22121 полутон" },
            { tag: "pitch fraction", call: () => Theme.pitchText(-0.5), want: "\u22120,5 полутона" },
            { tag: "pitch zero", call: () => Theme.pitchText(0), want: "0 полутонов" },
            { tag: "hex argb text", call: () => Theme.hex("#8C08090B"), want: "08090B" },
            { tag: "hex lower-case text", call: () => Theme.hex("#f07167"), want: "F07167" },
            { tag: "hex colour name", call: () => Theme.hex("white"), want: "FFFFFF" },
            { tag: "khz fraction", call: () => Theme.khz(44100), want: "44.1 кГц" },
            { tag: "khz missing", call: () => Theme.khz(undefined), want: "48 кГц" }
        ]
    }

    function test_format(data) {
        compare(data.call(), data.want)
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

    function test_knobChoices_data() {
        return [
            { tag: "no outputs", outputs: [], want: ["", "off"], first: "Первые наушники в QUORVEL" },
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
