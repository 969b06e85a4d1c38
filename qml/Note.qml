import QtQuick
import "."

// A small explanatory paragraph under a setting, as wide as its column.
Text {
    width: parent ? parent.width : 400
    font.family: Theme.sans
    font.pixelSize: 11
    color: Theme.text2
    wrapMode: Text.Wrap
    textFormat: Text.PlainText
}
