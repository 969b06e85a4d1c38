import QtQuick
import QtTest
import "qrc:/qml"
import "../helpers.js" as H

// The frame of the mixer tests: a shown window, the runner's handle on the scripted engine, the
// sources panel, and the look-ups the tests share.
TestCase {
    id: mixerCase

    // qmllint disable unqualified
    readonly property var rig: qvRig
    // qmllint enable unqualified

    when: windowShown
    visible: true
    width: 1400
    height: 900

    Component { id: spyComponent; SignalSpy {} }
    Component { id: panelComponent; SourcesPanel { width: 1400; fxRows: 4 } }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, mixerCase, { target: target, signalName: signalName })
    }

    // A sources panel on the loaded document.
    function makePanel() {
        return createTemporaryObject(panelComponent, mixerCase)
    }

    function strip(panel, id) {
        return H.byName(panel, "strip:" + id)
    }

    // The last command of that name the Backend sent, or null.
    function lastSent(cmd) {
        const all = mixerCase.rig.sent(cmd)
        return all.length ? all[all.length - 1] : null
    }

    // The Backend's row of a microphone or an application.
    function channel(id) {
        return qv.channels.get(qv.channels.indexOf(id))
    }

    // Rows of a mixer document; `extra` adds or overrides fields.
    function mic(id, name, extra) {
        return Object.assign({ id: id, kind: "physical_input", name: name, endpointName: name }, extra)
    }

    function output(id, name, extra) {
        return Object.assign({ id: id, kind: "physical", name: name, endpointId: id.substring(4), mode: "all" },
                             extra)
    }

    // The document as the engine's configuration, with nothing sent yet.
    function loadDocument(sources, devices, settings) {
        verify(mixerCase.rig.load(JSON.stringify({ settings: settings || {}, sources: sources, devices: devices })),
               "the document loads")
        mixerCase.rig.clearSent()
    }
}
