import QtQuick

// Stand-in for the Recorder: the folders, the target lists, the recording state, and a log of
// the calls made.
QtObject {
    id: fake

    property string videoFolder: "/home/user/Videos/QUORVEL"
    property string audioFolder: "/home/user/Music/QUORVEL"
    property var calls: []
    property bool available: false
    property var monitors: []
    property var windows: []
    property var inputs: []
    property bool videoRecording: false
    property string videoTarget: ""
    property bool audioRecording: false
    property int videoSeconds: 0
    property int audioSeconds: 0
    property string lastVideo: ""
    property int previewSerial: 0
    property bool previewReady: false
    property string previewNote: ""

    signal listsChanged()

    function log(call) {
        fake.calls = fake.calls.concat([call])
    }

    function timeText(seconds) {
        const two = n => (n < 10 ? "0" : "") + n
        return two(Math.floor(seconds / 3600)) + ":" + two(Math.floor(seconds / 60) % 60) + ":" + two(seconds % 60)
    }

    function chooseFolder(kind) {
        fake.log("chooseFolder:" + kind)
    }

    function openFolder(kind) {
        fake.log("openFolder:" + kind)
    }

    function resetFolder(kind) {
        fake.log("resetFolder:" + kind)
    }

    function refresh() {
        fake.log("refresh")
    }

    function startPreview(target, width, height) {
        fake.log("startPreview:" + target)
    }

    function stopPreview() {
        fake.log("stopPreview")
    }

    function switchTarget(target) {
        fake.log("switchTarget:" + target)
        fake.videoTarget = target
    }

    function reset() {
        fake.videoFolder = "/home/user/Videos/QUORVEL"
        fake.audioFolder = "/home/user/Music/QUORVEL"
        fake.calls = []
        fake.monitors = []
        fake.windows = []
        fake.videoRecording = false
        fake.videoTarget = ""
        fake.audioRecording = false
        fake.videoSeconds = 0
        fake.audioSeconds = 0
    }
}
