import QtQuick
import "."

// The big start/stop button of a recorder: red while it starts, dark while it stops.
Btn {
    id: root

    property bool recording: false

    height: 44
    bold: true
    borderColor: Theme.red
    baseColor: root.recording ? Theme.control : Theme.red
    textColor: root.recording ? Theme.text : Theme.textOnRed
    icon: root.recording ? "stop" : "record"
    iconSize: 16
}
