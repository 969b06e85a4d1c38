import QtQuick
import QtQuick.Controls.Basic
import "."

// The tooltip of every control. The owner shows it (visible: hovered && text !== "").
ToolTip {
    id: root

    delay: 500
    timeout: 8000
    padding: 8

    contentItem: Text {
        textFormat: Text.PlainText
        text: root.text
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text
        wrapMode: Text.Wrap
    }

    background: Rectangle {
        color: Theme.tipFill
        border.color: Theme.frame
        radius: 6
    }
}
