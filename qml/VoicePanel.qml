pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Basic
import "."

// The voice changer of one microphone: its switch, the catalogue of voices to search and pick
// from, and the pitch. It stands on its own (the voice window and the settings page both show
// it): with `micId` set it follows that microphone, otherwise the one at `micIndex`, which its
// own list lets the user change.
Column {
    id: root

    property string micId: ""
    property int micIndex: 0
    property string query: ""
    property string category: ""
    property real listHeight: 300

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    readonly property var mics: root.backend && root.backend.mics ? root.backend.mics : []
    readonly property var mic: root.findMic(root.mics, root.micId, root.micIndex)
    readonly property string currentMicId: root.mic ? String(root.mic.id) : ""
    readonly property var presets: root.backend ? root.backend.voicePresets : []
    readonly property var shownPresets: Theme.filterPresets(root.presets, root.query, root.category,
        (p) => p.name + " " + p.hint + " " + p.category)
    readonly property var chips: root.chipsOf(root.backend ? root.backend.voiceCategories : [])
    readonly property var micChoices: root.mics.map((m, i) => ({ id: String(i), name: "Микрофон: " + m.name }))
    readonly property bool viaDriver: !!root.backend && root.backend.voiceViaDriver === true

    function findMic(list, id, index) {
        if (id !== "") {
            for (let i = 0; i < list.length; ++i) {
                if (String(list[i].id) === id)
                    return list[i]
            }
            return null
        }
        if (list.length === 0)
            return null
        return list[Math.max(0, Math.min(index, list.length - 1))]
    }

    function chipsOf(names) {
        const out = [{ id: "", name: "Все" }]
        for (let i = 0; names && i < names.length; ++i)
            out.push({ id: String(names[i]), name: String(names[i]) })
        return out
    }

    function presetName(id) {
        for (let i = 0; i < root.presets.length; ++i) {
            if (root.presets[i].id === id)
                return String(root.presets[i].name)
        }
        return ""
    }

    // Never without a microphone: the Backend reads an empty id as "every microphone".
    function sendVoice(fields) {
        if (root.currentMicId !== "")
            root.backend.setVoice(root.currentMicId, fields)
    }

    spacing: 12

    Text {
        textFormat: Text.PlainText
        width: root.width
        visible: !root.mic
        text: "Микрофонов нет. Добавьте его: «Добавить» → «Микрофоны»."
        wrapMode: Text.Wrap
        font.family: Theme.sans
        font.pixelSize: 13
        color: Theme.text2
    }

    Combo {
        objectName: "voiceMicCombo"
        width: root.width
        visible: root.micId === "" && root.mics.length > 1
        items: root.micChoices
        currentId: String(Math.max(0, Math.min(root.micIndex, root.mics.length - 1)))
        onPicked: (id) => root.micIndex = Number(id)
    }

    AddRow {
        objectName: "voiceSwitch"
        width: root.width
        visible: !!root.mic
        icon: "voice"
        checked: !!root.mic && root.mic.voiceOn === true
        title: "Изменение голоса" + " · " + (root.mic ? root.mic.name : "")
        sub: root.mic && root.mic.voiceOn
             ? "Включено: " + root.presetName(String(root.mic.preset)) + " — собеседники слышат изменённый голос"
             : "Выключено"
        onToggled: (on) => root.sendVoice({ on: on })
    }

    SearchField {
        objectName: "voiceSearch"
        width: root.width
        visible: !!root.mic
        text: root.query
        placeholder: "Поиск: робот, эхо, низкий, монстр…"
        accessibleName: "Поиск голоса"
        onEdited: (t) => root.query = t
    }

    CategoryChips {
        objectName: "voiceChips"
        width: root.width
        visible: !!root.mic
        options: root.chips
        current: root.category
        onPicked: (id) => root.category = id
    }

    PresetGrid {
        id: voiceGrid

        objectName: "voicePresetGrid"
        width: root.width
        height: root.listHeight
        visible: !!root.mic
        columns: 3
        cellHeight: 62
        model: root.shownPresets
        delegate: VoicePresetCard {
            required property var modelData

            width: voiceGrid.cellWidth
            height: voiceGrid.cellHeight
            preset: modelData
            selected: !!root.mic && String(root.mic.preset) === String(modelData.id)
            onClicked: root.sendVoice({ on: true, preset: String(modelData.id), pitch: Number(modelData.pitch) })
        }
    }

    Item {
        width: root.width
        height: 32
        visible: !!root.mic

        Text {
            textFormat: Text.PlainText
            anchors.verticalCenter: parent.verticalCenter
            text: "Высота"
            font.family: Theme.sans
            font.pixelSize: 13
            color: Theme.text3
        }

        HSlider {
            id: pitchSlider

            objectName: "voicePitch"
            x: 70
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, parent.width - 220)
            from: -12
            to: 12
            stepSize: 0.5
            snapMode: Slider.SnapAlways
            centered: true
            accent: Theme.amber
            modelValue: root.mic ? Number(root.mic.pitch) || 0 : 0
            Accessible.name: "Высота голоса"
            onUserMoved: (v) => root.sendVoice({ pitch: v })
            onUserCommitted: (v) => root.sendVoice({ pitch: v })
        }

        Text {
            textFormat: Text.PlainText
            objectName: "voicePitchText"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: Theme.pitchText(pitchSlider.pressed ? pitchSlider.value : pitchSlider.modelValue)
            font.family: Theme.mono
            font.pixelSize: 12
            color: Theme.text
        }
    }

    Text {
        textFormat: Text.PlainText
        objectName: "voiceNote"
        width: root.width
        text: (root.viaDriver ? "" : "Виртуальный микрофон не настроен: изменённый голос пока слышите только вы (кнопка с наушниками на канале микрофона — «Слышать себя»), приложения записывают сам микрофон. Настроить: «Настройки» → «Голос» → «Виртуальный микрофон». ")
              + "Пока голос изменяется, микрофон звучит на ≈15 мс позже. Включать и выключать можно горячей клавишей: «Настройки» → «Клавиши». "
              + "Голосов реальных людей здесь нет: эффект меняет высоту и тембр, а не превращает в конкретного человека."
        wrapMode: Text.Wrap
        font.family: Theme.sans
        font.pixelSize: 11
        color: root.viaDriver ? Theme.text2 : Theme.amber
    }
}
