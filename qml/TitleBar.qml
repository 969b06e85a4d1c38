pragma ComponentBehavior: Bound
import QtQuick
import "."

// The window's own title bar: drag to move, double-click to maximise, the auto-size switch and
// the three caption buttons drawn like the system's.
Rectangle {
    id: root

    required property Window window
    property bool autoSize: true
    property bool demo: false
    property bool trayAvailable: false
    readonly property bool maximized: root.window.visibility === Window.Maximized

    signal autoSizeToggled(bool on)

    function toggleMaximized() {
        if (root.maximized)
            root.window.showNormal()
        else
            root.window.showMaximized()
    }

    implicitHeight: 40
    color: Theme.panel

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Theme.panelBorder
    }

    // Dragging anywhere on the bar that is not a button moves the window. The move starts with
    // the drag rather than the press so that a double-click still reaches the tap handler.
    DragHandler {
        target: null
        acceptedButtons: Qt.LeftButton
        onActiveChanged: {
            if (active)
                root.window.startSystemMove()
        }
    }

    TapHandler {
        acceptedButtons: Qt.LeftButton
        onDoubleTapped: root.toggleMaximized()
    }

    Row {
        x: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        Icon {
            anchors.verticalCenter: parent.verticalCenter
            name: "logo"
            size: 18
            stroke: 2
            color: Theme.amber
        }

        Txt {
            anchors.verticalCenter: parent.verticalCenter
            text: "QUORVEL"
            bold: true
        }

        Txt {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.demo
            text: "· демо"
            font.pixelSize: 12
            color: Theme.text2
        }
    }

    Row {
        anchors.right: parent.right
        height: parent.height
        spacing: 8

        Btn {
            objectName: "autoSizeButton"
            anchors.verticalCenter: parent.verticalCenter
            height: 28
            radius: 6
            padding: 10
            fontSize: 12
            baseColor: "transparent"
            text: "Авторазмер"
            checked: root.autoSize
            tip: root.autoSize ? "Окно подстраивается под видимые каналы. Нажмите, чтобы задавать размер самому"
                               : "Размер окна задаёте вы. Нажмите, чтобы окно подстраивалось под каналы"
            onClicked: root.autoSizeToggled(!root.autoSize)
        }

        Row {
            height: parent.height

            CaptionButton {
                objectName: "minimizeButton"
                iconName: "minimize"
                label: "Свернуть окно"
                onActivated: root.window.showMinimized()
            }

            CaptionButton {
                objectName: "maximizeButton"
                iconName: root.maximized ? "restore" : "maximize"
                label: root.maximized ? "Восстановить" : "Развернуть окно"
                onActivated: root.toggleMaximized()
            }

            CaptionButton {
                objectName: "closeButton"
                iconName: "close"
                danger: true
                label: root.trayAvailable ? "Свернуть в трей" : "Закрыть"
                onActivated: root.window.close()
            }
        }
    }
}
