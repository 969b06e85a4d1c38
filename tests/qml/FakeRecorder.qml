import QtQuick

// Stand-in for the Recorder: the two folders and a log of the folder calls.
QtObject {
    id: fake

    property string videoFolder: "/home/user/Videos/QUORVEL"
    property string audioFolder: "/home/user/Music/QUORVEL"
    property var calls: []

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
    }
}
