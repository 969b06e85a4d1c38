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
            { tag: "negative whole", v: -4, want: "\u22124,0" },
            { tag: "tiny negative", v: -0.04, want: "0,0" },
            { tag: "tiny positive", v: 0.04, want: "0,0" },
            { tag: "zero", v: 0, want: "0,0" },
            { tag: "floor", v: -60, want: "\u221260,0" },
            { tag: "just above rounding", v: 0.051, want: "+0,1" },
            { tag: "max", v: 12, want: "+12,0" },
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
            { tag: "positive keeps no sign", v: 7, digits: undefined, want: "7,0" },
            { tag: "negative no digits", v: -12, digits: 0, want: "\u221212" }
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
            { tag: "centre", v: 0, want: "C" },
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
            { tag: "minus five", v: -5, want: "\u22125 полутонов" },
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
            { tag: "colour with alpha", c: Theme.dim, want: "08090B" },
            { tag: "opaque colour", c: Theme.onAccent, want: "15120A" },
            { tag: "colour name", c: "white", want: "FFFFFF" }
        ]
    }

    function test_hex(data) {
        compare(Theme.hex(data.c), data.want)
    }

    function test_icon() {
        compare(Theme.icon("check", Theme.onAccent, 2.6), "image://icon/check?c=15120A&w=2.6")
        compare(Theme.icon("gear", "#C9C7C1"), "image://icon/gear?c=C9C7C1&w=1.8")
        compare(Theme.icon("record", Theme.red, 1.6), "image://icon/record?c=F07167&w=1.6")
    }

    function test_micIssues_none() {
        compare(Theme.micIssues(null, ["X"]).length, 0)
        compare(Theme.micIssues(undefined, undefined).length, 0)
        compare(Theme.micIssues({ defaultIssue: "", bypass: [] }, []).length, 0)
    }

    function test_micIssues_order() {
        const ch = {
            defaultIssue: "Windows записывает «Микрофон» напрямую",
            bypass: ["Discord", "OBS"]
        }
        const issues = Theme.micIssues(ch, ["Микрофон (USB)", "Line In"])
        compare(issues.length, 4)
        compare(issues.map(i => i.kind), ["default", "bypass", "listen", "listen"])
        compare(issues[0].text, "Windows записывает «Микрофон» напрямую.")
        compare(issues[0].action, "Исправить")
        compare(issues[1].action, "")
        compare(issues[1].text, "Записывают микрофон напрямую, без изменения голоса: Discord, OBS. "
                                + "В их настройках выберите микрофон «По умолчанию».")
        compare(issues[2].action, "Открыть звук Windows")
        compare(issues[2].text, "Windows повторяет «Микрофон (USB)» в наушники — поэтому вы слышите себя. "
                                + "Выключите: вкладка «Запись» → «Микрофон (USB)» → «Свойства» → «Прослушать» → "
                                + "снять «Прослушивать с данного устройства». "
                                + "Слышать себя в QUORVEL — кнопкой с наушниками у микрофона.")
        verify(issues[3].text.indexOf("«Line In»") > 0)
    }

    function test_micIssues_listenOnly() {
        const issues = Theme.micIssues({ defaultIssue: "", bypass: [] }, ["A"])
        compare(issues.length, 1)
        compare(issues[0].kind, "listen")
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

    function test_fonts_and_colours() {
        compare(Theme.sans, "IBM Plex Sans")
        compare(Theme.mono, "IBM Plex Mono")
        // The families are the ones in the resources, not a fallback.
        verify(Qt.fontFamilies().indexOf(Theme.sans) >= 0)
        verify(Qt.fontFamilies().indexOf(Theme.mono) >= 0)
        verify(Qt.colorEqual(Theme.amber, "#F2B53A"))
        verify(Qt.colorEqual(Theme.dim, "#8C08090B"))
        fuzzyCompare(Theme.dim.a, 0x8C / 255, 0.001)
    }
}
