pragma ComponentBehavior: Bound
import QtQuick
import "."

// The level part of an expanded strip: meter, fader and dB scale side by side, and the gain
// readout under them. The owner sends what the fader reports.
Column {
    id: root

    property string sourceId
    property bool muted: false
    property real gainDb: 0
    property bool compact: false
    property string name
    readonly property alias fader: fader

    signal moved(real v)
    signal committed(real v)

    function scaleLabel(v) {
        return v > 0 ? "+" + v : v < 0 ? Theme.minus + Math.abs(v) : "0"
    }

    spacing: 12

    Item {
        width: root.width
        height: fader.height + 4

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            y: 4
            spacing: 10

            Meter {
                height: fader.height
                sourceId: root.sourceId
                muted: root.muted
            }

            Fader {
                id: fader

                height: root.compact ? 140 : 200
                modelValue: root.gainDb
                Accessible.name: "Громкость: " + root.name
                onUserMoved: (v) => root.moved(v)
                onUserCommitted: (v) => root.committed(v)
            }

            Item {
                width: 26
                height: fader.height

                Repeater {
                    model: [12, 0, -12, -24, -36, -48, -60]

                    delegate: Text {
                        id: mark

                        required property int modelData

                        textFormat: Text.PlainText
                        width: 26
                        y: fader.grooveTop + (12 - mark.modelData) / 72 * fader.grooveHeight - mark.height / 2
                        text: root.scaleLabel(mark.modelData)
                        font.family: Theme.mono
                        font.pixelSize: 10
                        color: Theme.scale
                        horizontalAlignment: Text.AlignRight
                    }
                }
            }
        }
    }

    Text {
        textFormat: Text.PlainText
        objectName: "gainText"
        width: root.width
        text: Theme.db(fader.pressed ? fader.value : root.gainDb) + " дБ"
        font.family: Theme.mono
        font.pixelSize: 15
        font.weight: Font.Medium
        color: Theme.text
        horizontalAlignment: Text.AlignHCenter
    }
}
