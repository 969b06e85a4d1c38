import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The clickable controls: activation by mouse and keyboard, that they only ask (never change
// their own state), their look per state and their accessible names.
TestCase {
    id: testCase

    name: "Buttons"
    when: windowShown
    visible: true
    width: 600
    height: 400

    Component { id: btnComponent; Btn { x: 10; y: 10 } }
    Component { id: toggleComponent; Toggle { x: 10; y: 10 } }
    Component { id: checkComponent; Check { x: 10; y: 10; width: 220 } }
    Component { id: segmentedComponent; Segmented { x: 10; y: 10 } }
    Component { id: chipComponent; DeviceChip { x: 10; y: 10 } }
    Component { id: addCardComponent; AddCard { x: 10; y: 10 } }
    Component { id: pickRowComponent; PickRow { x: 10; y: 10; width: 480 } }
    Component { id: spyComponent; SignalSpy {} }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function init() {
        failOnWarning(/.?/)
        qv.reset()
    }

    function same(a, b) {
        return Qt.colorEqual(a, b)
    }

    function test_btn_activation_data() {
        return [
            { tag: "click", key: 0 },
            { tag: "space", key: Qt.Key_Space },
            { tag: "return", key: Qt.Key_Return },
            { tag: "enter", key: Qt.Key_Enter }
        ]
    }

    function test_btn_activation(data) {
        const b = createTemporaryObject(btnComponent, testCase, { text: "Рекордер" })
        const clicks = spyOn(b, "clicked")
        if (data.key === 0) {
            mouseClick(b)
        } else {
            b.forceActiveFocus()
            keyClick(data.key)
        }
        compare(clicks.count, 1)
        verify(!b.checked, "a click must not check the button")
    }

    function test_btn_other_keys_and_disabled() {
        const b = createTemporaryObject(btnComponent, testCase, { text: "A" })
        const clicks = spyOn(b, "clicked")
        b.forceActiveFocus()
        keyClick(Qt.Key_A)
        compare(clicks.count, 0)
        b.enabled = false
        mouseClick(b)
        compare(clicks.count, 0)
        compare(b.opacity, 0.45)
        // Without text the tip names the button.
        b.text = ""
        b.tip = "Настройки"
        compare(b.Accessible.name, "Настройки")
    }

    function test_btn_focus_ring_follows_keyboard_focus() {
        const b = createTemporaryObject(btnComponent, testCase, { text: "A" })
        // The ring is the child drawn 2 px wide in amber.
        let found = null
        for (let i = 0; i < b.children.length; ++i) {
            const c = b.children[i]
            if (c.border !== undefined && c.border.width === 2 && same(c.border.color, Theme.amber))
                found = c
        }
        verify(found !== null)
        verify(!found.visible)
        b.forceActiveFocus()
        verify(found.visible)
        compare(found.radius, b.radius + 3)
        compare(found.x, -3)
        compare(found.width, b.width + 6)
    }

    function test_toggle_asks_only() {
        const t = createTemporaryObject(toggleComponent, testCase, { label: "Микрофон" })
        const toggles = spyOn(t, "toggled")
        compare(t.width, 40)
        compare(t.height, 24)
        mouseClick(t)
        compare(toggles.count, 1)
        compare(toggles.signalArguments[0][0], true)
        verify(!t.checked)
        t.checked = true
        t.forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(toggles.count, 2)
        compare(toggles.signalArguments[1][0], false)
        verify(t.checked)
        compare(t.Accessible.role, Accessible.CheckBox)
        compare(t.Accessible.name, "Микрофон")
    }

    function test_check_asks_only() {
        const c = createTemporaryObject(checkComponent, testCase, { text: "Шумоподавление" })
        const toggles = spyOn(c, "toggled")
        compare(c.height, 40)
        // A click on the label counts as much as one on the box.
        mouseClick(c, c.width - 10, c.height / 2)
        compare(toggles.count, 1)
        compare(toggles.signalArguments[0][0], true)
        verify(!c.checked)
        c.checked = true
        c.forceActiveFocus()
        keyClick(Qt.Key_Space)
        compare(toggles.signalArguments[1][0], false)
        compare(c.Accessible.name, "Шумоподавление")
    }

    function test_segmented_picks_unselected_only() {
        const s = createTemporaryObject(segmentedComponent, testCase, {
            options: [{ value: "full", label: "Полный" }, { value: "compact", label: "Компактный" }],
            value: "full"
        })
        const picks = spyOn(s, "picked")
        compare(s.height, 34 + 6)
        // The first segment (selected) starts at 3, the second follows 2 px after it.
        mouseClick(s, 10, s.height / 2)
        compare(picks.count, 0)
        mouseClick(s, s.width - 10, s.height / 2)
        compare(picks.count, 1)
        compare(picks.signalArguments[0][0], "compact")
        compare(s.value, "full")
    }

    function test_chip_blinks_when_broken() {
        const chip = createTemporaryObject(chipComponent, testCase, { label: "Колонки", sourceName: "Игра", ok: false })
        verify(same(chip.border.color, Theme.redDim))
        qv.blink = true
        verify(same(chip.border.color, Theme.red))
        qv.blink = false
        verify(same(chip.border.color, Theme.redDim))
    }

    function test_chip_texts() {
        const chip = createTemporaryObject(chipComponent, testCase, {
            label: "Колонки", sourceName: "Spotify", on: true, allMode: true, ok: false
        })
        compare(chip.Accessible.name, "Spotify → Колонки (весь звук) (недоступно)")
        compare(chip.tipText, "Spotify → Колонки · устройство в режиме «Весь звук» · недоступно, настройки сохранены"
                              + "\nНажмите, чтобы не воспроизводить здесь")
        chip.on = false
        chip.ok = true
        chip.allMode = false
        compare(chip.Accessible.name, "Spotify → Колонки")
        compare(chip.tipText, "Spotify → Колонки\nНажмите, чтобы воспроизводить здесь")
    }

    function test_add_card() {
        const card = createTemporaryObject(addCardComponent, testCase)
        compare(card.width, 104)
        compare(card.implicitHeight, 92)
        compare(card.hiddenCount, 0)
        const height0 = card.implicitHeight
        qv.hidden = ["in:a", "in:b"]
        compare(card.hiddenCount, 2)
        compare(card.implicitHeight, height0)
        compare(card.width, 104)
        const clicks = spyOn(card, "clicked")
        mouseClick(card)
        card.forceActiveFocus()
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_Return)
        compare(clicks.count, 3)
        compare(card.Accessible.name, "Добавить: каналы, микрофоны, устройства")
        // In an empty strip row (80 px) the tile stays inside the card.
        const tile = H.byName(card, "addTile")
        card.height = 80
        compare(tile.height, 72)
        compare(tile.y, 4)
        card.height = 300
        compare(tile.y, 10)
    }

    function test_pick_row() {
        const row = createTemporaryObject(pickRowComponent, testCase, { icon: "mic", title: "USB Микрофон", sub: "Realtek" })
        const picks = spyOn(row, "picked")
        compare(row.height, 56)
        verify(!row.hot)
        mouseClick(row, 60, 28)
        compare(picks.count, 1)
        mouseClick(row, row.width - 30, 28)
        compare(picks.count, 2)
        let button = null
        for (let i = 0; i < row.children.length; ++i) {
            if (row.children[i].accessibleName !== undefined)
                button = row.children[i]
        }
        verify(button !== null)
        compare(button.Accessible.name, "Выбрать «USB Микрофон»")
        compare(button.height, 32)
        button.forceActiveFocus()
        verify(row.hot)
        keyClick(Qt.Key_Return)
        compare(picks.count, 3)
    }
}
