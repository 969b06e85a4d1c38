pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import "."

// A drop-down of {id, name} items showing the item whose id is currentId. Choosing another
// item emits picked(id); the selection itself comes back through currentId.
ComboBox {
    id: root

    property var items: []
    property string currentId: ""
    property string placeholder: "—"
    property int listMaxHeight: 320
    readonly property int currentItemIndex: root.indexOfId(root.currentId)

    signal picked(string id)

    function indexOfId(id) {
        const list = root.items
        if (!list)
            return -1
        for (let i = 0; i < list.length; ++i) {
            if (list[i] && String(list[i].id) === id)
                return i
        }
        return -1
    }

    function itemName(i) {
        const list = root.items
        return list && i >= 0 && i < list.length && list[i] ? String(list[i].name) : ""
    }

    // The popup's own choice must not stick: the shown item follows currentId only.
    function followCurrentId() {
        root.currentIndex = Qt.binding(() => root.currentItemIndex)
    }

    model: root.items
    textRole: "name"
    currentIndex: root.currentItemIndex
    displayText: root.currentItemIndex >= 0 ? root.itemName(root.currentItemIndex) : root.placeholder
    implicitHeight: 40
    implicitWidth: 200
    font.family: Theme.sans
    font.pixelSize: 13
    focusPolicy: Qt.TabFocus
    leftPadding: 12
    rightPadding: 30

    onActivated: (index) => {
        const list = root.items
        const id = list && index >= 0 && index < list.length && list[index] ? String(list[index].id) : ""
        root.followCurrentId()
        if (index >= 0 && id !== root.currentId)
            root.picked(id)
    }

    Accessible.name: root.displayText

    background: Rectangle {
        radius: 8
        color: root.hovered ? Theme.controlHover : Theme.control
        border.color: Theme.controlBorder

        FocusRing {
            baseRadius: 8
            shown: root.activeFocus
        }
    }

    contentItem: Text {
        textFormat: Text.PlainText
        text: root.displayText
        font: root.font
        color: root.currentItemIndex >= 0 ? Theme.text : Theme.text2
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    indicator: Icon {
        x: root.width - width - 10
        y: (root.height - height) / 2
        name: "chevronDown"
        size: 16
        color: Theme.text3
    }

    delegate: ItemDelegate {
        id: entry

        required property var modelData
        required property int index

        width: ListView.view ? ListView.view.width : 320
        height: 36
        leftPadding: 10
        rightPadding: 10
        highlighted: root.highlightedIndex === entry.index
        hoverEnabled: true

        contentItem: Text {
            textFormat: Text.PlainText
            text: entry.modelData && entry.modelData.name !== undefined ? String(entry.modelData.name) : ""
            font: root.font
            color: entry.index === root.currentItemIndex ? Theme.amber : Theme.text
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        background: Rectangle {
            radius: 6
            color: entry.hovered || entry.highlighted ? Theme.trackOff : "transparent"
        }
    }

    popup: Popup {
        y: root.height + 4
        width: Math.max(320, root.width)
        implicitHeight: Math.min(root.listMaxHeight, contentItem.implicitHeight + 8)
        padding: 4

        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: root.popup.visible ? root.delegateModel : null
            currentIndex: root.highlightedIndex
            boundsBehavior: Flickable.StopAtBounds
        }

        background: Rectangle {
            color: Theme.control
            border.color: Theme.frame
            radius: 8
        }
    }
}
