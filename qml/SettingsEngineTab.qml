import QtQuick
import "."

// Settings tab "Движок": the engine's health, its configuration file, and the driver.
Column {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property var engine: root.backend && root.backend.engine ? root.backend.engine : ({})
    readonly property bool demo: root.backend !== null && root.backend.demo === true
    readonly property string configPath: String(root.engine.configPath || "")

    width: parent ? parent.width : 400
    spacing: 12

    Section {
        title: "ДВИЖОК"

        Text {
            objectName: "engineStatus"
            width: parent.width
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.family: Theme.sans
            font.pixelSize: 13
            color: Theme.text
            text: root.backend && root.backend.connected
                  ? "Работает" + (root.engine.version ? " · версия " + root.engine.version : "")
                    + " · задержка " + Theme.num(root.engine.latencyMs || 0) + " мс · ЦП "
                    + Theme.num(root.engine.cpuPercent || 0) + " %"
                    + (root.engine.driver ? " · драйвер QUORVEL установлен" : " · без драйвера")
                  : (root.backend && root.backend.status ? String(root.backend.status) : "Не подключён")
        }

        Text {
            objectName: "configPath"
            visible: root.configPath !== ""
            width: parent.width
            textFormat: Text.PlainText
            wrapMode: Text.WrapAnywhere
            font.family: Theme.sans
            font.pixelSize: 11
            color: Theme.text2
            text: "Настройки: " + root.configPath
        }

        Row {
            spacing: 8

            Btn {
                objectName: "restartEngine"
                icon: "refresh"
                iconSize: 16
                text: "Перезапустить движок"
                enabled: !root.demo
                onClicked: root.backend.restartEngine()
            }

            Btn {
                objectName: "openLogFolder"
                icon: "folder"
                iconSize: 16
                text: "Папка журналов"
                enabled: !root.demo
                onClicked: root.backend.openLogFolder()
            }
        }
    }

    Section {
        visible: root.backend !== null && root.backend.windows && root.backend.windows.driver === false
        title: "ДРАЙВЕР QUORVEL"

        Note {
            font.pixelSize: 12
            text: "Драйвер не установлен, поэтому в «Параметрах звука» Windows нет устройств «QUORVEL» и «QUORVEL Mic». Микшер всё равно работает: приложения, микрофоны и «Все звуки» выводятся на ваши наушники и колонки. Драйвер появится с установщиком (этап 7) — с подписью Microsoft, без тестового режима, совместимо с Secure Boot и античитами."
        }
    }
}
