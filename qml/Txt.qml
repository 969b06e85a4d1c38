import QtQuick
import "."

// Interface text: 13 px, sans or mono, DemiBold for bold.
Text {
    textFormat: Text.PlainText
    id: root

    property bool mono: false
    property bool bold: false

    color: Theme.text
    font.pixelSize: 13
    font.family: root.mono ? Theme.mono : Theme.sans
    font.weight: root.bold ? Font.DemiBold : Font.Normal
    verticalAlignment: Text.AlignVCenter
}
