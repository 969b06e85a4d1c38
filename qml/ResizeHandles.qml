pragma ComponentBehavior: Bound
import QtQuick
import "."

// The frameless window's resize borders: four 6 px edges and four 12 px corners, each handing
// the press to the system's own resize with its edges.
Item {
    id: root

    required property Window window
    readonly property real edge: 6
    readonly property real corner: 12

    component Handle: MouseArea {
        required property int edges

        acceptedButtons: Qt.LeftButton
        onPressed: root.window.startSystemResize(edges)
    }

    Handle {
        objectName: "resizeTop"
        edges: Qt.TopEdge
        x: root.corner
        width: root.width - 2 * root.corner
        height: root.edge
        cursorShape: Qt.SizeVerCursor
    }
    Handle {
        objectName: "resizeBottom"
        edges: Qt.BottomEdge
        x: root.corner
        y: root.height - root.edge
        width: root.width - 2 * root.corner
        height: root.edge
        cursorShape: Qt.SizeVerCursor
    }
    Handle {
        objectName: "resizeLeft"
        edges: Qt.LeftEdge
        y: root.corner
        width: root.edge
        height: root.height - 2 * root.corner
        cursorShape: Qt.SizeHorCursor
    }
    Handle {
        objectName: "resizeRight"
        edges: Qt.RightEdge
        x: root.width - root.edge
        y: root.corner
        width: root.edge
        height: root.height - 2 * root.corner
        cursorShape: Qt.SizeHorCursor
    }
    Handle {
        objectName: "resizeTopLeft"
        edges: Qt.TopEdge | Qt.LeftEdge
        width: root.corner
        height: root.corner
        cursorShape: Qt.SizeFDiagCursor
    }
    Handle {
        objectName: "resizeBottomRight"
        edges: Qt.BottomEdge | Qt.RightEdge
        x: root.width - root.corner
        y: root.height - root.corner
        width: root.corner
        height: root.corner
        cursorShape: Qt.SizeFDiagCursor
    }
    Handle {
        objectName: "resizeTopRight"
        edges: Qt.TopEdge | Qt.RightEdge
        x: root.width - root.corner
        width: root.corner
        height: root.corner
        cursorShape: Qt.SizeBDiagCursor
    }
    Handle {
        objectName: "resizeBottomLeft"
        edges: Qt.BottomEdge | Qt.LeftEdge
        y: root.height - root.corner
        width: root.corner
        height: root.corner
        cursorShape: Qt.SizeBDiagCursor
    }
}
