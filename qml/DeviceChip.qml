import QtQuick
import "."

// One output in the choice of where a source plays. A click asks for the route to be switched
// (toggled()); `on` comes back from the model. An output that is not available keeps its
// setting but shows red, its border blinking with the Backend.
Rectangle {
    id: root

    property string label
    property string sourceName
    property bool on: false
    property bool virt: false
    property bool ok: true
    property bool allMode: false
    property real maxWidth: 160

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property bool blink: root.backend ? Boolean(root.backend.blink) : false
    readonly property color accent: root.virt ? Theme.blue : Theme.amber
    readonly property alias hovered: area.containsMouse
    readonly property string route: root.sourceName + " → " + root.label
    readonly property string tipText: root.route
                                      + (root.allMode ? " · устройство в режиме «Весь звук»" : "")
                                      + (!root.ok ? " · недоступно, настройки сохранены" : "")
                                      + (root.on ? "\nНажмите, чтобы не воспроизводить здесь"
                                                 : "\nНажмите, чтобы воспроизводить здесь")

    signal toggled()

    implicitWidth: Math.min(root.maxWidth, Math.ceil(metrics.advanceWidth) + 16)
    implicitHeight: 30
    radius: 6
    color: root.ok ? (root.on ? root.accent : root.hovered ? Theme.controlHover : Theme.raised)
                   : (root.on ? Theme.redBg : Theme.raised)
    border.width: 1
    border.color: root.ok ? (root.on ? root.accent : Theme.controlBorder)
                          : (root.blink ? Theme.red : Theme.redDim)

    activeFocusOnTab: true
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true
            if (!event.isAutoRepeat)
                root.toggled()
        }
    }

    Accessible.role: Accessible.CheckBox
    Accessible.name: root.route + (root.allMode ? " (весь звук)" : "") + (!root.ok ? " (недоступно)" : "")
    Accessible.checkable: true
    Accessible.checked: root.on
    Accessible.onPressAction: root.toggled()
    Accessible.onToggleAction: root.toggled()

    TextMetrics {
        id: metrics

        font: caption.font
        text: root.label
    }

    Text {
        textFormat: Text.PlainText
        id: caption

        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        text: root.label
        font.family: Theme.sans
        font.pixelSize: 11
        font.weight: Font.DemiBold
        color: root.ok ? (root.on ? Theme.onAccent : Theme.text2) : (root.on ? Theme.redText : Theme.text2)
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    MouseArea {
        id: area

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: root.enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: root.toggled()
    }

    FocusRing {
        baseRadius: root.radius
        shown: root.activeFocus
    }

    Tip {
        text: root.tipText
        visible: root.hovered
    }
}
