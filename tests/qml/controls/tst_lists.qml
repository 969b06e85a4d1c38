import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The controls of lists and dialogs: Combo, AddRow and FolderRow. FxRow is checked as the
// strips' pan row (mixer/tst_strips.qml).
ControlCase {
    id: testCase

    name: "Lists"
    width: 700
    height: 600

    readonly property var devices: [
        { id: "out:a", name: "Наушники" },
        { id: "out:b", name: "Колонки" },
        { id: "out:c", name: "Телевизор" }
    ]

    Component { id: comboComponent; Combo { x: 10; y: 10; width: 240 } }
    Component { id: addRowComponent; AddRow { x: 10; y: 10; width: 620 } }
    Component { id: folderRowComponent; FolderRow { x: 10; y: 10; width: 560 } }

    // An entry of the open list, once the list has laid it out.
    function entry(combo, index) {
        const list = combo.popup.contentItem
        tryVerify(() => list.itemAtIndex(index) !== null)
        return list.itemAtIndex(index)
    }

    function test_combo_shows_current_or_placeholder() {
        const c = createTemporaryObject(comboComponent, testCase, {
            items: testCase.devices, currentId: "out:x", placeholder: "Устройство вывода…"
        })
        compare(c.currentIndex, -1)
        compare(c.displayText, "Устройство вывода…")
        verify(Qt.colorEqual(c.contentItem.color, Theme.text2), "the placeholder is secondary")
        c.currentId = "out:b"
        compare(c.currentIndex, 1)
        compare(c.displayText, "Колонки")
    }

    // Picking another item by mouse or key only asks: the control keeps showing currentId until
    // the model says so. Picking the current item asks nothing.
    function test_combo_picking_data() {
        return [
            { tag: "another item", current: 0, pick: 2, want: "out:c" },
            { tag: "the current item", current: 1, pick: 1, want: "" },
            { tag: "down key", current: 0, key: Qt.Key_Down, want: "out:b" }
        ]
    }

    function test_combo_picking(data) {
        const c = createTemporaryObject(comboComponent, testCase,
                                        { items: testCase.devices, currentId: testCase.devices[data.current].id })
        const picks = spyOn(c, "picked")
        if (data.key) {
            c.forceActiveFocus()
            keyClick(data.key)
        } else {
            mouseClick(c)
            tryCompare(c.popup, "opened", true)
            mouseClick(entry(c, data.pick))
        }
        compare(picks.count, data.want ? 1 : 0)
        if (data.want)
            compare(picks.signalArguments[0][0], data.want)
        compare(c.currentIndex, data.current)
        compare(c.displayText, testCase.devices[data.current].name)
    }

    function test_add_row_volume() {
        const row = createTemporaryObject(addRowComponent, testCase, { title: "Игра", volume: -12 })
        const volumes = spyOn(row, "volumeMoved")
        verify(H.byText(row, "\u221212,0") !== null)
        const slider = H.find(row, k => k.Accessible.name === "Громкость: Игра")
        verify(slider !== null)
        compare(slider.value, -12)
        const y = slider.height / 2
        const x0 = slider.handle.x
        const x1 = slider.leftPadding + slider.availableWidth // the top of the range
        mousePress(slider, x0, y)
        for (let i = 1; i <= 4; ++i)
            mouseMove(slider, x0 + (x1 - x0) * i / 4, y)
        // While pressed the text follows the slider, not the row.
        verify(H.byText(row, "+12,0") !== null)
        mouseRelease(slider, x1, y)
        compare(volumes.count, 5) // four live moves, then the final value
        const last = volumes.signalArguments[volumes.count - 1]
        compare(last[0], 12)
        compare(last[1], false)
        compare(volumes.signalArguments[0][1], true)
        verify(H.byText(row, "\u221212,0") !== null)
    }

    function test_add_row_level_line() {
        const row = createTemporaryObject(addRowComponent, testCase, { title: "Mic", meterId: "in:mic" })
        const line = H.byName(row, "levelLine")
        compare(line.width, 160)
        // Read off the picture, in the middle of the 3 px line (row y 50), 58 px in.
        const at = (img, fraction) => img.pixel(58 + Math.round(fraction * 160), 50)
        qv.meters.set("in:mic", 0.25, 0.5)
        tryVerify(() => Qt.colorEqual(at(grabImage(row), 0.45), Theme.green))
        verify(!Qt.colorEqual(at(grabImage(row), 0.55), Theme.green))
        qv.meters.set("in:mic", 0.95, 2.0)
        tryVerify(() => Qt.colorEqual(at(grabImage(row), 0.98), Theme.peak))
        compare(H.byName(row, "levelFill").leftLevel, 0.95)
    }

    // The row shows the Recorder's folder of its kind; its buttons ask the Recorder, and the reset
    // shows only while that kind has a folder of its own in the settings.
    function test_folder_row() {
        const f = createTemporaryObject(folderRowComponent, testCase, { kind: "audio" })
        compare(f.folder, "/home/user/Music/QUORVEL")
        qvRec.audioFolder = "/data/rec"
        compare(f.folder, "/data/rec")
        f.kind = "video"
        compare(f.folder, "/home/user/Videos/QUORVEL")
        mouseClick(H.byText(f, "Изменить…"))
        mouseClick(H.find(f, k => k.icon === "folder"))
        compare(qvRec.calls, ["chooseFolder:video", "openFolder:video"])
        const reset = H.find(f, k => k.icon === "refresh")
        verify(!reset.visible)
        qv.settings = { videoFolder: "/data/video" }
        verify(reset.visible)
        mouseClick(reset)
        compare(qvRec.calls[2], "resetFolder:video")
        f.canReset = false
        verify(!reset.visible)
        f.canReset = true
        qv.settings = { videoFolder: "", audioFolder: "/x" }
        verify(!reset.visible)
    }
}
