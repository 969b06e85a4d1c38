import QtQuick
import QtTest

// The frame of the control tests: a shown window, every warning a failure, the Backend and
// Recorder stand-ins reset before each test, and signal spies that end with the test.
TestCase {
    id: controlCase

    when: windowShown
    visible: true

    Component { id: spyComponent; SignalSpy {} }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, controlCase, { target: target, signalName: signalName })
    }

    function init() {
        failOnWarning(/.?/)
        qv.reset()
        qvRec.reset()
    }
}
