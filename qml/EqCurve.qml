import QtQuick
import "."

// The equaliser curve as heard: `points` are dB values evenly spaced on a logarithmic axis from
// 20 Hz to 20 kHz, drawn over ±range dB. Small on the strips and preset cards, large with a
// grid in the equaliser window.
Canvas {
    id: root

    property var points: []
    property real range: 13
    property color color: Theme.amber
    property bool grid: false
    property bool fill: true
    property real lineWidth: 1.6

    // The ten equaliser band centres, for the grid.
    readonly property var bandHz: [31.25, 62.5, 125, 250, 500, 1000, 2000, 4000, 8000, 16000]

    function yOf(db) {
        const r = root.range > 0 ? root.range : 1
        const v = Math.max(-r, Math.min(r, Number(db) || 0))
        return root.height / 2 - v / r * (root.height / 2 - 2)
    }

    function xOfHz(f) {
        return Math.round(Math.log(f / 20) / Math.log(1000) * root.width) + 0.5
    }

    // Starts a path through the n points, spread evenly over the width w.
    function tracePath(ctx, n, w) {
        ctx.beginPath()
        for (let i = 0; i < n; ++i) {
            const x = i / (n - 1) * w
            const y = root.yOf(root.points[i])
            if (i === 0)
                ctx.moveTo(x, y)
            else
                ctx.lineTo(x, y)
        }
    }

    function faded(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha)
    }

    renderStrategy: Canvas.Cooperative
    implicitWidth: 160
    implicitHeight: 56
    Accessible.ignored: true

    onPointsChanged: root.requestPaint()
    onColorChanged: root.requestPaint()
    onRangeChanged: root.requestPaint()
    onGridChanged: root.requestPaint()
    onFillChanged: root.requestPaint()
    onLineWidthChanged: root.requestPaint()
    onWidthChanged: root.requestPaint()
    onHeightChanged: root.requestPaint()

    onPaint: {
        const ctx = root.getContext("2d")
        ctx.reset()
        const w = root.width
        const h = root.height
        if (w < 1 || h < 1)
            return
        ctx.lineWidth = 1

        const zeroY = Math.round(h / 2) + 0.5
        ctx.strokeStyle = root.faded(Theme.white, 0.14)
        ctx.beginPath()
        ctx.moveTo(0, zeroY)
        ctx.lineTo(w, zeroY)
        ctx.stroke()

        if (root.grid) {
            ctx.strokeStyle = root.faded(Theme.white, 0.06)
            ctx.beginPath()
            for (let i = 0; i < root.bandHz.length; ++i) {
                const x = root.xOfHz(root.bandHz[i])
                ctx.moveTo(x, 0)
                ctx.lineTo(x, h)
            }
            const marks = [-12, -6, 6, 12]
            for (let j = 0; j < marks.length; ++j) {
                const y = Math.round(root.yOf(marks[j])) + 0.5
                ctx.moveTo(0, y)
                ctx.lineTo(w, y)
            }
            ctx.stroke()
        }

        const n = root.points ? root.points.length : 0
        if (n < 2)
            return

        if (root.fill) {
            root.tracePath(ctx, n, w)
            ctx.lineTo(w, zeroY)
            ctx.lineTo(0, zeroY)
            ctx.closePath()
            ctx.fillStyle = root.faded(root.color, 0.16)
            ctx.fill()
        }
        root.tracePath(ctx, n, w)
        ctx.strokeStyle = root.color
        ctx.lineWidth = root.lineWidth
        ctx.lineJoin = "round"
        ctx.stroke()
    }
}
