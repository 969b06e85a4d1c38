pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Window
import "."

// The base of every modal window: a separate frameless window kept above the main window,
// created once and hidden until opened. A separate window lets a wide dialog fit even when the
// auto-sized main window is narrow. It does not block the main window: a press on the dimmed
// main window must reach it, which closes the dialogs. Closing only hides; every switch inside
// has already applied its change.
//
// Children go into the body column; `footerLeft` takes buttons for the footer's left side.
Window {
    id: root

    property Window mainWindow: null
    property string heading
    property string subheading
    property int dialogWidth: 860
    property int maxBodyHeight: 580
    property bool footer: true
    property string doneText: "Готово"
    property bool doneAccent: true
    property bool fitContent: false
    default property alias content: bodyColumn.data
    property alias footerLeft: footerLeftRow.data
    readonly property alias bodyFlick: body

    // Height of the available area of the main window's screen, taken when the dialog opens:
    // the window's height never follows anything else, so it does not jump while open.
    property int availableHeight: 0
    readonly property int bodyLimit: Math.max(200, Math.min(root.maxBodyHeight,
                                                            root.availableHeight - 44 - 64 - 60))
    readonly property int bodyHeight: root.fitContent
                                      ? Math.min(bodyColumn.implicitHeight + 32, root.bodyLimit)
                                      : root.bodyLimit

    // qmllint disable unqualified
    readonly property var windowTools: typeof qvWin !== "undefined" ? qvWin : null
    // qmllint enable unqualified

    function measure(over) {
        const tools = root.windowTools
        const ref = root.mainWindow ? root.mainWindow : over
        root.availableHeight = tools ? tools.available(ref).height : Screen.desktopAvailableHeight
    }

    function openOver(w) {
        root.measure(w)
        const tools = root.windowTools
        if (tools)
            tools.placeOver(root, w, root.dialogWidth, root.height)
        root.visible = true
        if (tools)
            tools.decorate(root)
        root.requestActivate()
        body.contentY = 0
    }

    flags: Qt.Dialog | Qt.FramelessWindowHint
    modality: Qt.NonModal
    transientParent: root.mainWindow
    color: Theme.panel
    visible: false
    width: root.dialogWidth
    height: 44 + root.bodyHeight + (root.footer ? 64 : 0) + 2

    // The platform's close (and QWindow::close() from the main window) only hides: the window
    // object and its state are kept for the next opening.
    onClosing: (close) => {
        close.accepted = false
        root.hide()
    }

    Component.onCompleted: root.measure(null)

    // The platform's cancel key closes this window only: the shortcut belongs to this window
    // and fires only while it has the focus.
    Shortcut {
        // qmllint disable unqualified
        sequences: [StandardKey.Cancel]
        // qmllint enable unqualified
        context: Qt.WindowShortcut
        onActivated: root.close()
    }

    Item {
        id: frameContent

        anchors.fill: parent
        anchors.margins: 1

        Rectangle {
            id: header

            objectName: "dialogHeader"
            width: parent.width
            height: 44
            color: Theme.header

            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Theme.panelBorder
            }

            // Pressing anywhere on the header that is not a button moves the window.
            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.LeftButton
                onPressed: root.startSystemMove()
            }

            Text {
                id: headingText

                objectName: "dialogHeading"
                x: 16
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, Math.max(0, header.width - 16 - 48 - 8))
                text: root.heading
                textFormat: Text.PlainText
                font.family: Theme.sans
                font.pixelSize: 14
                font.weight: Font.DemiBold
                color: Theme.text
                elide: Text.ElideMiddle

                HoverHandler {
                    id: headingHover
                }

                Tip {
                    text: root.heading
                    visible: headingHover.hovered && headingText.truncated
                }
            }

            Text {
                readonly property real room: header.width - 48 - 8 - x

                objectName: "dialogSubheading"
                x: headingText.x + headingText.width + 10
                anchors.verticalCenter: parent.verticalCenter
                width: Math.max(0, room)
                visible: root.subheading !== "" && room > 80
                text: root.subheading
                textFormat: Text.PlainText
                font.family: Theme.sans
                font.pixelSize: 12
                color: Theme.text2
                elide: Text.ElideRight
            }

            Rectangle {
                id: closeButton

                objectName: "dialogClose"
                anchors.right: parent.right
                width: 48
                height: 44
                color: closeMouse.containsMouse ? "#1AFFFFFF" : "transparent"
                activeFocusOnTab: true
                Keys.onPressed: (event) => {
                    if (event.key === Qt.Key_Space || event.key === Qt.Key_Return
                            || event.key === Qt.Key_Enter) {
                        event.accepted = true
                        if (!event.isAutoRepeat)
                            root.close()
                    }
                }
                Accessible.role: Accessible.Button
                Accessible.name: "Закрыть окно"
                Accessible.onPressAction: root.close()

                Icon {
                    anchors.centerIn: parent
                    name: "close"
                    size: 14
                    stroke: 1.4
                    color: Theme.text3
                }

                MouseArea {
                    id: closeMouse

                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: root.close()
                }

                FocusRing {
                    baseRadius: 0
                    shown: closeButton.activeFocus
                }
            }
        }

        Flickable {
            id: body

            objectName: "dialogBody"
            y: header.height
            width: parent.width
            height: root.bodyHeight
            clip: true
            contentWidth: width
            contentHeight: bodyColumn.implicitHeight + 32
            interactive: body.contentHeight > body.height
            boundsBehavior: Flickable.StopAtBounds

            Column {
                id: bodyColumn

                x: 16
                y: 16
                width: body.width - 32
                spacing: 12
            }
        }

        Rectangle {
            id: footerBar

            objectName: "dialogFooter"
            visible: root.footer
            y: body.y + body.height
            width: parent.width
            height: root.footer ? 64 : 0
            color: Theme.header

            Rectangle {
                width: parent.width
                height: 1
                color: Theme.panelBorder
            }

            Row {
                id: footerLeftRow

                x: 16
                anchors.verticalCenter: parent.verticalCenter
                spacing: 8
            }

            Btn {
                objectName: "dialogDone"
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                padding: 18
                text: root.doneText
                checked: root.doneAccent
                accent: Theme.amber
                onClicked: root.close()
            }
        }
    }

    // The body's scroll bar, drawn only while there is something to scroll.
    Rectangle {
        objectName: "dialogScrollBar"
        visible: body.interactive
        x: root.width - 7
        y: 45 + body.visibleArea.yPosition * body.height
        width: 4
        height: body.visibleArea.heightRatio * body.height
        radius: 2
        color: Theme.outline
    }

    // The frame lies over everything.
    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.width: 1
        border.color: Theme.frame
    }
}
