import QtQuick
import "."

// Mute, Solo and Mono of a strip: a raised button that fills with its accent while on.
Btn {
    id: root

    property color checkedText: Theme.onAccent

    height: 40
    radius: 6
    padding: 0
    fontSize: 12
    bold: true
    baseColor: Theme.raised
    textColor: root.checked ? root.checkedText : Theme.text3
}
