pragma Singleton
import QtQuick

// The dark studio look in one place: every colour, the two font families and the helpers that
// turn numbers into the interface's texts (decimal comma, true minus sign U+2212).
QtObject {
    id: root

    // Surfaces
    readonly property color bg: "#101114"
    readonly property color panel: "#18191D"
    readonly property color panelBorder: "#2A2C32"
    readonly property color card: "#1F2126"
    readonly property color border: "#2E3137"
    readonly property color header: "#1C1D21"
    readonly property color control: "#22242A"
    readonly property color controlHover: "#2A2D34"
    readonly property color controlBorder: "#34373E"
    readonly property color raised: "#26282E"
    readonly property color well: "#2A2C32"
    readonly property color frame: "#454A55"

    // Text
    readonly property color text: "#E8E6E1"
    readonly property color text2: "#9A9DA4"
    readonly property color text3: "#C9C7C1"
    readonly property color text4: "#B5B7BD"
    readonly property color scale: "#8C8F96"

    // Accents and states
    readonly property color amber: "#F2B53A"
    readonly property color blue: "#7AA7FF"
    readonly property color red: "#F07167"
    readonly property color redDim: "#6A3434"
    readonly property color redBg: "#3A1E1E"
    readonly property color redText: "#F5B5AE"
    readonly property color green: "#9BE05A"
    readonly property color peak: "#F59E5B"
    readonly property color onAccent: "#15120A"
    readonly property color dot: "#3A3D44"
    readonly property color dim: "#8C08090B"

    // Fixed shades of single controls, named here so no control spells a colour itself.
    readonly property color tipFill: "#2A2C33"          // tooltip and toast
    readonly property color flatHover: "#14FFFFFF"      // flat button or segment under the mouse
    readonly property color pressedFill: "#30333A"      // pressed button
    readonly property color selectedFill: "#3A3D45"     // selected segment, hovered switch track
    readonly property color trackOff: "#2E3138"         // switch track off, hovered list entry
    readonly property color outline: "#4A4D55"          // switch and check-box border, scroll bars
    readonly property color outlineHover: "#6A6D75"     // hovered check box, disabled handle, grey dot
    readonly property color textOnRed: "#1B0B0A"        // text on a red button
    readonly property color amberTint: "#2E2614"        // selected card or active box
    readonly property color amberTintHover: "#3A2E14"
    readonly property color tileOn: "#2B2D33"           // icon tile of a row that is on (hot)
    readonly property color tileOff: "#222327"
    readonly property color dashed: "#464952"           // dashed outlines
    readonly property color mark: "#5C606A"             // 0 dB mark, scroll thumb
    readonly property color white: "#FFFFFF"            // slider handle while dragged, curve lines
    readonly property color handleEdge: "#1A1B1F"       // fader handle border without focus
    readonly property color bandGroove: "#16171B"       // groove of an equaliser band
    readonly property color bandMark: "#40FFFFFF"       // 0 dB line of an equaliser band
    readonly property color meterMuted: "#5A5D64"       // meter of a muted source
    readonly property color peakMuted: "#6E7179"
    readonly property color meterTrack: "#0FFFFFFF"     // thin level line of a list row
    readonly property color addTileHover: "#212226"
    readonly property color confirmFill: "#2A1D1E"      // remove confirmation inside a row
    readonly property color confirmBorder: "#5A3434"
    readonly property color okFill: "#1F2A1C"           // Windows status: all is well
    readonly property color okBorder: "#34492B"
    readonly property color okText: "#B9E89A"
    readonly property color warnFill: "#2A2414"         // Windows status: needs attention
    readonly property color warnBorder: "#5A4A22"
    readonly property color warnText: "#F2D48A"

    readonly property string sans: "IBM Plex Sans"
    readonly property string mono: "IBM Plex Mono"

    readonly property string minus: "\u2212"

    // Not a number to show (a missing row key, NaN): a dash instead of "NaN".
    function _isNumber(v) {
        return v !== null && v !== undefined && v !== "" && isFinite(v)
    }

    // Gain in dB: one decimal, explicit sign, and no sign at all when it rounds to zero.
    function db(v) {
        if (!root._isNumber(v))
            return "\u2014"
        const t = Math.abs(Number(v)).toFixed(1).replace(".", ",")
        if (t === "0,0")
            return t
        return (Number(v) > 0 ? "+" : root.minus) + t
    }

    function num(v, digits) {
        if (!root._isNumber(v))
            return "\u2014"
        const d = digits === undefined ? 1 : digits
        return Number(v).toFixed(d).replace(".", ",").replace("-", root.minus)
    }

    // Pan -100 ... 100 as C, L35, R100.
    function pan(v) {
        if (!root._isNumber(v))
            return "C"
        const p = Math.round(Number(v))
        if (p === 0)
            return "C"
        return (p < 0 ? "L" : "R") + Math.abs(p)
    }

    // Six hex digits without "#": the icon provider draws opaque, so alpha is dropped. Upper case
    // so one colour always gives one URL (and one cached image) however it was written.
    function hex(c) {
        let s = String(c)
        if (!(s.length === 9 || s.length === 7) || s.charAt(0) !== "#")
            s = String(Qt.lighter(c, 1.0)) // a colour name: let Qt spell it out
        if (s.length === 9)
            return s.substring(3).toUpperCase()
        if (s.length === 7)
            return s.substring(1).toUpperCase()
        return "E8E6E1"
    }

    // The engine's sample rate in kHz as a plain number: 48000 is "48 кГц", 44100 "44.1 кГц".
    function khz(rate) {
        const hz = root._isNumber(rate) ? Number(rate) : 48000
        return (Math.round(hz / 100) / 10) + " кГц"
    }

    // Choices of what the keyboard's volume knob moves: the first output that is on (by
    // default), each output that is on, or nothing. Outputs are `qv.outputsList` entries.
    function knobChoices(outputs) {
        const on = []
        for (let i = 0; outputs && i < outputs.length; ++i) {
            const o = outputs[i]
            if (o && o.on)
                on.push({ id: String(o.id), name: String(o.label || o.name || "") })
        }
        const first = on.length > 0 ? "Первые в QUORVEL — «" + on[0].name + "»" : "Первые наушники в QUORVEL"
        return [{ id: "", name: first }].concat(on, [{ id: "off", name: "Ничем — только Windows" }])
    }

    // A cable's name in the virtual-microphone list: VB-CABLE by its product name, a
    // Voicemeeter input without the vendor's suffix.
    function cableName(name) {
        const s = String(name || "")
        if (s.indexOf("(VB-Audio Virtual Cable)") >= 0)
            return "VB-CABLE"
        return s.replace(/ ?\(VB-Audio Voicemeeter VAIO\)$/, "")
    }

    // The virtual-microphone choices: none (or the driver), then the current cable, VB-CABLE and
    // the other cable outputs. Only a cable whose recording end is known is offered, and each
    // recording end once: the same cable reached through two playback endpoints is one choice.
    // `suggest(renderId)` is the Backend's suggestRecord.
    function virtualMicChoices(virtualMic, vbCable, cableOutputs, suggest) {
        const vm = virtualMic || {}
        const vb = vbCable || {}
        const list = [{ id: "", name: vm.driver ? "QUORVEL Mic (драйвер)" : "Нет — программы слышат сам микрофон" }]
        const offered = {}
        const offer = (id, name) => {
            const render = String(id || "")
            const record = render === "" ? "" : String(suggest(render) || "")
            if (record === "" || offered[record])
                return
            offered[record] = true
            list.push({ id: render, name: root.cableName(name) })
        }
        if (vm.mode === "cable")
            offer(vm.renderId, vm.renderName)
        if (vb.present)
            offer(vb.renderId, vb.renderName)
        for (let i = 0; cableOutputs && i < cableOutputs.length; ++i) {
            if (cableOutputs[i])
                offer(cableOutputs[i].endpointId, cableOutputs[i].name)
        }
        return list
    }

    function icon(name, c, w) {
        return "image://icon/" + name + "?c=" + root.hex(c) + "&w=" + (w === undefined ? 1.8 : w)
    }

    function _join(list) {
        const out = []
        for (let i = 0; i < list.length; ++i)
            out.push(String(list[i]))
        return out.join(", ")
    }

    // What keeps a microphone's changed voice from reaching everywhere, as {kind, text, action}.
    function micIssues(ch, listenOn) {
        const out = []
        if (!ch)
            return out
        const issue = ch.defaultIssue
        if (typeof issue === "string" && issue.length > 0)
            out.push({ kind: "default", text: issue + ".", action: "Исправить" })
        const bypass = ch.bypass
        if (bypass && bypass.length > 0) {
            out.push({
                kind: "bypass",
                action: "",
                text: "Записывают микрофон напрямую, без изменения голоса: " + root._join(bypass)
                      + ". В их настройках выберите микрофон «По умолчанию»."
            })
        }
        const names = listenOn ? listenOn : []
        for (let i = 0; i < names.length; ++i) {
            const n = String(names[i])
            out.push({
                kind: "listen",
                action: "Открыть звук Windows",
                text: "Windows повторяет «" + n + "» в наушники — поэтому вы слышите себя. "
                      + "Выключите: вкладка «Запись» → «" + n + "» → «Свойства» → «Прослушать» → снять «Прослушивать с данного устройства». "
                      + "Слышать себя в QUORVEL — кнопкой с наушниками у микрофона."
            })
        }
        return out
    }

    // A pitch shift in semitones as Russian text: "+1 полутон", "+3 полутона", "−5 полутонов";
    // a value with a fraction always takes the genitive singular ("−0,5 полутона").
    function pitchText(v) {
        if (!root._isNumber(v))
            return "\u2014"
        const x = Number(v)
        const sign = x > 0 ? "+" : x < 0 ? root.minus : ""
        const a = Math.abs(x)
        if (a !== Math.floor(a))
            return sign + root.num(a) + " полутона"
        const last = a % 10
        const lastTwo = a % 100
        const word = last === 1 && lastTwo !== 11 ? "полутон"
                   : last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? "полутона"
                   : "полутонов"
        return sign + a + " " + word
    }

    // The entries of a preset catalogue that a search and a category chip leave: the category
    // "" keeps all; the trimmed query is looked for, ignoring case, in textOf(entry).
    function filterPresets(list, query, category, textOf) {
        const out = []
        if (!list)
            return out
        const q = String(query === undefined || query === null ? "" : query).trim().toLowerCase()
        const cat = String(category === undefined || category === null ? "" : category)
        for (let i = 0; i < list.length; ++i) {
            const e = list[i]
            if (!e)
                continue
            if (cat !== "" && String(e.category) !== cat)
                continue
            if (q !== "" && String(textOf(e)).toLowerCase().indexOf(q) < 0)
                continue
            out.push(e)
        }
        return out
    }
}
