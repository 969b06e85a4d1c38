import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The equaliser window and the voice panel against the real Backend: what a band move, a
// preset click and "Ровно" send, a window for a device that has gone, the preset search, and
// which microphone the panel follows.
MixerCase {
    id: testCase

    readonly property var hpBands: [6, 6, 4, 0, 0, 0, 0, -2, 0, 0]

    name: "SoundDialogs"

    Component { id: eqComponent; EqDialog {} }
    Component { id: voiceComponent; VoicePanel { width: 600 } }

    function load() {
        loadDocument([mic("in:mic1", "Микрофон 1", { endpointName: "USB" }),
                      mic("in:mic2", "Микрофон 2", { endpointName: "Веб-камера",
                                                     fx: { voice: { on: true, preset: "robot", pitch: 0 } } })],
                     [output("out:hp", "Наушники", { eq: { preset: "", bands: testCase.hpBands } }),
                      output("out:flat", "Колонки", { endpointId: "spk" })])
    }

    function openEq(id) {
        load()
        const dialog = createTemporaryObject(eqComponent, testCase)
        dialog.showFor(id, null)
        tryVerify(() => H.byName(dialog.contentItem, "eqPreset:bass") !== null)
        return dialog
    }

    function slider(dialog, i) {
        return H.byName(dialog.contentItem, "band" + i).children[1]
    }

    // A band move sends all ten bands, the moved one replaced; "Ровно" works only while the
    // equaliser is on. For a device that is no longer there the window shows zeros and no
    // curve, and nothing it offers sends anything.
    function test_eq_device_data() {
        return [
            { tag: "equaliser on", id: "out:hp", bands: testCase.hpBands, present: true, flat: true },
            { tag: "equaliser off", id: "out:flat", bands: [0, 0, 0, 0, 0, 0, 0, 0, 0, 0], present: true, flat: false },
            { tag: "gone", id: "out:gone", bands: [0, 0, 0, 0, 0, 0, 0, 0, 0, 0], present: false, flat: false }
        ]
    }

    function test_eq_device(data) {
        const dialog = openEq(data.id)
        compare(dialog.bands, data.bands)
        compare(H.byName(dialog.contentItem, "eqBigCurve").points.length > 0, data.present)
        for (let i = 0; i < 10; ++i)
            compare(slider(dialog, i).enabled, data.present)
        const flat = H.byName(dialog.contentItem, "eqFlat")
        compare(flat.enabled, data.flat)

        slider(dialog, 3).userCommitted(4.5)
        H.byName(dialog.contentItem, "eqPreset:bass").clicked()
        if (data.flat)
            flat.clicked()
        const sent = testCase.rig.sent("setDevice")
        if (!data.present) {
            compare(sent.length, 0)
            compare(dialog.subheading, "")
            return
        }
        compare(sent.map(m => m.id), data.flat ? [data.id, data.id, data.id] : [data.id, data.id])
        const want = data.bands.slice()
        want[3] = 4.5
        compare(sent[0].eq.bands, want)
        compare(sent[1].eq, { preset: "bass" })
        if (data.flat)
            compare(sent[2].eq, { preset: "flat" })
    }

    // Live moves of one band keep the other nine as they are, like the final one.
    function test_eq_live_moves_keep_the_other_bands() {
        const dialog = openEq("out:hp")
        const s = slider(dialog, 7)
        s.userMoved(1)
        s.userMoved(2.5)
        tryVerify(() => testCase.rig.sent("setDevice").length > 0)
        const sent = testCase.rig.sent("setDevice")
        const last = sent[sent.length - 1].eq.bands
        const want = testCase.hpBands.slice()
        want[7] = 2.5
        compare(last, want)
    }

    // The search ignores case and blanks round the word and looks in the name, the tags and
    // the category's name; a category chip narrows it further.
    function test_eq_search_data() {
        return [
            { tag: "name and tags", query: "бас", category: "", has: ["bass", "cinematic"], lacks: ["rock"] },
            { tag: "upper case, blanks", query: "  БАС ", category: "", has: ["bass", "cinematic"], lacks: [] },
            { tag: "category name", query: "КИНО И", category: "", has: ["night", "anime"], lacks: ["bass"] },
            { tag: "with a chip", query: "бас", category: "games", has: ["cinematic"], lacks: ["bass"] },
            { tag: "nothing", query: "щщщ", category: "", has: [], lacks: ["bass"] }
        ]
    }

    function test_eq_search(data) {
        const dialog = openEq("out:hp")
        dialog.category = data.category
        dialog.query = data.query
        const ids = dialog.shownPresets.map(p => p.id)
        for (const id of data.has)
            verify(ids.indexOf(id) >= 0, id)
        for (const id of data.lacks)
            verify(ids.indexOf(id) < 0, id)
        compare(H.byName(dialog.contentItem, "noMatch").visible, ids.length === 0)
        if (data.query === "бас" && data.category === "")
            compare(ids.length, 4) // bass, bass_max, less_bass, cinematic and nothing else
    }

    // Without an id the panel follows the microphone at micIndex, the last one when the index
    // is past the list; with an id, that microphone or none. Its switch and cards act on it.
    function test_voice_mic_data() {
        return [
            { tag: "first", micId: "", micIndex: 0, want: "in:mic1" },
            { tag: "index past the list", micId: "", micIndex: 5, want: "in:mic2" },
            { tag: "by id", micId: "in:mic2", micIndex: 0, want: "in:mic2" },
            { tag: "id not there", micId: "in:gone", micIndex: 0, want: "" }
        ]
    }

    function test_voice_mic(data) {
        load()
        const panel = createTemporaryObject(voiceComponent, testCase,
                                            { micId: data.micId, micIndex: data.micIndex })
        compare(panel.currentMicId, data.want)
        compare(H.byName(panel, "voiceSwitch").visible, data.want !== "")
        compare(H.byName(panel, "voiceMicCombo").visible, data.micId === "")

        H.byName(panel, "voiceSwitch").toggled(true)
        const sent = testCase.rig.sent("setSource")
        compare(sent.length, data.want !== "" ? 1 : 0)
        if (sent.length)
            compare(sent[0].id, data.want)
    }

    // A click on a voice card switches the voice on with the card's own pitch.
    function test_voice_card_sends_its_pitch() {
        load()
        const panel = createTemporaryObject(voiceComponent, testCase)
        panel.query = "гелий"
        tryVerify(() => H.byName(panel, "voicePreset:helium") !== null)
        waitForRendering(panel)
        mouseClick(H.byName(panel, "voicePreset:helium"))
        const sent = testCase.rig.sent("setSource")
        compare(sent.length, 1)
        compare(sent[0].fx.voice, { on: true, preset: "helium", pitch: 12 })
    }
}
