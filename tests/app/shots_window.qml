import QtQuick
import QtQuick.Window

// A stand-in main window for the screenshot driver: it records every prepared step through the
// context property shotLog and, like the real window, closes its dialogs before opening the one
// a step asks for. Each window has its own size, so a picture shows which one was grabbed.
Window {
    id: root

    function screenshotStep(step) {
        shotLog.step(step) // qmllint disable unqualified
        const id = String(step)
        addDialog.visible = id === "add" || id === "devices-add"
        settingsDialog.visible = id.startsWith("settings")
    }

    objectName: "mainWindow"
    width: 640
    height: 480
    color: "#102030"
    visible: true

    Window {
        id: addDialog

        objectName: "addDialog"
        width: 320
        height: 200
        color: "#c03030"
        visible: false
    }

    // Exists but is never shown: its steps give no picture.
    Window {
        objectName: "routesDialog"
        width: 300
        height: 300
        color: "#3030c0"
        visible: false
    }

    // Deeper in the tree, below an item.
    Item {
        Window {
            id: settingsDialog

            objectName: "settingsDialog"
            width: 500
            height: 260
            color: "#30c030"
            visible: false
        }
    }
}
