import QtQuick
import "."

// A dashed rounded outline (4 on, 3 off), drawn half a pixel in so the 1 px line is crisp.
Canvas {
    id: root

    property color stroke: Theme.dashed
    property real radius: 10

    onWidthChanged: root.requestPaint()
    onHeightChanged: root.requestPaint()
    onStrokeChanged: root.requestPaint()
    onRadiusChanged: root.requestPaint()

    onPaint: {
        const ctx = root.getContext("2d")
        ctx.reset()
        if (root.width < 1 || root.height < 1)
            return
        ctx.strokeStyle = root.stroke
        ctx.lineWidth = 1
        ctx.setLineDash([4, 3])
        ctx.beginPath()
        ctx.roundedRect(0.5, 0.5, root.width - 1, root.height - 1, root.radius, root.radius)
        ctx.stroke()
    }
}
