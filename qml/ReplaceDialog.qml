pragma ComponentBehavior: Bound
import QtQuick
import "."

// Hot replacement: a microphone or an output moves to another Windows device of the same kind
// and keeps every setting. There are no switches: a click on a device chooses it.
Dialog {
    id: root

    property string targetId: ""
    readonly property bool mic: root.targetId.startsWith("in:")

    // qmllint disable unqualified
    readonly property var backend: qv
    // qmllint enable unqualified

    readonly property int revision: root.backend.revision
    readonly property var row: root.rowOf(root.mic ? root.backend.sources : root.backend.devices,
                                          root.targetId, root.revision)
    // Asked for only while shown, so a hidden window costs no look-up on every change.
    readonly property var candidates: root.visible ? root.candidatesOf(root.targetId, root.revision) : []

    function rowOf(model, id, revision) {
        if (!model || id === "")
            return null
        const i = model.indexOf(id)
        return i >= 0 ? model.get(i) : null
    }

    function candidatesOf(id, revision) {
        return id === "" ? [] : (root.backend.replaceCandidates(id) || [])
    }

    function showFor(id, over) {
        root.targetId = String(id)
        root.openOver(over)
    }

    function pick(endpointId) {
        root.backend.replaceEndpoint(root.targetId, endpointId)
        root.close()
    }

    objectName: "replaceDialog"
    title: "Заменить — QUORVEL"
    dialogWidth: 560
    maxBodyHeight: 460
    doneText: "Отмена"
    doneAccent: false
    heading: root.mic ? "Заменить микрофон" : "Заменить наушники или колонки"
    subheading: root.row ? "«" + String(root.row.name) + "»" : ""

    Text {
        textFormat: Text.PlainText
        width: parent ? parent.width : 0
        text: root.mic
              ? "Выберите другой микрофон — громкость, обработка, изменение голоса и куда идёт голос перейдут на него. Звук переключится сразу."
              : "Выберите другие наушники или колонки — громкость, эквалайзер и что на них играет перейдут на них. Звук переключится сразу."
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
        wrapMode: Text.Wrap
    }

    Repeater {
        model: root.candidates.length

        delegate: PickRow {
            id: candidate

            required property int index
            readonly property var modelData: root.candidates[candidate.index] || ({})

            objectName: "candidate:" + String(candidate.modelData.endpointId)
            width: parent ? parent.width : 0
            icon: root.mic ? "mic" : "headphones"
            title: String(candidate.modelData.name || "")
            sub: String(candidate.modelData.sub || "")
            onPicked: root.pick(String(candidate.modelData.endpointId))
        }
    }

    Text {
        textFormat: Text.PlainText
        objectName: "noCandidates"
        visible: root.candidates.length === 0
        width: parent ? parent.width : 0
        text: root.mic ? "Других микрофонов в Windows нет (или они уже добавлены)."
                       : "Других наушников и колонок в Windows нет (или они уже добавлены)."
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
        wrapMode: Text.Wrap
    }
}
