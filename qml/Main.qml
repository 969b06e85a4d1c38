pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Window
import "."

// The main window: frameless, with its own title bar, hidden to the tray when closed, placed
// where it was last time. The body holds the mixer; until it is there, the engine status.
Window {
    id: root

    // The native objects come from start-up as context properties.
    // qmllint disable unqualified
    readonly property var backend: qv
    readonly property var windowTools: qvWin
    readonly property var tray: qvTray
    readonly property bool startMinimized: qvStartMinimized
    readonly property bool screenshots: qvScreenshots
    // qmllint enable unqualified

    // The caption buttons look like the system's own: a faint hover, a red one for close.
    readonly property color captionHover: "#1AFFFFFF"
    readonly property color closeHover: "#C42B1C"
    readonly property color closeHoverIcon: "#FFFFFF"

    // Missing from the settings means on.
    readonly property bool autoSize: !(root.backend.settings
                                       && root.backend.settings.autoSizeWindow === false)
    readonly property bool maximized: root.visibility === Window.Maximized
    // The modal dialogs shown over the window; each has close() and visible.
    property var dialogs: []
    readonly property int openDialogs: {
        let n = 0
        for (let i = 0; i < root.dialogs.length; ++i) {
            if (root.dialogs[i].visible)
                ++n
        }
        return n
    }

    function closeDialogs() {
        for (let i = 0; i < root.dialogs.length; ++i)
            root.dialogs[i].close()
    }

    function toggleMaximized() {
        if (root.maximized)
            root.showNormal()
        else
            root.showMaximized()
    }

    function savePlace() {
        root.windowTools.save(root, root.autoSize)
    }

    objectName: "mainWindow"
    title: "QUORVEL"
    flags: Qt.Window | Qt.FramelessWindowHint
    color: Theme.bg
    minimumWidth: 440
    minimumHeight: 240
    width: 1100
    height: 700
    visible: false

    onClosing: (close) => {
        root.savePlace()
        // The sound keeps working in the tray; "Выход" in the tray menu ends the program.
        if (root.tray.available && !root.tray.quitting && !root.screenshots) {
            close.accepted = false
            root.hide()
            root.tray.hiddenToTray()
        }
    }

    // Level meters cost a timer and repaints; nobody sees them while the window is away.
    onVisibilityChanged: {
        if (root.backend.meters)
            root.backend.meters.running = root.visibility !== Window.Minimized
                                          && root.visibility !== Window.Hidden
    }

    // The place is saved once the window has stopped moving (or being resized by hand).
    onXChanged: placeTimer.restart()
    onYChanged: placeTimer.restart()
    onWidthChanged: {
        if (!root.autoSize)
            placeTimer.restart()
    }
    onHeightChanged: {
        if (!root.autoSize)
            placeTimer.restart()
    }

    Component.onCompleted: {
        root.windowTools.restore(root, false, 1100, 700)
        // Started with Windows: only the tray icon, or a minimised window without a tray.
        if (!root.startMinimized)
            root.show()
        else if (!root.tray.available)
            root.showMinimized()
        root.windowTools.decorate(root)
    }

    Timer {
        id: placeTimer

        interval: 600
        onTriggered: root.savePlace()
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.bg
        border.width: root.maximized ? 0 : 1
        border.color: Theme.frame
    }

    Item {
        id: content

        anchors.fill: parent
        anchors.margins: root.maximized ? 0 : 1

        Rectangle {
            id: titleBar

            width: parent.width
            height: 40
            color: Theme.panel

            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Theme.panelBorder
            }

            DragHandler {
                target: null
                acceptedButtons: Qt.LeftButton
                onActiveChanged: {
                    if (active)
                        root.startSystemMove()
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
                    visible: root.backend.demo
                    text: "· демо"
                    font.pixelSize: 12
                    color: Theme.text2
                }
            }

            Row {
                anchors.right: parent.right
                height: parent.height

                Repeater {
                    model: 3

                    delegate: Rectangle {
                        id: winButton

                        required property int index
                        readonly property bool danger: winButton.index === 2
                        readonly property string iconName: winButton.index === 0 ? "minimize"
                                                          : winButton.index === 2 ? "close"
                                                          : root.maximized ? "restore" : "maximize"
                        readonly property string label: winButton.index === 0 ? "Свернуть окно"
                                                      : winButton.index === 1
                                                        ? (root.maximized ? "Восстановить" : "Развернуть окно")
                                                      : root.tray.available ? "Свернуть в трей" : "Закрыть"

                        function activate() {
                            if (winButton.index === 0)
                                root.showMinimized()
                            else if (winButton.index === 1)
                                root.toggleMaximized()
                            else
                                root.close()
                        }

                        width: 44
                        height: 40
                        color: !buttonMouse.containsMouse ? "transparent"
                               : winButton.danger ? root.closeHover : root.captionHover

                        Accessible.role: Accessible.Button
                        Accessible.name: winButton.label
                        Accessible.onPressAction: winButton.activate()

                        Icon {
                            anchors.centerIn: parent
                            name: winButton.iconName
                            size: 14
                            stroke: 1.3
                            color: winButton.danger && buttonMouse.containsMouse ? root.closeHoverIcon : Theme.text3
                        }

                        MouseArea {
                            id: buttonMouse

                            anchors.fill: parent
                            hoverEnabled: true
                            onClicked: winButton.activate()
                        }
                    }
                }
            }
        }

        Item {
            id: body

            anchors.top: titleBar.bottom
            anchors.bottom: parent.bottom
            width: parent.width
            clip: true

            Txt {
                anchors.centerIn: parent
                width: Math.min(implicitWidth, parent.width - 24)
                text: root.backend.status
                color: Theme.text2
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
            }
        }
    }

    // While a dialog is open the window is dimmed and takes no input; a press closes them all.
    Rectangle {
        anchors.fill: parent
        visible: root.openDialogs > 0
        color: Theme.dim

        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            acceptedButtons: Qt.AllButtons
            onPressed: root.closeDialogs()
        }
    }

    Toast {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
    }
}
