pragma ComponentBehavior: Bound
import QtQuick
import "."

// The equaliser of one output: the curve as heard with ten band sliders under it, and the
// catalogue of ready settings to search and pick from. Every change applies at once.
Dialog {
    id: root

    property string deviceId
    property string query: ""
    property string category: ""

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified

    // The device row, found again whenever the Backend's lists change; null once it is gone.
    readonly property var device: root.findDevice(root.deviceId, root.backend ? root.backend.revision : 0)
    readonly property var bands: root.bandsOf(root.device)
    readonly property var curve: root.device && root.backend ? root.backend.eqCurve(root.bands, 200) : []
    // The catalogue comes with its curves already drawn out; it is read once.
    readonly property var presets: root.backend ? root.backend.eqPresets : []
    readonly property var shownPresets: Theme.filterPresets(root.presets, root.query, root.category,
        (p) => p.name + " " + p.tags + " " + p.categoryName)
    readonly property var chips: [{ id: "", name: "Все" }].concat(root.backend ? root.backend.eqCategories : [])
    readonly property var bandHz: [31.25, 62.5, 125, 250, 500, 1000, 2000, 4000, 8000, 16000]
    readonly property var bandLabels: ["31", "62", "125", "250", "500", "1к", "2к", "4к", "8к", "16к"]

    function findDevice(id, revision) {
        const list = root.backend ? root.backend.devices : null
        if (!list || id === "")
            return null
        const i = list.indexOf(id)
        return i >= 0 ? list.get(i) : null
    }

    function bandsOf(row) {
        const out = [0, 0, 0, 0, 0, 0, 0, 0, 0, 0]
        const b = row ? row.eqBands : null
        for (let i = 0; b && i < 10 && i < b.length; ++i)
            out[i] = Number(b[i]) || 0
        return out
    }

    function showFor(id, over) {
        root.deviceId = String(id)
        root.openOver(over)
    }

    // Always all ten bands, the moved one replaced: a live stream of moves then merges into one
    // equaliser state instead of racing single-band edits.
    function moveBand(index, db, live) {
        if (!root.device)
            return
        const next = root.bands.slice()
        next[index] = db
        root.backend.setDevice(root.deviceId, { eq: { bands: next } }, live)
    }

    function pickPreset(id) {
        if (root.device)
            root.backend.setDevice(root.deviceId, { eq: { preset: id } })
    }

    function presetTip(p) {
        const parts = []
        for (let i = 0; i < 10; ++i)
            parts.push(root.bandLabels[i] + " " + Theme.db(p.bands[i]))
        return p.name + ": " + parts.join(" · ")
    }

    objectName: "eqDialog"
    title: "Эквалайзер — QUORVEL"
    heading: "Эквалайзер"
    subheading: root.device ? "«" + root.device.name + "» · " + root.device.eqPresetName : ""
    dialogWidth: 860
    maxBodyHeight: 720

    footerLeft: [
        Btn {
            objectName: "eqFlat"
            text: "Ровно"
            icon: "refresh"
            iconSize: 16
            enabled: !!root.device && root.device.eqOn === true
            tip: "Все точки — 0 дБ (эквалайзер выключен)"
            onClicked: root.pickPreset("flat")
        }
    ]

    Rectangle {
        id: graph

        objectName: "eqGraph"
        width: parent.width
        height: 150 + 186 + 12
        radius: 10
        color: Theme.well

        EqCurve {
            id: bigCurve

            objectName: "eqBigCurve"
            x: 10
            y: 10
            width: graph.width - 20
            height: 140
            grid: true
            lineWidth: 2.2
            points: root.curve
        }

        Text {
            textFormat: Text.PlainText
            x: 16
            y: 12
            text: "+12"
            font.family: Theme.mono
            font.pixelSize: 10
            color: Theme.scale
        }

        Text {
            textFormat: Text.PlainText
            x: 16
            y: 130
            text: "\u221212"
            font.family: Theme.mono
            font.pixelSize: 10
            color: Theme.scale
        }

        Repeater {
            model: 10

            Column {
                id: band

                required property int index
                readonly property real db: root.bands[band.index]
                readonly property real shown: slider.pressed ? slider.value : band.db

                objectName: "band" + band.index
                x: bigCurve.x + Math.log(root.bandHz[band.index] / 20) / Math.log(1000) * bigCurve.width - width / 2
                y: bigCurve.y + bigCurve.height + 6
                width: 46
                height: 186
                spacing: 6

                Text {
                    textFormat: Text.PlainText
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    text: Theme.db(band.shown)
                    font.family: Theme.mono
                    font.pixelSize: 11
                    color: band.shown !== 0 ? Theme.amber : Theme.text2
                }

                BandSlider {
                    id: slider

                    anchors.horizontalCenter: parent.horizontalCenter
                    height: 140
                    enabled: !!root.device
                    modelValue: band.db
                    Accessible.name: root.bandLabels[band.index] + " Гц"
                    onUserMoved: (v) => root.moveBand(band.index, v, true)
                    onUserCommitted: (v) => root.moveBand(band.index, v, false)
                }

                Text {
                    textFormat: Text.PlainText
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    text: root.bandLabels[band.index]
                    font.family: Theme.sans
                    font.pixelSize: 11
                    color: Theme.text3
                }
            }
        }
    }

    Text {
        textFormat: Text.PlainText
        width: parent.width
        text: "Двойной щелчок по ползунку — 0 дБ. Громкость сама снижается на самый большой подъём кривой — эквалайзер не перегружает звук; если стало тише, прибавьте фейдер устройства."
        wrapMode: Text.Wrap
        font.family: Theme.sans
        font.pixelSize: 11
        color: Theme.text2
    }

    Text {
        textFormat: Text.PlainText
        text: "ГОТОВЫЕ НАСТРОЙКИ · " + root.presets.length
        font.family: Theme.sans
        font.pixelSize: 11
        font.weight: Font.DemiBold
        font.letterSpacing: 0.8
        color: Theme.text2
    }

    SearchField {
        objectName: "eqSearch"
        width: parent.width
        text: root.query
        placeholder: "Поиск: шаги, CS2, бас, рок, ноутбук…"
        accessibleName: "Поиск настройки эквалайзера"
        onEdited: (t) => root.query = t
    }

    CategoryChips {
        objectName: "eqChips"
        width: parent.width
        options: root.chips
        current: root.category
        onPicked: (id) => root.category = id
    }

    PresetGrid {
        id: eqGrid

        objectName: "eqPresetGrid"
        width: parent.width
        height: 288
        columns: 4
        cellHeight: 92
        model: root.shownPresets
        delegate: EqPresetCard {
            required property var modelData

            width: eqGrid.cellWidth
            height: eqGrid.cellHeight
            preset: modelData
            selected: !!root.device && root.device.eqPreset === modelData.id
            tipText: hovered ? root.presetTip(modelData) : ""
            onClicked: root.pickPreset(String(modelData.id))
        }
    }
}
