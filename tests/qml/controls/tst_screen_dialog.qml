import QtQuick
import QtTest
import "qrc:/qml"

// The screen recording window against the Recorder stand-in: which target it takes, and what a
// pick does to a running recording and to the preview.
ControlCase {
    id: testCase

    name: "ScreenDialog"

    readonly property var monitors: [
        { id: "m0", name: "Экран 1", primary: false },
        { id: "m1", name: "Экран 2", primary: true }
    ]
    readonly property var windowList: [
        { id: "w1", name: "Игра", exe: "game.exe" },
        { id: "w2", name: "Discord", exe: "Discord.exe" }
    ]

    Component { id: screenComponent; ScreenRecordDialog {} }

    // The window tells QML of its showing a moment later; the refresh is the sign.
    function open() {
        const d = createTemporaryObject(screenComponent, testCase)
        d.openOver(null)
        tryVerify(() => qvRec.calls.indexOf("refresh") >= 0)
        return d
    }

    function test_waits_for_monitors_and_takes_the_primary() {
        const d = open()
        compare(d.target, "")
        compare(qvRec.calls.filter(c => c.indexOf("startPreview") === 0), [])
        qvRec.monitors = testCase.monitors
        qvRec.listsChanged()
        compare(d.target, "m1")
        compare(qvRec.calls[qvRec.calls.length - 1], "startPreview:m1")
        // Lists that change once a target is set leave it alone.
        qvRec.monitors = [{ id: "m2", name: "Экран 3", primary: true }]
        qvRec.listsChanged()
        compare(d.target, "m1")
    }

    function test_pick_data() {
        return [
            { tag: "recording switches, the preview goes on", recording: true, calls: ["switchTarget:w2"] },
            { tag: "idle restarts the preview", recording: false, calls: ["startPreview:w2"] }
        ]
    }

    function test_pick(data) {
        qvRec.monitors = testCase.monitors
        qvRec.windows = testCase.windowList
        qvRec.videoRecording = data.recording
        qvRec.videoTarget = data.recording ? "m1" : ""
        const d = open()
        compare(d.shownTarget, "m1")
        qvRec.calls = []
        const row = findChild(d.contentItem, "target_w2")
        verify(row)
        mouseClick(row)
        compare(qvRec.calls, data.calls)
        compare(d.shownTarget, "w2")
        compare(qvRec.videoRecording, data.recording)
    }
}
