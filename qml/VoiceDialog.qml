import QtQuick
import "."

// The voice changer of one microphone, as its strip opens it.
Dialog {
    id: root

    property alias micId: panel.micId
    readonly property alias panel: panel

    function openFor(id, over) {
        panel.micId = String(id)
        root.openOver(over)
    }

    objectName: "voiceDialog"
    title: "Изменение голоса — QUORVEL"
    heading: "Изменение голоса"
    dialogWidth: 640
    maxBodyHeight: 620

    VoicePanel {
        id: panel

        width: parent.width
        listHeight: 290
    }
}
