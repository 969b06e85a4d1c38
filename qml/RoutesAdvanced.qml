import QtQuick
import QtQuick.Controls.Basic
import "."

// The routes window's advanced part for one device: the "Дополнительно" line with the measured
// output latency, and when open the time alignment, exclusive mode and the device's own
// latency, which lets the other devices be delayed to sound together with it.
Column {
    id: root

    property var device: null
    property bool open: false
    readonly property string deviceId: root.device ? String(root.device.id) : ""
    readonly property real latencyMs: root.device && root.device.latencyMs !== undefined ? Number(root.device.latencyMs) : -1
    readonly property real ownLatency: root.device ? Number(root.device.latencyCompMs) || 0 : 0

    // qmllint disable unqualified
    readonly property var backend: qv
    // qmllint enable unqualified

    signal openToggled()

    spacing: 4

    Item {
        objectName: "routesAdvancedLine"
        width: root.width
        height: 32

        Row {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6

            Txt {
                anchors.verticalCenter: parent.verticalCenter
                text: "Дополнительно"
                font.pixelSize: 12
                color: lineMouse.containsMouse ? Theme.text : Theme.text2
            }

            Icon {
                anchors.verticalCenter: parent.verticalCenter
                name: root.open ? "chevronUp" : "chevronDown"
                size: 14
                color: Theme.text2
            }

            Txt {
                anchors.verticalCenter: parent.verticalCenter
                visible: root.latencyMs >= 0
                leftPadding: 10
                text: "· задержка вывода " + Theme.num(root.latencyMs) + " мс"
                font.pixelSize: 12
                color: Theme.text2
            }
        }

        MouseArea {
            id: lineMouse

            width: 140
            height: parent.height
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: root.openToggled()
        }
    }

    Column {
        objectName: "routesAdvanced"
        visible: root.open
        width: root.width
        spacing: 4

        Check {
            width: parent.width
            height: 30
            boxSize: 16
            fontSize: 12
            text: "Выравнивать по времени с другими устройствами"
            checked: root.device ? root.device.align === true : false
            onToggled: (on) => root.backend.setDevice(root.deviceId, { align: on })
        }

        Check {
            width: parent.width
            height: 30
            boxSize: 16
            fontSize: 12
            text: "Монопольный режим (меньше задержка, другие программы не играют сюда)"
            checked: root.device ? root.device.exclusiveMode === true : false
            onToggled: (on) => root.backend.setDevice(root.deviceId, { exclusiveMode: on })
        }

        Item {
            width: parent.width
            height: 34

            Txt {
                anchors.verticalCenter: parent.verticalCenter
                text: "Собственная задержка устройства"
                font.pixelSize: 12
                color: Theme.text3
            }

            HSlider {
                x: 230
                anchors.verticalCenter: parent.verticalCenter
                width: Math.max(0, parent.width - 300)
                from: 0
                to: 300
                stepSize: 5
                snapMode: Slider.SnapAlways
                accent: Theme.amber
                modelValue: root.ownLatency
                Accessible.name: "Собственная задержка устройства"
                onUserMoved: (v) => root.backend.setDevice(root.deviceId, { latencyCompMs: v }, true)
                onUserCommitted: (v) => root.backend.setDevice(root.deviceId, { latencyCompMs: v })
            }

            Txt {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                mono: true
                text: Theme.num(root.ownLatency, 0) + " мс"
                font.pixelSize: 12
                color: Theme.text3
            }
        }

        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: "Собственная задержка — для Bluetooth и некоторых USB-устройств: насколько позже они звучат, чтобы QUORVEL подогнал остальные."
            font.family: Theme.sans
            font.pixelSize: 11
            color: Theme.text2
            wrapMode: Text.Wrap
        }
    }
}
