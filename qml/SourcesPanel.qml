pragma ComponentBehavior: Bound
import QtQuick
import "."

// The mixer: a header with the panel's switches, then one row of strips - the channels, a
// separator, the outputs and the add card - that scrolls sideways when it is wider than the
// panel. Every strip in the row is as tall as an expanded channel (measured on an invisible
// reference strip), so faders and buttons line up and collapsing never changes the height.
// Before the engine is ready a card explains what is going on instead.
Rectangle {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property bool compact: root.backend && root.backend.settings
                                    ? root.backend.settings.density === "compact" : false
    readonly property int outputCount: root.countOutputs(root.backend ? root.backend.revision : 0)
    readonly property real naturalWidth: strips.width + 34
    property int fxRows: 4

    readonly property bool ready: root.backend ? root.backend.ready === true : false
    readonly property var channels: root.backend ? root.backend.channels : null
    readonly property var devices: root.backend ? root.backend.devices : null
    readonly property int channelCount: root.channels ? root.channels.count : 0
    readonly property real referenceHeight: root.channelCount > 0 ? reference.implicitHeight : 80
    readonly property real rowHeight: Math.max(root.referenceHeight, root.tallest(strips.children))

    signal addClicked(string tab)
    signal routesRequested(string id)
    signal deviceRoutesRequested(string id)
    signal replaceRequested(string id)
    signal voiceRequested(string id)
    signal eqRequested(string id)

    // Outputs shown as strips: the virtual microphone is a device row but not a strip.
    function countOutputs(revision) {
        const model = root.devices
        if (!model)
            return 0
        let n = 0
        for (let i = 0; i < model.count; ++i) {
            if (model.get(i).virt !== true)
                ++n
        }
        return n
    }

    // The tallest strip shown. The add card only takes the row's height: an empty row stays
    // 80 px high instead of growing to the card's own height.
    function tallest(items) {
        let h = 0
        for (let i = 0; i < items.length; ++i) {
            const item = items[i]
            if (item.visible && item !== addCard && item.implicitHeight > h)
                h = item.implicitHeight
        }
        return h
    }

    implicitHeight: content.implicitHeight + 32
    radius: 12
    color: Theme.panel
    border.color: Theme.panelBorder

    // The measure of an expanded channel. It is invisible, so the renderer never walks it, but
    // still laid out. A row that an invisible strip shows or hides (a density switch, a
    // microphone's extra rows) is not announced to its column, though: showing the strip for no
    // frame at all makes the columns count their rows again.
    ChannelStrip {
        id: reference

        function remeasure() {
            reference.visible = true
            reference.visible = false
        }

        objectName: "referenceStrip"
        x: 16
        y: 16
        z: -1
        visible: false
        enabled: false
        onCompactChanged: reference.remeasure()
        onFxRowsChanged: reference.remeasure()
        onChChanged: reference.remeasure()
        Accessible.ignored: true
        ch: root.backend ? root.backend.sampleChannel : null
        compact: root.compact
        fxRows: root.fxRows
    }

    Column {
        id: content

        x: 16
        y: 16
        width: root.width - 32
        spacing: 12

        SourcesHeader {
            objectName: "header"
            width: content.width
            channelCount: root.channelCount
            outputCount: root.outputCount
        }

        Item {
            id: rowArea

            objectName: "rowArea"
            visible: root.ready
            width: content.width
            height: root.rowHeight + (flick.scrolls ? 10 : 0)

            Flickable {
                id: flick

                readonly property bool scrolls: flick.contentWidth > flick.width

                objectName: "stripScroller"
                width: rowArea.width
                height: root.rowHeight
                contentWidth: strips.width
                contentHeight: root.rowHeight
                // Scrolled by the wheel and the thumb only: dragging the row would fight the
                // strips' own sliders.
                interactive: false
                clip: flick.scrolls
                boundsBehavior: Flickable.StopAtBounds
                flickableDirection: Flickable.HorizontalFlick

                function scrollTo(x) {
                    flick.contentX = Math.max(0, Math.min(x, flick.contentWidth - flick.width))
                }

                onScrollsChanged: {
                    if (!flick.scrolls)
                        flick.contentX = 0
                }
                onWidthChanged: flick.scrollTo(flick.contentX)
                onContentWidthChanged: flick.scrollTo(flick.contentX)

                Row {
                    id: strips

                    objectName: "strips"
                    height: root.rowHeight
                    spacing: 12

                    Repeater {
                        model: root.channels

                        delegate: StripCell {
                            id: channelCell

                            required property var model

                            objectName: "cell:" + channelCell.rowId
                            height: root.rowHeight
                            row: channelCell.model
                            compact: root.compact
                            fxRows: root.fxRows
                            onRoutesRequested: root.routesRequested(channelCell.rowId)
                            onReplaceRequested: root.replaceRequested(channelCell.rowId)
                            onVoiceRequested: root.voiceRequested(channelCell.rowId)
                        }
                    }

                    Rectangle {
                        objectName: "separator"
                        visible: root.channelCount > 0 && root.outputCount > 0
                        width: 1
                        height: root.rowHeight
                        color: Theme.border
                    }

                    Repeater {
                        model: root.devices

                        // The virtual microphone is a device row but no strip: its cell stays
                        // empty and invisible, so the row skips it.
                        delegate: StripCell {
                            id: deviceCell

                            required property var model

                            objectName: "cell:" + deviceCell.rowId
                            visible: deviceCell.model.virt !== true
                            active: deviceCell.model.virt !== true
                            height: root.rowHeight
                            row: deviceCell.model
                            device: true
                            compact: root.compact
                            onRoutesRequested: root.deviceRoutesRequested(deviceCell.rowId)
                            onReplaceRequested: root.replaceRequested(deviceCell.rowId)
                            onEqRequested: root.eqRequested(deviceCell.rowId)
                        }
                    }

                    AddCard {
                        id: addCard

                        objectName: "addCard"
                        height: root.rowHeight
                        onClicked: root.addClicked("inputs")
                    }
                }
            }

            // A vertical wheel turn scrolls the row sideways while it is wider than the panel.
            MouseArea {
                anchors.fill: flick
                acceptedButtons: Qt.NoButton
                onWheel: (wheel) => {
                    const delta = wheel.angleDelta.y !== 0 ? wheel.angleDelta.y : wheel.angleDelta.x
                    if (!flick.scrolls || delta === 0) {
                        wheel.accepted = false
                        return
                    }
                    flick.scrollTo(flick.contentX - delta)
                    wheel.accepted = true
                }
            }

            Rectangle {
                id: track

                objectName: "scrollTrack"
                y: root.rowHeight + 6
                width: rowArea.width
                height: 4
                radius: 2
                visible: flick.scrolls
                color: Theme.well

                Rectangle {
                    objectName: "scrollThumb"
                    x: flick.contentWidth > 0 ? flick.contentX / flick.contentWidth * track.width : 0
                    width: flick.contentWidth > 0 ? Math.min(1, flick.width / flick.contentWidth) * track.width : 0
                    height: track.height
                    radius: 2
                    color: Theme.mark
                }

                // Dragging the thumb (or pressing the track) centres the view on that point.
                MouseArea {
                    id: trackArea

                    function follow(mx) {
                        const visibleShare = flick.width / flick.contentWidth
                        flick.scrollTo((mx / track.width - visibleShare / 2) * flick.contentWidth)
                    }

                    anchors.fill: parent
                    anchors.topMargin: -4
                    anchors.bottomMargin: -4
                    cursorShape: Qt.PointingHandCursor
                    onPressed: (mouse) => trackArea.follow(mouse.x)
                    onPositionChanged: (mouse) => trackArea.follow(mouse.x)
                }
            }
        }

        Loader {
            objectName: "notReadyCard"
            active: !root.ready
            visible: active
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.max(380, Math.min(content.width, 560))
            // By file: Qt 6.4 refuses to load a bound inline component through a Loader.
            source: "NotReadyCard.qml"
        }
    }
}
