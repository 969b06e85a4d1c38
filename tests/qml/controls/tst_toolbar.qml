import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The main window's toolbar and its two banners, on the Backend and Recorder stand-ins.
ControlCase {
    id: testCase

    name: "Toolbar"
    width: 1200
    height: 400

    Component { id: toolbarComponent; Toolbar { width: 1100 } }
    Component { id: loopComponent; LoopBanner { width: 700 } }
    Component { id: windowsComponent; WindowsBanner { width: 640 } }

    function fullWidth(bar) {
        return bar.leftW(0) + bar.gapX + bar.rightW(0)
    }

    // The scene button names a changed scene with a mark. The level follows the measured widths:
    // texts while everything fits, icon buttons and a 150 px scene button a pixel narrower, no
    // scene text and no rate box narrower still.
    function test_levels_follow_width() {
        qv.currentSceneName = "Вечерний стрим с друзьями"
        qv.sceneModified = true
        const bar = createTemporaryObject(toolbarComponent, testCase)
        verify(bar.sceneText.indexOf(qv.currentSceneName) > 0 && bar.sceneText.endsWith(" •"), bar.sceneText)
        const full = fullWidth(bar)

        bar.width = full
        compare(bar.level, 0)
        verify(bar.oneLine)

        bar.width = full - 1
        compare(bar.level, 1)
        const sceneAtOne = H.byName(bar, "sceneButton").width
        compare(sceneAtOne, 150)
        compare(H.byName(bar, "screenButton").text, "")
        verify(H.byName(bar, "sceneText").visible)
        verify(bar.oneLine, "level 1 stays on one line")

        bar.width = bar.leftW(1) + bar.gapX + bar.rightW(1) - 1
        compare(bar.level, 2)
        verify(H.byName(bar, "sceneButton").width < sceneAtOne)
        verify(!H.byName(bar, "sceneText").visible)
        verify(!H.byName(bar, "rateBox").visible)
        // The groups lay themselves out at the next polish.
        tryVerify(() => bar.oneLine)
        // The toolbar takes its width from the window, never the other way round.
        compare(bar.width, bar.leftW(1) + bar.gapX + bar.rightW(1) - 1)
    }

    // A running recording shows its time in the button and keeps the button's width while the
    // time advances.
    function test_recording_buttons() {
        const bar = createTemporaryObject(toolbarComponent, testCase)
        const screen = H.byName(bar, "screenButton")
        const rec = H.byName(bar, "recorderButton")
        qvRec.videoRecording = true
        qvRec.videoSeconds = 61
        qvRec.audioRecording = true
        qvRec.audioSeconds = 3600
        compare(screen.text, "00:01:01")
        compare(rec.text, "01:00:00")
        verify(Qt.colorEqual(screen.borderColor, Theme.red))
        const width = screen.width
        qvRec.videoSeconds = 88888
        compare(screen.width, width)
        tryVerify(() => screen.width >= screen.implicitWidth, 1000, "the time fits its button")

        const opened = []
        bar.openDialog.connect(name => opened.push(name))
        mouseClick(screen)
        mouseClick(rec)
        mouseClick(H.byName(bar, "settingsButton"))
        mouseClick(H.byName(bar, "sceneButton"))
        compare(opened, ["screen", "recorder", "settings", "scenes"])
    }

    // Neither the cable nor our own endpoints are offered, and nothing is sent before a pick.
    function test_loop_banner() {
        const banner = createTemporaryObject(loopComponent, testCase)
        verify(!banner.visible)
        compare(banner.implicitHeight, 0)

        qv.renderEndpoints = [
            { endpointId: "spk", name: "Динамики (Realtek Audio)" },
            { endpointId: "cable", name: "CABLE Input (VB-Audio Virtual Cable)" },
            { endpointId: "own", name: "QUORVEL" },
            { endpointId: "own-mic", name: "QUORVEL Mic" },
            { endpointId: "hp", name: "Наушники с QUORVEL в названии" }
        ]
        qv.outputLoop = "CABLE Input (VB-Audio Virtual Cable)"
        verify(banner.visible)
        verify(banner.implicitHeight > 0)
        compare(banner.choices.map(c => c.id), ["spk", "hp"])

        const apply = H.byName(banner, "loopApply")
        verify(!apply.enabled)
        mouseClick(apply)
        compare(qv.calls, [])

        H.byName(banner, "loopCombo").picked("hp")
        verify(apply.enabled)
        mouseClick(apply)
        compare(qv.calls, ["setWindowsDefault:hp"])

        // A state message repeats the same endpoints: the drop-down keeps its list.
        const shown = banner.choices
        qv.renderEndpoints = qv.renderEndpoints.map(e => Object.assign({}, e))
        verify(banner.choices === shown, "the list was replaced by an equal one")
        // The picked device goes away: the pick goes with it and nothing is sent.
        qv.renderEndpoints = qv.renderEndpoints.filter(e => e.endpointId !== "hp")
        compare(banner.choices.map(c => c.id), ["spk"])
        compare(banner.picked, "")
        verify(!apply.enabled)
        mouseClick(apply)
        compare(qv.calls, ["setWindowsDefault:hp"])
    }

    function test_windows_banner_modes() {
        const banner = createTemporaryObject(windowsComponent, testCase)
        const text = H.byName(banner, "windowsBannerText")
        const assign = H.byName(banner, "assignDefaults")
        compare(banner.mode, "nodriver")
        verify(!assign.visible)

        qv.windows = { driver: true, ok: false, defaultOut: "<i>Динамики</i> & Co", defaultIn: "" }
        compare(banner.mode, "warn")
        // Names are shown as they are, never read as markup.
        compare(text.text, "Windows: вывод по умолчанию — <b>&lt;i&gt;Динамики&lt;/i&gt; &amp; Co</b>, "
                + "микрофон — <b>?</b>")
        verify(assign.visible)
        mouseClick(assign)
        compare(qv.calls, ["assignWindowsDefaults"])

        qv.windows = { driver: true, ok: true }
        compare(banner.mode, "ok")
        verify(!assign.visible)
    }
}
