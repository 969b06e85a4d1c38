import QtQuick
import "."

// One place in the strip row: the expanded or the collapsed form of a channel or an output,
// switched by the row's `collapsed` flag. The cell lives as long as its row, and so does each
// form until the flag changes.
//
// The forms are loaded by file rather than from inline components: Qt 6.4 refuses to load a
// bound inline component through a Loader, and an unbound one cannot see this cell's ids
// cleanly. `row` is the delegate's model object, which stays the same for the cell's life, so
// it is handed over once; what changes (density, reserved rows) is bound once loaded.
Item {
    id: root

    property var row: null
    property bool device: false
    property bool compact: false
    property int fxRows: 4
    property bool active: true
    readonly property string rowId: root.row ? String(root.row.id) : ""
    readonly property bool collapsed: root.row ? root.row.collapsed === true : false
    readonly property var strip: loader.item
    readonly property string form: !root.active || !root.row ? ""
                                   : root.collapsed ? "CollapsedStrip.qml"
                                   : root.device ? "DeviceStrip.qml" : "ChannelStrip.qml"

    signal routesRequested()
    signal replaceRequested()
    signal voiceRequested()
    signal eqRequested()

    function load() {
        if (root.form === "") {
            loader.source = ""
            return
        }
        const props = { objectName: "strip:" + root.rowId }
        if (root.collapsed) {
            props.ch = root.row
            props.device = root.device
        } else if (root.device) {
            props.dev = root.row
        } else {
            props.ch = root.row
        }
        loader.setSource(Qt.resolvedUrl(root.form), props)
    }

    function wire() {
        const s = root.strip
        if (!s || root.collapsed)
            return
        s.compact = Qt.binding(() => root.compact)
        if (!root.device)
            s.fxRows = Qt.binding(() => root.fxRows)
        s.routesRequested.connect(root.routesRequested)
        s.replaceRequested.connect(root.replaceRequested)
        if (root.device)
            s.eqRequested.connect(root.eqRequested)
        else
            s.voiceRequested.connect(root.voiceRequested)
    }

    width: loader.width
    implicitWidth: loader.implicitWidth
    implicitHeight: loader.implicitHeight

    onFormChanged: root.load()
    Component.onCompleted: root.load()

    Loader {
        id: loader

        height: root.height
        onLoaded: root.wire()
    }
}
