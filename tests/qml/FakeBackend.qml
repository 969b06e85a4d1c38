import QtQuick

// Stand-in for the Backend as the controls see it: the properties they read, and a log of the
// calls they make; with it the cable installer's state (`qvCable`).
QtObject {
    id: fake

    property string toast: ""
    property bool blink: false
    property bool ready: true
    property var hidden: []
    property var windows: ({})
    property var settings: ({})
    property var calls: []
    property var engine: ({})
    property var listenOn: []
    property string outputLoop: ""
    property var renderEndpoints: []
    property string currentSceneName: ""
    property bool sceneModified: false
    property var vbCable: ({})

    property QtObject cable: QtObject {
        id: cable

        property string state: ""
        property string message: "…"
        property int progress: 0
        property bool busy: false
        property bool bundled: false
    }

    property QtObject meters: QtObject {
        id: meters

        property int frame: 0
        property var levels: ({})

        function left(id) {
            const l = meters.levels[id]
            return l ? l[0] : 0
        }

        function right(id) {
            const l = meters.levels[id]
            return l ? l[1] : 0
        }

        // Levels of one id, announced like the store does: by bumping the frame.
        function set(id, left, right) {
            const copy = Object.assign({}, meters.levels)
            copy[id] = [left, right]
            meters.levels = copy
            meters.frame += 1
        }
    }

    function assignWindowsDefaults() {
        fake.calls = fake.calls.concat(["assignWindowsDefaults"])
    }

    function setWindowsDefault(endpointId) {
        fake.calls = fake.calls.concat(["setWindowsDefault:" + endpointId])
    }

    function reset() {
        fake.engine = {}
        fake.listenOn = []
        fake.outputLoop = ""
        fake.renderEndpoints = []
        fake.currentSceneName = ""
        fake.sceneModified = false
        fake.vbCable = {}
        cable.state = ""
        cable.progress = 0
        cable.busy = false
        fake.toast = ""
        fake.blink = false
        fake.ready = true
        fake.hidden = []
        fake.windows = {}
        fake.settings = {}
        fake.calls = []
        meters.levels = {}
        meters.frame = 0
    }
}
