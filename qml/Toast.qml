import QtQuick
import "."

// The Backend's short message at the bottom of the window (qv.toast). It fades in and out;
// the last text stays on it while it fades out.
Rectangle {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property string message: root.backend && root.backend.toast ? String(root.backend.toast) : ""
    readonly property real hostWidth: root.parent ? root.parent.width : 600
    property string shownText: root.message

    width: Math.min(label.implicitWidth + 32, root.hostWidth - 48)
    height: label.height + 20
    radius: 8
    color: Theme.tipFill
    border.color: Theme.frame
    opacity: root.message !== "" ? 1 : 0
    visible: root.opacity > 0

    onMessageChanged: {
        if (root.message !== "")
            root.shownText = root.message
    }

    Behavior on opacity {
        NumberAnimation { duration: 150 }
    }

    Accessible.role: Accessible.AlertMessage
    Accessible.name: root.shownText

    Text {
        textFormat: Text.PlainText
        id: label

        anchors.centerIn: parent
        width: root.width - 32
        text: root.shownText
        font.family: Theme.sans
        font.pixelSize: 13
        color: Theme.text
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
}
