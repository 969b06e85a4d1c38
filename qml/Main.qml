pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Window
import "."

// The main window: frameless, with its own title bar, the toolbar, the loop banner and the
// mixer. It sizes itself to the mixer unless the user turned that off, hides to the tray when
// closed, and remembers its place. The dialogs open as separate windows over it while it is
// dimmed.
Window {
    id: root

    // The native objects come from start-up as context properties.
    // qmllint disable unqualified
    readonly property var backend: qv
    readonly property var windowTools: qvWin
    readonly property var tray: qvTray
    readonly property var recorder: qvRec
    readonly property var cable: qvCable
    readonly property bool startMinimized: qvStartMinimized
    readonly property bool screenshots: qvScreenshots
    // qmllint enable unqualified

    // Missing from the settings means on.
    readonly property bool autoSize: !(root.backend.settings
                                       && root.backend.settings.autoSizeWindow === false)
    readonly property bool maximized: root.visibility === Window.Maximized
    readonly property int wantW: Math.max(440, Math.ceil(panel.naturalWidth + 24 + 2))
    readonly property int wantH: Math.ceil(titleBar.height + 12 + inner.implicitHeight + 12 + 2)

    // The dialogs, each made the first time it is wanted (dialog()) and from then on only shown
    // and hidden: made with the window, the nine of them took a third of the start-up. Each is a
    // Window with openOver/showFor-style functions; a dialog not made yet is null here.
    property var addDialog: null
    property var routesDialog: null
    property var voiceDialog: null
    property var settingsDialog: null
    property var recorderDialog: null
    property var screenDialog: null
    property var scenesDialog: null
    property var replaceDialog: null
    property var eqDialog: null
    readonly property var dialogs: root.present([root.addDialog, root.routesDialog, root.voiceDialog,
        root.settingsDialog, root.recorderDialog, root.screenDialog, root.scenesDialog, root.replaceDialog,
        root.eqDialog])
    readonly property int openDialogs: {
        let n = 0
        for (const d of root.dialogs) {
            if (d.visible)
                ++n
        }
        return n
    }

    function present(list) {
        const out = []
        for (const d of list) {
            if (d)
                out.push(d)
        }
        return out
    }

    function fitNow() {
        if (root.autoSize && !root.maximized && root.visible)
            root.windowTools.fit(root, root.wantW, root.wantH)
    }

    // A zero-interval timer fires once at the end of the event-loop turn however often it was
    // restarted during it, so a burst of size changes fits once.
    function queueFit() {
        fitTimer.restart()
    }

    function savePlace() {
        root.windowTools.save(root, root.autoSize)
    }

    // The dialog of that name ("add", "settings" …), made now if it was not yet.
    function dialog(name) {
        const key = name + "Dialog"
        if (!root[key]) {
            const makers = { add: addMaker, routes: routesMaker, voice: voiceMaker,
                             settings: settingsMaker, recorder: recorderMaker, screen: screenMaker,
                             scenes: scenesMaker, replace: replaceMaker, eq: eqMaker }
            const maker = makers[name]
            if (maker)
                root[key] = maker.createObject(root, { mainWindow: root })
        }
        return root[key]
    }

    function closeDialogs() {
        for (const d of root.dialogs)
            d.close()
    }

    function openDialog(name) {
        const d = root.dialog(name === "settings" || name === "screen" || name === "scenes"
                              ? name : "recorder")
        if (d)
            d.openOver(root)
    }

    function openAdd(tab) {
        root.dialog("add").openTab(tab, root)
    }

    function openSettings(tab) {
        root.dialog("settings").tab = tab
        root.openDialog("settings")
    }

    function routesOfSource(id) {
        root.dialog("routes").showSource(id, root)
    }

    function routesOfDevice(id) {
        root.dialog("routes").showDevice(id, root)
    }

    function openVoice(id) {
        root.dialog("voice").openFor(id, root)
    }

    function openReplace(id) {
        root.dialog("replace").showFor(id, root)
    }

    function openEq(id) {
        root.dialog("eq").showFor(id, root)
    }

    // Ids of rows the screenshot steps point at.
    function deviceId(preferred) {
        const devices = root.backend.devices
        if (!devices || devices.count === 0)
            return ""
        if (preferred !== "" && devices.indexOf(preferred) >= 0)
            return preferred
        return String(devices.get(0).id)
    }

    function firstMicId() {
        const mics = root.backend.mics
        return mics && mics.length > 0 ? String(mics[0].id) : ""
    }

    function firstMicSourceId() {
        const sources = root.backend.sources
        for (let i = 0; sources && i < sources.count; ++i) {
            const row = sources.get(i)
            if (row.isMic)
                return String(row.id)
        }
        return ""
    }

    // One prepared state of the interface for the screenshot set.
    function screenshotStep(step) {
        const qv = root.backend
        const demo = qv.demo
        root.closeDialogs()
        switch (String(step)) {
        case "add":
            root.openAdd("inputs")
            break
        case "routes-device": {
            const id = root.deviceId("out:demo-hp")
            if (id !== "")
                root.routesOfDevice(id)
            break
        }
        case "voice":
            root.openVoice(root.firstMicId())
            break
        case "settings":
            root.openSettings("sound")
            break
        case "settings-window":
            root.openSettings("window")
            break
        case "settings-voice":
            root.openSettings("voice")
            break
        case "settings-record":
            root.openSettings("record")
            break
        case "settings-cable":
            if (demo)
                qv.setVirtualMic("demo-cable-in", qv.suggestRecord("demo-cable-in"))
            root.openSettings("voice")
            break
        case "vbcable-missing":
            if (demo) {
                qv.setVirtualMic("", "")
                qv.demoSetCable(false)
            }
            root.openSettings("voice")
            break
        case "vbcable-routes":
            root.routesOfSource(root.firstMicId())
            break
        case "vbcable-progress":
            root.openSettings("voice")
            root.cable.install()
            break
        case "vbcable-done":
            root.openSettings("voice")
            break
        case "loop":
            if (demo) {
                qv.setSettings({ autoSizeWindow: true })
                // The cable was taken away for the install pictures; the demo cannot install
                // one, so it is put back before it becomes the Windows output.
                qv.demoSetCable(true)
                qv.setWindowsDefault("demo-cable-in")
            }
            break
        case "loop-fixed":
            if (demo)
                qv.setWindowsDefault("demo-spk")
            break
        case "mic-issues":
            if (demo) {
                qv.demoSetIssues(true)
                qv.setWindowsDefault("demo-spk")
            }
            root.routesOfSource(root.firstMicId())
            break
        case "mic-issues-main":
        case "main":
            break
        case "settings-keys":
            if (demo) {
                qv.setHotkey("micMute", "ctrl+alt+vk77")
                qv.setHotkey("pushToTalk", "mouse5")
            }
            root.openSettings("keys")
            break
        case "compact":
            qv.setSettings({ density: "compact" })
            break
        case "collapsed":
            qv.setSettings({ density: "full" })
            qv.setAllCollapsed(true)
            break
        case "narrow":
            qv.setAllCollapsed(false)
            qv.setSource("in:demo-inst", { ui: { collapsed: true } })
            qv.setDevice("out:demo-spk", { ui: { collapsed: true } })
            break
        case "fixed":
            qv.setAllCollapsed(false)
            qv.setSettings({ autoSizeWindow: false })
            root.width = 900
            root.height = 640
            break
        case "devices-add":
            if (demo)
                qv.setSettings({ autoSizeWindow: true })
            root.openAdd("outputs")
            break
        case "added-device":
            if (demo)
                qv.setOutputAdded("demo-bt", true)
            root.routesOfDevice(demo ? "out:demo-bt" : root.deviceId(""))
            break
        case "routes-mic":
            root.routesOfSource(root.firstMicSourceId())
            break
        case "replace":
            root.openReplace(root.deviceId(""))
            break
        case "eq":
            root.openEq(root.deviceId(""))
            break
        case "eq-cs2": {
            const id = root.deviceId("")
            if (id !== "")
                qv.setDevice(id, { eq: { preset: "cs2" } })
            root.dialog("eq").category = "games"
            root.openEq(id)
            break
        }
        case "eq-search":
            root.dialog("eq").category = ""
            root.dialog("eq").query = "бас"
            root.openEq(root.deviceId(""))
            break
        case "main-eq":
            if (root.eqDialog)
                root.eqDialog.query = ""
            break
        case "scenes":
            if (demo && (!qv.scenes || qv.scenes.length === 0)) {
                qv.saveScene("Игра")
                qv.saveScene("Стрим")
                if (qv.scenes && qv.scenes.length > 0)
                    qv.applyScene(qv.scenes[0].id)
            }
            root.openDialog("scenes")
            break
        case "screen":
            root.dialog("screen").target = ""
            root.openDialog("screen")
            break
        case "screen-window": {
            root.openDialog("screen")
            const windows = root.recorder.windows
            if (root.screenDialog && windows && windows.length >= 2)
                root.screenDialog.pick(windows[1].id)
            break
        }
        case "monitor":
            if (demo)
                qv.setMonitor("in:demo-mic", true)
            break
        case "dimmed":
            root.openDialog("settings")
            break
        default:
            root.openDialog(step)
            break
        }
    }

    objectName: "mainWindow"
    title: "QUORVEL"
    flags: Qt.Window | Qt.FramelessWindowHint
    color: Theme.bg
    minimumWidth: 440
    minimumHeight: 240
    width: 1100
    height: 700
    visible: false

    onClosing: (close) => {
        root.savePlace()
        // The sound keeps working in the tray; "Выход" in the tray menu ends the program.
        if (root.tray.available && !root.tray.quitting && !root.screenshots) {
            close.accepted = false
            root.hide()
            root.tray.hiddenToTray()
        }
    }

    onWantWChanged: root.queueFit()
    onWantHChanged: root.queueFit()
    onAutoSizeChanged: root.queueFit()

    // The place is saved once the window has stopped moving (or being resized by hand).
    onXChanged: placeTimer.restart()
    onYChanged: placeTimer.restart()
    onWidthChanged: {
        if (!root.autoSize)
            placeTimer.restart()
    }
    onHeightChanged: {
        if (!root.autoSize)
            placeTimer.restart()
    }

    Component.onCompleted: {
        root.windowTools.restore(root, false, 1100, 700)
        // Started with Windows: only the tray icon, or a minimised window without a tray.
        if (!root.startMinimized)
            root.show()
        else if (!root.tray.available)
            root.showMinimized()
        root.windowTools.decorate(root)
        // The meters need nothing here: each one stops following the store while it cannot be
        // seen (window hidden, minimised or covered, scrolled away), and the store stops when
        // none can.
        root.queueFit()
    }

    Timer {
        id: fitTimer

        interval: 0
        onTriggered: root.fitNow()
    }

    Timer {
        id: placeTimer

        interval: 600
        onTriggered: root.savePlace()
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.bg
        border.width: root.maximized ? 0 : 1
        border.color: Theme.frame
    }

    Item {
        id: content

        anchors.fill: parent
        anchors.margins: root.maximized ? 0 : 1

        TitleBar {
            id: titleBar

            objectName: "titleBar"
            width: parent.width
            height: implicitHeight
            window: root
            autoSize: root.autoSize
            demo: root.backend.demo
            trayAvailable: root.tray.available
            onAutoSizeToggled: (on) => root.backend.setSettings({ autoSizeWindow: on })
        }

        Flickable {
            id: body

            objectName: "body"
            anchors.top: titleBar.bottom
            anchors.bottom: parent.bottom
            width: parent.width
            clip: true
            contentWidth: width
            contentHeight: inner.implicitHeight + 24
            interactive: body.contentHeight > body.height
            boundsBehavior: Flickable.StopAtBounds

            Column {
                id: inner

                x: 12
                y: 12
                width: body.width - 24
                spacing: 12

                Toolbar {
                    objectName: "toolbar"
                    width: inner.width
                    onOpenDialog: (name) => root.openDialog(name)
                }

                // Made only while Windows plays into the cable, like the strips' remove overlays.
                Loader {
                    objectName: "loopBanner"
                    width: inner.width
                    active: root.backend.outputLoop !== ""
                    visible: active
                    // By file: Qt 6.4 refuses to load a bound inline component through a Loader.
                    source: "LoopBanner.qml"
                }

                SourcesPanel {
                    id: panel

                    objectName: "sourcesPanel"
                    width: inner.width
                    height: implicitHeight
                    fxRows: root.backend.anyMicVisible ? 4 : 2
                    onAddClicked: (tab) => root.openAdd(tab)
                    onRoutesRequested: (id) => root.routesOfSource(id)
                    onDeviceRoutesRequested: (id) => root.routesOfDevice(id)
                    onReplaceRequested: (id) => root.openReplace(id)
                    onVoiceRequested: (id) => root.openVoice(id)
                    onEqRequested: (id) => root.openEq(id)
                }
            }
        }
    }

    // The body's scroll bar, drawn only while there is something to scroll.
    Rectangle {
        objectName: "bodyScrollBar"
        visible: body.interactive
        x: root.width - 7
        y: titleBar.height + 2 + body.visibleArea.yPosition * body.height
        width: 4
        height: body.visibleArea.heightRatio * body.height
        radius: 2
        color: Theme.outline
    }

    ResizeHandles {
        anchors.fill: parent
        window: root
        enabled: !root.autoSize && !root.maximized
        visible: enabled
    }

    // While a dialog is open the window is dimmed and takes no input; a press closes them all.
    Rectangle {
        objectName: "dimLayer"
        anchors.fill: parent
        visible: root.openDialogs > 0
        color: Theme.dim

        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            acceptedButtons: Qt.AllButtons
            onPressed: root.closeDialogs()
            // Unhandled, a wheel turn would fall through to the fader beneath.
            onWheel: (wheel) => wheel.accepted = true
        }
    }

    Component {
        id: addMaker

        AddDialog {
            id: addWindow

            onMicAdded: (id) => {
                addWindow.close()
                root.routesOfSource(id)
            }
            onDeviceAdded: (id) => {
                addWindow.close()
                root.routesOfDevice(id)
            }
        }
    }

    Component {
        id: routesMaker

        RoutesDialog {
            id: routesWindow

            onVirtualMicRequested: {
                routesWindow.close()
                root.openSettings("voice")
            }
        }
    }

    Component {
        id: replaceMaker

        ReplaceDialog {}
    }

    Component {
        id: settingsMaker

        SettingsDialog {}
    }

    Component {
        id: recorderMaker

        RecorderDialog {
            id: recorderWindow

            onSettingsRequested: {
                recorderWindow.close()
                root.openSettings("record")
            }
        }
    }

    Component {
        id: screenMaker

        ScreenRecordDialog {
            id: screenWindow

            onSettingsRequested: {
                screenWindow.close()
                root.openSettings("record")
            }
        }
    }

    Toast {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 16
    }

    Component {
        id: eqMaker

        EqDialog {}
    }

    Component {
        id: voiceMaker

        VoiceDialog {}
    }

    Component {
        id: scenesMaker

        ScenesDialog {}
    }
}
