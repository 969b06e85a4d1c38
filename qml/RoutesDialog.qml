pragma ComponentBehavior: Bound
import QtQuick
import "."

// Switches one link of the chain, in one direction only: for a device, which sounds play there;
// for a microphone, which applications hear its voice. Microphones never go to headphones or
// speakers from here (only "Слышать себя" on the strip does that) and applications never go
// into a microphone. Every switch applies at once.
Dialog {
    id: root

    property string deviceId: ""
    property string sourceId: ""
    property bool advancedOpen: false

    // qmllint disable unqualified
    readonly property var backend: qv
    readonly property var cable: typeof qvCable !== "undefined" ? qvCable : null
    // qmllint enable unqualified

    // Rows are looked up again on every change of the mixer.
    readonly property int revision: root.backend.revision
    readonly property bool deviceMode: root.deviceId !== ""
    readonly property var device: root.deviceMode ? root.rowOf(root.backend.devices, root.deviceId, root.revision) : null
    readonly property var source: root.deviceMode ? null : root.rowOf(root.backend.sources, root.sourceId, root.revision)
    readonly property bool micMode: !root.deviceMode && !!root.source && root.source.isMic === true
    readonly property var channel: root.micMode ? root.rowOf(root.backend.channels, root.sourceId, root.revision) : null
    readonly property var targetIds: root.source && root.source.targetIds ? root.source.targetIds : []
    readonly property bool allOn: root.deviceMode ? !!root.device && root.device.mode === "all"
                                                  : !!root.source && root.source.targetsAll === true
    readonly property bool anyOn: root.deviceMode
                                  ? !!root.device && (root.device.mode === "all" || (root.device.sources || []).length > 0)
                                  : root.allOn || root.targetIds.length > 0
    readonly property bool viaDriver: root.backend.voiceViaDriver === true
    readonly property string cableState: root.cable ? String(root.cable.state) : ""
    readonly property bool cablePresent: !!root.backend.vbCable && root.backend.vbCable.present === true
    // Levels are read only while somebody can see them, and a hidden window keeps no rows.
    readonly property bool metering: root.visible && root.deviceMode
    readonly property int appCount: {
        root.revision
        if (!root.visible)
            return 0
        let n = 0
        const rows = root.backend.sources
        for (let i = 0; rows && i < rows.count; ++i) {
            if (rows.get(i).isApp === true)
                ++n
        }
        return n
    }

    readonly property var issues: root.visible && root.micMode
                                  ? Theme.micIssues(root.channel, root.backend.listenOn) : []

    signal virtualMicRequested()

    function rowOf(model, id, revision) {
        if (!model || id === "")
            return null
        const i = model.indexOf(id)
        return i >= 0 ? model.get(i) : null
    }

    function showDevice(id, over) {
        root.sourceId = ""
        root.deviceId = String(id)
        root.advancedOpen = false
        root.openOver(over)
    }

    function showSource(id, over) {
        root.deviceId = ""
        root.sourceId = String(id)
        root.openOver(over)
    }

    function setAll(on) {
        if (root.deviceMode)
            root.backend.setDeviceAll(root.deviceId, on)
        else
            root.backend.setMicAll(root.sourceId, on)
    }

    function appChecked(row) {
        if (root.deviceMode)
            return (row.onDevices || []).indexOf(root.deviceId) >= 0
        return root.allOn || root.targetIds.indexOf(String(row.id)) >= 0
    }

    function appSub(row, checked) {
        const hidden = row.visible === false ? "скрыт в главном окне · " : ""
        if (root.deviceMode)
            return hidden + (Number(row.playsCount) === 0 ? "нигде не играет" : "играет на: " + String(row.onNames || ""))
        return hidden + (checked ? "слышит ваш голос" : "не слышит")
    }

    function toggleApp(appId) {
        if (root.deviceMode)
            root.backend.toggleRoute(appId, root.deviceId)
        else
            root.backend.toggleMicTarget(root.sourceId, appId)
    }

    objectName: "routesDialog"
    title: "Маршруты — QUORVEL"
    dialogWidth: 700
    maxBodyHeight: 540
    heading: root.deviceMode ? "Что играет: «" + (root.device ? String(root.device.name) : "") + "»"
                             : "Куда идёт голос: «" + (root.source ? String(root.source.name) : "") + "»"
    subheading: "переключатели меняют звук сразу"

    footerLeft: Btn {
        objectName: "routesReset"
        enabled: root.anyOn
        icon: "refresh"
        iconSize: 16
        text: "Сбросить"
        tip: "Выключить все переключатели"
        onClicked: root.setAll(false)
    }

    AddRow {
        objectName: "routesAll"
        width: parent ? parent.width : 0
        icon: root.deviceMode ? "speaker" : "mic"
        title: root.deviceMode ? "Все звуки" : "Все приложения"
        sub: root.deviceMode ? "Все приложения и звуки Windows, включая те, что запустятся позже"
                             : "Все программы, включая те, что запустятся позже"
        checked: root.allOn
        meterId: root.metering ? "system" : ""
        onToggled: (on) => root.setAll(on)
    }

    Text {
        textFormat: Text.PlainText
        topPadding: 6
        text: "ПРИЛОЖЕНИЯ"
        font.family: Theme.sans
        font.pixelSize: 11
        font.weight: Font.DemiBold
        font.letterSpacing: 0.8
        color: Theme.text2
    }

    Repeater {
        model: root.visible ? root.backend.sources : null

        delegate: AddRow {
            id: app

            required property var model
            readonly property string appId: String(app.model.id)

            objectName: "routesApp:" + app.appId
            visible: app.model.isApp === true
            width: parent ? parent.width : 0
            icon: "app"
            appIcon: app.model.icon ? String(app.model.icon) : ""
            title: String(app.model.name)
            checked: root.appChecked(app.model)
            sub: root.appSub(app.model, app.checked)
            volume: root.deviceMode ? Number(app.model.gainDb) : NaN
            meterId: root.metering ? app.appId : ""
            onToggled: root.toggleApp(app.appId)
            onVolumeMoved: (db, live) => root.backend.setSource(app.appId, { gainDb: db }, live)
        }
    }

    Text {
        textFormat: Text.PlainText
        visible: root.appCount === 0
        width: parent ? parent.width : 0
        text: "Приложений пока нет: они появляются сами, когда начинают играть звук."
        font.family: Theme.sans
        font.pixelSize: 12
        color: Theme.text2
        wrapMode: Text.Wrap
    }

    Repeater {
        model: root.issues.length

        delegate: IssueBox {
            id: issue

            required property int index
            readonly property var modelData: root.issues[issue.index] || ({})

            width: parent ? parent.width : 0
            text: String(issue.modelData.text)
            action: String(issue.modelData.action || "")
            onActivated: {
                if (issue.modelData.kind === "default")
                    root.backend.applyMicDefault(root.sourceId)
                else
                    root.backend.openWindowsSound(1)
            }
        }
    }

    Text {
        objectName: "routesVoiceNote"
        visible: root.micMode
        width: parent ? parent.width : 0
        text: (root.viaDriver
               ? "Приложения слышат «" + String((root.backend.virtualMic && root.backend.virtualMic.appName) || "")
                 + "» — этот микрофон с громкостью, обработкой и изменением голоса."
               : "Виртуальный микрофон не настроен, поэтому приложения слышат сам микрофон — без обработки и изменения голоса. «Все приложения» делает его микрофоном Windows по умолчанию.")
              + " В самом приложении микрофон должен быть «По умолчанию»; изменения действуют, когда приложение заново включит микрофон (например, перезайдите в голосовой канал)."
        textFormat: Text.PlainText
        font.family: Theme.sans
        font.pixelSize: 11
        color: root.viaDriver ? Theme.text2 : Theme.amber
        wrapMode: Text.Wrap
    }

    CableCard {
        id: cableCard

        objectName: "routesCableCard"
        visible: root.micMode && cableCard.active && !(root.viaDriver && root.cableState === "")
        width: parent ? parent.width : 0
    }

    Btn {
        objectName: "routesUseCable"
        visible: root.micMode && !root.viaDriver && root.cablePresent
        width: parent ? parent.width : 0
        icon: "mic"
        iconSize: 16
        text: "Использовать VB-CABLE как виртуальный микрофон"
        onClicked: root.backend.setVirtualMic(root.backend.vbCable.renderId, root.backend.vbCable.recordId)
    }

    Btn {
        objectName: "routesOtherCable"
        visible: root.micMode && !root.viaDriver && !root.cablePresent && root.cableState === ""
        flat: true
        icon: "settings"
        iconSize: 14
        fontSize: 12
        text: "Другой кабель (Voicemeeter) — в настройках"
        onClicked: root.virtualMicRequested()
    }

    RoutesAdvanced {
        visible: root.deviceMode && !!root.device
        width: parent ? parent.width : 0
        device: root.device
        open: root.advancedOpen
        onOpenToggled: root.advancedOpen = !root.advancedOpen
    }
}
