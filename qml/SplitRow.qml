import QtQuick
import "."

// Two groups pushed to the two ends of one line; when they do not fit side by side the right
// group wraps under the left one instead of widening the row. The row never takes its width
// from the groups, so it never makes its parent wider. Callers set its width.
Item {
    id: root

    property Item leftItem
    property Item rightItem
    // The right group's width to plan with: callers whose right group changes form when it
    // gets narrow pass the width it will have.
    property real rightNatural: root.rightItem ? root.rightItem.implicitWidth : 0
    property real gapX: 12
    property real gapY: 8

    readonly property bool complete: root.leftItem !== null && root.rightItem !== null
    readonly property bool oneLine: root.complete
                                    && root.leftItem.implicitWidth + root.gapX + root.rightNatural <= root.width
    readonly property real leftHeight: root.leftItem ? root.leftItem.height : 0
    readonly property real rightHeight: root.rightItem ? root.rightItem.height : 0

    implicitHeight: !root.complete ? 0
                    : root.oneLine ? Math.max(root.leftHeight, root.rightHeight)
                                   : root.leftHeight + root.gapY + root.rightHeight
    height: root.implicitHeight

    onLeftItemChanged: {
        if (root.leftItem)
            root.leftItem.parent = root
    }
    onRightItemChanged: {
        if (root.rightItem)
            root.rightItem.parent = root
    }

    Binding {
        target: root.leftItem
        property: "x"
        value: 0
    }
    Binding {
        target: root.leftItem
        property: "y"
        value: root.oneLine ? (root.height - root.leftHeight) / 2 : 0
    }
    Binding {
        target: root.rightItem
        property: "x"
        value: root.oneLine ? root.width - root.rightItem.width : 0
        when: root.rightItem !== null
    }
    Binding {
        target: root.rightItem
        property: "y"
        value: root.oneLine ? (root.height - root.rightHeight) / 2 : root.leftHeight + root.gapY
    }
}
