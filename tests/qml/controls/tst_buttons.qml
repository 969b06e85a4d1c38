import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The clickable controls: activation by mouse and keyboard, that they only ask (never change
// their own state), their state and their accessible names.
ControlCase {
    id: testCase

    name: "Buttons"
    width: 600
    height: 400

    Component { id: btnComponent; Btn { x: 10; y: 10 } }
    Component { id: toggleComponent; Toggle { x: 10; y: 10 } }
    Component { id: checkComponent; Check { x: 10; y: 10; width: 220 } }
    Component { id: segmentedComponent; Segmented { x: 10; y: 10 } }
    Component { id: chipComponent; DeviceChip { x: 10; y: 10 } }
    Component { id: addCardComponent; AddCard { x: 10; y: 10 } }
    Component { id: pickRowComponent; PickRow { x: 10; y: 10; width: 480 } }

    // A click, Space, Return and Enter activate; other keys and a disabled button do not.
    function test_btn_activation_data() {
        return [
            { tag: "click", key: 0, clicks: 1 },
            { tag: "space", key: Qt.Key_Space, clicks: 1 },
            { tag: "return", key: Qt.Key_Return, clicks: 1 },
            { tag: "enter", key: Qt.Key_Enter, clicks: 1 },
            { tag: "other key", key: Qt.Key_A, clicks: 0 },
            { tag: "disabled", key: 0, disabled: true, clicks: 0 }
        ]
    }

    function test_btn_activation(data) {
        const b = createTemporaryObject(btnComponent, testCase, { text: "Рекордер", enabled: !data.disabled })
        const clicks = spyOn(b, "clicked")
        if (data.key === 0) {
            mouseClick(b)
        } else {
            b.forceActiveFocus()
            keyClick(data.key)
        }
        compare(clicks.count, data.clicks)
        verify(!b.checked, "a click must not check the button")
    }

    // A click anywhere (on a Check also on its label) and Space ask for the other state; the
    // control keeps showing the one it is given.
    function test_toggles_ask_only_data() {
        return [
            { tag: "toggle", component: toggleComponent, props: { label: "Микрофон" }, role: Accessible.CheckBox },
            { tag: "check on its label", component: checkComponent, props: { text: "Шумоподавление" },
              role: Accessible.CheckBox, atLabel: true }
        ]
    }

    function test_toggles_ask_only(data) {
        const t = createTemporaryObject(data.component, testCase, data.props)
        const toggles = spyOn(t, "toggled")
        if (data.atLabel)
            mouseClick(t, t.width - 10, t.height / 2)
        else
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
        compare(t.Accessible.role, data.role)
        compare(t.Accessible.name, data.props.label || data.props.text)
    }

    function test_segmented_picks_unselected_only() {
        const s = createTemporaryObject(segmentedComponent, testCase, {
            options: [{ value: "full", label: "Полный" }, { value: "compact", label: "Компактный" }],
            value: "full"
        })
        const picks = spyOn(s, "picked")
        mouseClick(s, 10, s.height / 2)
        compare(picks.count, 0)
        mouseClick(s, s.width - 10, s.height / 2)
        compare(picks.count, 1)
        compare(picks.signalArguments[0][0], "compact")
        compare(s.value, "full")
    }

    function test_chip_blinks_when_broken() {
        const chip = createTemporaryObject(chipComponent, testCase, { label: "Колонки", sourceName: "Игра", ok: false })
        const still = String(chip.border.color)
        qv.blink = true
        verify(!Qt.colorEqual(chip.border.color, still))
        qv.blink = false
        verify(Qt.colorEqual(chip.border.color, still))
        chip.ok = true
        qv.blink = true
        verify(!Qt.colorEqual(chip.border.color, Theme.red), "a working chip does not blink")
    }

    function test_add_card() {
        const card = createTemporaryObject(addCardComponent, testCase)
        compare(card.hiddenCount, 0)
        qv.hidden = ["in:a", "in:b"]
        compare(card.hiddenCount, 2)
        const clicks = spyOn(card, "clicked")
        mouseClick(card)
        card.forceActiveFocus()
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_Return)
        compare(clicks.count, 3)
        // In an empty strip row (80 px) the tile stays inside the card, with even margins.
        const tile = H.byName(card, "addTile")
        card.height = 80
        verify(tile.y > 0)
        compare(tile.y + tile.height + tile.y, card.height)
    }

    function test_pick_row() {
        const row = createTemporaryObject(pickRowComponent, testCase, { icon: "mic", title: "USB Микрофон", sub: "Realtek" })
        const picks = spyOn(row, "picked")
        verify(!row.hot)
        mouseClick(row, 60, row.height / 2)
        compare(picks.count, 1)
        mouseClick(row, row.width - 30, row.height / 2)
        compare(picks.count, 2)
        const button = Array.from(row.children).filter(k => k.accessibleName !== undefined).pop()
        verify(button)
        compare(button.Accessible.name, "Выбрать «USB Микрофон»")
        button.forceActiveFocus()
        verify(row.hot)
        keyClick(Qt.Key_Return)
        compare(picks.count, 3)
    }
}
