import QtQuick

// Stand-in for the Recorder: the two folders and a log of the folder calls.
QtObject {
    id: fake

    property string videoFolder: "/home/user/Videos/QUORVEL"
    property string audioFolder: "/home/user/Music/QUORVEL"
    property var calls: []
    property bool videoRecording: false
    property bool audioRecording: false
    property int videoSeconds: 0
    property int audioSeconds: 0

    function timeText(seconds) {
        const two = n => (n < 10 ? "0" : "") + n
        return two(Math.floor(seconds / 3600)) + ":" + two(Math.floor(seconds / 60) % 60) + ":" + two(seconds % 60)
    }

    function chooseFolder(kind) {
        fake.calls = fake.calls.concat(["chooseFolder:" + kind])
    }

    function openFolder(kind) {
        fake.calls = fake.calls.concat(["openFolder:" + kind])
    }

    function resetFolder(kind) {
        fake.calls = fake.calls.concat(["resetFolder:" + kind])
    }

    function reset() {
        fake.videoFolder = "/home/user/Videos/QUORVEL"
        fake.audioFolder = "/home/user/Music/QUORVEL"
        fake.calls = []
        fake.videoRecording = false
        fake.audioRecording = false
        fake.videoSeconds = 0
        fake.audioSeconds = 0
    }
}
