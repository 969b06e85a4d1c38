import QtQuick
import QtQuick.Controls.Basic
import "."

// A one-line text field, 40 px, taking at most `maxLength` characters; Enter emits accepted().
// The border is amber while it has focus, or always with `highlighted`.
TextField {
    id: root

    property bool highlighted: false
    property int maxLength: 40

    implicitWidth: 300
    implicitHeight: 40
    leftPadding: 12
    rightPadding: 12
    maximumLength: root.maxLength
    verticalAlignment: TextInput.AlignVCenter
    font.family: Theme.sans
    font.pixelSize: 13
    color: Theme.text
    selectionColor: Theme.amber
    selectedTextColor: Theme.onAccent
    placeholderTextColor: Theme.text2

    background: Rectangle {
        radius: 8
        color: Theme.control
        border.color: root.highlighted || root.activeFocus ? Theme.amber : Theme.controlBorder
    }
}
