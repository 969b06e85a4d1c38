pragma ComponentBehavior: Bound
import QtQuick
import "."

// Switches Windows microphones and outputs into the mixer. Switching on applies at once and
// hands over to the new row's routes; switching off first asks in the row, one row at a time,
// because the row's settings are lost with it. Applications are never added here: they appear
// by themselves when they play sound.
Dialog {
    id: root

    property string tab: "inputs"
    // The endpoint whose row asks whether to remove it ("" when none asks).
    property string confirmingId: ""
    readonly property bool inputs: root.tab === "inputs"

    // qmllint disable unqualified
    readonly property var backend: qv
    // qmllint enable unqualified
    // Read only while shown: the lists are new on every change of the mixer, and a hidden
    // window should not rebuild its rows for each of them.
    readonly property var entries: !root.visible ? []
                                   : (root.inputs ? root.backend.inputsList : root.backend.outputsList) || []

    signal deviceAdded(string id)
    signal micAdded(string id)

    function openTab(tab, over) {
        root.tab = tab === "outputs" ? "outputs" : "inputs"
        root.confirmingId = ""
        root.openOver(over)
    }

    function pickTab(tab) {
        root.tab = tab
        root.confirmingId = ""
        root.bodyFlick.contentY = 0
    }

    function titleOf(entry) {
        const label = entry.label ? String(entry.label) : ""
        return label !== "" ? label : String(entry.name || "")
    }

    function subOf(entry) {
        const label = entry.label ? String(entry.label) : ""
        return (label !== "" ? String(entry.name || "") + " · " : "") + String(entry.sub || "")
    }

    function switchOn(entry) {
        const id = String(entry.endpointId)
        root.confirmingId = ""
        if (root.inputs) {
            root.backend.setInputAdded(id, true)
            root.micAdded("in:" + id)
        } else {
            root.backend.setOutputAdded(id, true)
            root.deviceAdded("out:" + id)
        }
    }

    function remove(entry) {
        const id = String(entry.endpointId)
        root.confirmingId = ""
        if (root.inputs)
            root.backend.setInputAdded(id, false)
        else
            root.backend.setOutputAdded(id, false)
    }

    objectName: "addDialog"
    title: "Добавить — QUORVEL"
    dialogWidth: 640
    maxBodyHeight: 520
    heading: "Добавить"
    subheading: root.inputs ? "микрофоны и входы Windows" : "наушники, колонки и другие выходы Windows"

    onVisibleChanged: {
        if (!root.visible)
            root.confirmingId = ""
    }

    Segmented {
        objectName: "addTabs"
        options: [
            { value: "inputs", label: "Микрофоны" },
            { value: "outputs", label: "Наушники и колонки" }
        ]
        value: root.tab
        onPicked: (value) => root.pickTab(String(value))
    }

    Text {
        textFormat: Text.PlainText
        width: parent ? parent.width : 0
        text: root.inputs
              ? "Микрофон или линейный вход становится каналом в главном окне. Сразу после добавления выберите, в какие приложения идёт голос."
              : "Наушники, колонки, гарнитуры, мониторы. Устройство появится в «Источниках» справа от каналов; сразу после добавления выберите, что на нём играет."
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
        wrapMode: Text.Wrap
    }

    // The lists are new on every change of the mixer; counted rows that read their entry keep
    // their items (and hover) instead of being made again each time.
    Repeater {
        model: root.entries.length

        delegate: AddRow {
            id: row

            required property int index
            readonly property var modelData: root.entries[row.index] || ({})
            readonly property string endpointId: String(row.modelData.endpointId)

            objectName: "addRow:" + row.endpointId
            width: parent ? parent.width : 0
            icon: root.inputs ? "mic" : "headphones"
            title: root.titleOf(row.modelData)
            sub: root.subOf(row.modelData)
            checked: row.modelData.on === true
            confirming: root.confirmingId === row.endpointId
            confirmText: root.inputs
                         ? "Убрать канал «" + row.title + "»? Его громкость, обработка и метки будут потеряны."
                         : "Убрать «" + row.title + "» из QUORVEL? Его громкость и выбранные звуки будут потеряны."
            onToggled: (on) => {
                if (on)
                    root.switchOn(row.modelData)
                else
                    root.confirmingId = row.endpointId
            }
            onConfirmed: root.remove(row.modelData)
            onCancelled: root.confirmingId = ""
        }
    }

    Text {
        textFormat: Text.PlainText
        visible: root.inputs && root.entries.length === 0
        width: parent ? parent.width : 0
        text: "Windows не сообщает ни об одном микрофоне или входе."
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
        wrapMode: Text.Wrap
    }

    Text {
        textFormat: Text.PlainText
        visible: !root.inputs
        width: parent ? parent.width : 0
        text: "«QUORVEL» и «QUORVEL Mic» здесь нет: это сам QUORVEL. Голос микрофона в приложения — кнопка «Куда идёт голос» на канале микрофона."
        font.family: Theme.sans
        font.pixelSize: 11
        color: Theme.text2
        wrapMode: Text.Wrap
    }
}
