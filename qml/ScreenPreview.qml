import QtQuick
import "."

// The live picture of the screen recorder: the capture tool's last frame through the
// "qvpreview" image provider, the state while there is none, a note over it, and the REC pill.
Rectangle {
    id: root

    property bool recording: false
    property bool hasTarget: false
    property string time

    // qmllint disable unqualified
    readonly property var recorder: typeof qvRec !== "undefined" ? qvRec : null
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property bool ready: root.recorder !== null && root.recorder.previewReady === true
    readonly property string note: root.recorder ? String(root.recorder.previewNote || "") : ""

    width: 512
    height: 288
    radius: 3
    color: "black"
    border.color: root.recording ? Theme.red : Theme.border
    clip: true

    Image {
        objectName: "previewImage"
        anchors.fill: parent
        anchors.margins: 1
        visible: root.ready
        // A new serial is a new frame: the URL changes, and nothing may come from a cache.
        source: root.ready ? "image://qvpreview/" + root.recorder.previewSerial : ""
        cache: false
        asynchronous: false
        smooth: true
        fillMode: Image.PreserveAspectFit
    }

    Column {
        anchors.centerIn: parent
        visible: !root.ready && root.note === ""
        spacing: 8

        Icon {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "screen"
            size: 28
            color: Theme.text2
        }

        Txt {
            objectName: "previewState"
            anchors.horizontalCenter: parent.horizontalCenter
            font.pixelSize: 12
            color: Theme.text2
            text: root.hasTarget ? "Подключаемся к картинке…" : "Выберите экран или окно справа"
        }
    }

    Rectangle {
        objectName: "previewNote"
        visible: root.note !== ""
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 8
        height: noteText.implicitHeight + 16
        radius: 6
        color: "#E6141518"
        border.color: Theme.amber

        Text {
            id: noteText

            x: 10
            y: 8
            width: parent.width - 20
            text: root.note
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.family: Theme.sans
            font.pixelSize: 12
            color: Theme.amber
        }
    }

    Rectangle {
        objectName: "recPill"
        visible: root.recording
        x: 10
        y: 10
        width: pillRow.implicitWidth + 20
        height: 24
        radius: 12
        color: "#CC141518"

        Row {
            id: pillRow

            anchors.centerIn: parent
            spacing: 6

            Rectangle {
                anchors.verticalCenter: parent.verticalCenter
                width: 8
                height: 8
                radius: 4
                color: root.backend && root.backend.blink ? Theme.red : Theme.redDim
            }

            Txt {
                anchors.verticalCenter: parent.verticalCenter
                mono: true
                bold: true
                font.pixelSize: 11
                text: "REC " + root.time
            }
        }
    }
}
