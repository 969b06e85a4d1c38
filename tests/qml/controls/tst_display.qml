import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The controls that show things: Meter, StatusPill, the layout helper, the drawn equaliser curve
// and the cable card.
ControlCase {
    id: testCase

    name: "Display"
    width: 640
    height: 480

    Component { id: meterComponent; Meter { x: 10; y: 10; height: 200 } }
    Component { id: scrollComponent; Flickable { width: 100; height: 240; contentWidth: 400; clip: true } }
    Component { id: pillComponent; StatusPill { x: 10; y: 10 } }
    Component { id: boxComponent; Rectangle { color: "transparent" } }
    Component { id: splitComponent; SplitRow {} }
    Component { id: curveComponent; EqCurve { width: 200; height: 100 } }
    Component { id: cableComponent; CableCard { width: 500 } }
    Component { id: blackComponent; Rectangle { x: 10; y: 10; width: 220; height: 120; color: "black" } }

    // A drawn control at the origin of a black host: what is not black was painted.
    function onBlack(component, props, hostHeight) {
        const host = createTemporaryObject(blackComponent, testCase, hostHeight ? { height: hostHeight } : {})
        return component.createObject(host, Object.assign({ x: 0, y: 0 }, props))
    }

    function colourAt(img, x, y, colour) {
        return Qt.colorEqual(img.pixel(x, y), colour)
    }

    // Waits until the canvas has painted what `ready` looks for, then returns the picture. The
    // picture is taken of the black host (the item sits at its origin): grabImage of an item
    // nested deeper is offset in Qt 6.4.
    function painted(item, ready) {
        tryVerify(() => ready(grabImage(item.parent)), 3000, "nothing painted")
        return grabImage(item.parent)
    }

    function test_meter_draws_levels_data() {
        return [
            { tag: "full and half", l: 1.0, r: 0.5, muted: false },
            { tag: "muted", l: 1.0, r: 0.5, muted: true }
        ]
    }

    function test_meter_draws_levels(data) {
        // The meter is drawn natively: what it shows is read off the picture, at the centre of
        // each bar (left x 4, right x 15 of the 200 px high meter).
        const m = onBlack(meterComponent, { sourceId: "in:mic", height: 200, muted: data.muted }, 220)
        qv.meters.set("in:mic", data.l, data.r)
        const green = data.muted ? Theme.meterMuted : Theme.green
        const peak = data.muted ? Theme.peakMuted : Theme.peak
        // Full scale: green up to 85 %, the peak colour from there to the top.
        const img = painted(m, i => colourAt(i, 4, 2, peak))
        verify(colourAt(img, 4, 200 - 0.85 * 200 - 2, peak))
        verify(colourAt(img, 4, 200 - 0.85 * 200 + 2, green))
        verify(colourAt(img, 4, 198, green))
        // Half scale: green to the middle, the empty well above it.
        verify(colourAt(img, 15, 102, green))
        verify(colourAt(img, 15, 98, Theme.well))
        verify(colourAt(img, 9, 150, "black")) // the gap between the bars
        compare(m.leftLevel, data.l)
    }

    function test_meter_follows_frames_and_clamps() {
        const m = createTemporaryObject(meterComponent, testCase, { sourceId: "app:x" })
        compare(m.leftLevel, 0)
        qv.meters.set("app:x", 0.3, 0.6)
        compare(m.leftLevel, 0.3)
        compare(m.rightLevel, 0.6)
        qv.meters.set("app:x", 7, -1)
        compare(m.leftLevel, 1)
        compare(m.rightLevel, 0)
        qv.meters.set("app:x", NaN, 0.2)
        compare(m.leftLevel, 0)
        m.sourceId = "app:unknown"
        compare(m.leftLevel, 0)
    }

    // A meter nobody can see follows no frames; once it can be seen again it shows the level of
    // that moment at once, without waiting for the next frame.
    function test_meter_unseen_does_no_work_data() {
        return [
            { tag: "invisible parent", hide: h => { h.visible = false }, show: h => { h.visible = true } },
            { tag: "transparent parent", hide: h => { h.opacity = 0 }, show: h => { h.opacity = 1 } },
            { tag: "scrolled away", hide: h => { h.contentX = 300 }, show: h => { h.contentX = 0 } }
        ]
    }

    function test_meter_unseen_does_no_work(data) {
        const host = createTemporaryObject(scrollComponent, testCase)
        const m = meterComponent.createObject(host.contentItem, { sourceId: "in:mic" })
        verify(m.viewing)
        data.hide(host)
        tryVerify(() => !m.viewing)
        const redraws = m.redraws
        qv.meters.set("in:mic", 0.7, 0.7)
        qv.meters.set("in:mic", 0.8, 0.8)
        compare(m.redraws, redraws)
        compare(m.leftLevel, 0)
        data.show(host)
        tryVerify(() => m.viewing)
        compare(m.leftLevel, 0.8)
    }

    function makeSplit(leftW, rightW, width) {
        const row = createTemporaryObject(splitComponent, testCase, { width: width })
        const left = createTemporaryObject(boxComponent, testCase, { implicitWidth: leftW, width: leftW, height: 30 })
        const right = createTemporaryObject(boxComponent, testCase, { implicitWidth: rightW, width: rightW, height: 40 })
        row.leftItem = left
        row.rightItem = right
        return { row: row, left: left, right: right }
    }

    // The right group follows on the line while both fit, down to the last pixel; otherwise it
    // starts a line of its own below the left one. Growing again puts it back.
    function test_split_row_wraps_data() {
        return [
            { tag: "exact fit", width: 192, oneLine: true },
            { tag: "a pixel short", width: 191, oneLine: false }
        ]
    }

    function test_split_row_wraps(data) {
        const s = makeSplit(100, 80, data.width)
        compare(s.row.oneLine, data.oneLine)
        compare(s.left.x, 0)
        if (data.oneLine) {
            compare(s.right.x + s.right.width, data.width)
            compare(s.right.y, 0)
        } else {
            compare(s.right.x, 0)
            verify(s.right.y > s.left.y + s.left.height)
        }
        compare(s.row.height, s.right.y + s.right.height)
        compare(s.left.parent, s.row)
        compare(s.right.parent, s.row)
        s.row.width = 300
        verify(s.row.oneLine)
        compare(s.right.x + s.right.width, 300)
    }

    function test_split_row_never_takes_width_from_its_groups() {
        const s = makeSplit(500, 400, 300)
        compare(s.row.implicitWidth, 0)
        compare(s.row.width, 300)
        // A caller planning with the right group's compact width.
        s.row.rightNatural = 100
        s.row.width = 620
        verify(s.row.oneLine)
    }

    // The mode follows the engine's report; the tip names the system device, or a neutral word
    // when the engine names none. The measured width, full and compact, must be what the pill
    // really lays out, or the toolbar plans with a wrong width: measuring rounds each text up,
    // so it may exceed the layout by under 2 px, never fall short of it.
    function test_status_pill_data() {
        return [
            { tag: "not ready", ready: false, windows: { known: true, driver: true, ok: true },
              mode: "unknown", tipHas: "Нет связи с движком" },
            { tag: "unknown", ready: true, windows: { known: false }, mode: "unknown", tipHas: "Нет связи с движком" },
            { tag: "no driver", ready: true, windows: { known: true, driver: false, systemName: "Динамики" },
              mode: "nodriver", tipHas: "«Динамики»" },
            { tag: "no driver unnamed", ready: true, windows: { known: true, driver: false },
              mode: "nodriver", tipHas: "«устройства Windows по умолчанию»" },
            { tag: "ok", ready: true, windows: { known: true, driver: true, ok: true },
              mode: "ok", tipHas: "QUORVEL выбран в Windows" },
            { tag: "warn", ready: true, windows: { known: true, driver: true, ok: false, defaultOut: "Динамики" },
              mode: "warn", tipHas: "вывод — Динамики, микрофон — ?." }
        ]
    }

    function test_status_pill(data) {
        qv.ready = data.ready
        qv.windows = data.windows
        const pill = createTemporaryObject(pillComponent, testCase)
        compare(pill.mode, data.mode)
        verify(pill.tipText.indexOf(data.tipHas) >= 0, pill.tipText)
        verify(pill.widthFor(true) < pill.widthFor(false))
        const row = H.find(pill, k => k.spacing === 8)
        const laidOut = () => row.x + row.width + 10
        for (const compact of [false, true]) {
            pill.compact = compact
            compare(pill.width, pill.widthFor(compact))
            tryVerify(() => pill.width - laidOut() >= 0 && pill.width - laidOut() < 2, 1000,
                      "laid out " + laidOut() + ", measured " + pill.width)
        }
        if (data.mode === "warn") {
            mouseClick(H.byText(pill, "Выбрать"))
            compare(qv.calls, ["assignWindowsDefaults"])
        }
    }

    function test_eq_curve_draws_fill_and_line() {
        const curve = onBlack(curveComponent, { points: [13, 13, 13, 13, 13], color: Theme.amber })
        const img = painted(curve, i => i.pixel(100, 2).r > 0.5)
        // The line at +13 dB sits 2 px from the top, in amber.
        const line = img.pixel(100, 2)
        verify(line.r > line.b + 0.3, "line " + line)
        // Between the line and the 0 dB line: amber at 16 %.
        const filled = img.pixel(100, 25)
        verify(filled.r > 0.08 && filled.r < 0.3 && filled.r > filled.b, "fill " + filled)
        curve.fill = false
        painted(curve, i => i.pixel(100, 25).r === 0)
    }

    // The card follows the installer: the bar never shows less than a sliver while downloading,
    // and the buttons offered depend on the state (the installer itself cannot be cancelled once
    // Windows runs it).
    function test_cable_card_data() {
        return [
            { tag: "offered", state: "", busy: false, progress: 0, present: false, fill: -1, buttons: ["cableInstall"] },
            { tag: "download begins", state: "download", busy: true, progress: 0, present: false, fill: 0.03,
              buttons: ["cableCancel"] },
            { tag: "no size known", state: "download", busy: true, progress: -1, present: false, fill: 0.03,
              buttons: ["cableCancel"] },
            { tag: "half way", state: "download", busy: true, progress: 50, present: false, fill: 0.5,
              buttons: ["cableCancel"] },
            { tag: "installing", state: "install", busy: true, progress: 100, present: false, fill: -1, buttons: [] },
            { tag: "failed, cable there", state: "error", busy: false, progress: 0, present: true, fill: -1,
              buttons: ["cableDismiss"] }
        ]
    }

    function test_cable_card(data) {
        qv.vbCable = { present: data.present }
        qvCable.state = data.state
        qvCable.busy = data.busy
        qvCable.progress = data.progress
        const card = createTemporaryObject(cableComponent, testCase)
        verify(card.visible)
        const bar = H.byName(card, "cableProgress")
        compare(bar.visible, data.fill >= 0)
        if (data.fill >= 0)
            compare(H.byName(card, "cableProgressFill").width / bar.width, data.fill)
        compare(["cableInstall", "cableCancel", "cableDismiss"].filter(n => H.byName(card, n).visible), data.buttons)
    }
}
