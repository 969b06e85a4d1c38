import QtQuick
import QtTest
import "qrc:/qml"
import "helpers.js" as H

// Run without the Backend and Recorder context properties (QV_QML_TEST_BARE): the controls
// that read them must load, show neutral values and survive clicks, without a single warning.
TestCase {
    id: testCase

    name: "Bare"
    when: windowShown
    visible: true
    width: 700
    height: 500

    Column {
        id: all

        width: 600

        Toast { objectName: "toast" }
        Meter { objectName: "meter"; sourceId: "in:mic"; height: 80 }
        AddCard { objectName: "card" }
        DeviceChip { objectName: "chip"; label: "Колонки"; ok: false }
        StatusPill { objectName: "pill" }
        FolderRow { objectName: "folder"; kind: "audio" }
        AddRow { objectName: "row"; width: 600; title: "Mic"; meterId: "in:mic" }
        CableCard { objectName: "cable"; width: 500 }
    }

    function init() {
        failOnWarning(/.?/)
    }

    function test_controls_without_backend() {
        verify(typeof qv === "undefined" && typeof qvRec === "undefined", "not run bare")
        verify(!H.byName(all, "toast").visible)
        compare(H.byName(all, "meter").leftLevel, 0)
        compare(H.byName(all, "card").hiddenCount, 0)
        verify(Qt.colorEqual(H.byName(all, "chip").border.color, Theme.redDim))
        const pill = H.byName(all, "pill")
        compare(pill.mode, "unknown")
        compare(pill.text, "Windows → ?")
        verify(pill.widthFor(false) > 0)
        compare(H.byName(H.byName(all, "row"), "levelFill").leftLevel, 0)
        const folder = H.byName(all, "folder")
        compare(folder.folder, "")
        mouseClick(H.byText(folder, "Изменить…"))
        mouseClick(H.find(folder, k => k.icon === "folder"))
        verify(!H.find(folder, k => k.icon === "refresh").visible)
        verify(H.byName(H.byName(all, "cable"), "cableInstall").visible)
    }
}
