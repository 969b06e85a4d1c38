import QtQuick
import "."

// Settings tab "Окно и запуск": how the main window sizes and fills itself, and start-up.
Column {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    readonly property var tray: typeof qvTray !== "undefined" ? qvTray : null
    // qmllint enable unqualified
    readonly property var settings: root.backend && root.backend.settings ? root.backend.settings : ({})

    function set(fields) {
        if (root.backend)
            root.backend.setSettings(fields)
    }

    width: parent ? parent.width : 400
    spacing: 12

    Section {
        title: "ОКНО"

        Check {
            width: parent.width
            text: "Авторазмер — окно по ширине видимых каналов"
            checked: root.settings.autoSizeWindow !== false
            onToggled: (on) => root.set({ autoSizeWindow: on })
        }

        Check {
            width: parent.width
            text: "Компактный вид — без обработки, фейдер ниже"
            checked: root.settings.density === "compact"
            onToggled: (on) => root.set({ density: on ? "compact" : "full" })
        }

        Check {
            width: parent.width
            text: "Скрывать неподключённые входы и приложения, которые не играют"
            checked: root.settings.autoHideDisconnected === true
            onToggled: (on) => root.set({ autoHideDisconnected: on })
        }

        Note {
            text: "Когда окно меняет размер, верхний и правый края остаются на месте."
        }
    }

    Section {
        title: "ЗАПУСК И ЗАКРЫТИЕ"

        Check {
            width: parent.width
            text: "Запускать QUORVEL вместе с Windows"
            checked: root.settings.startWithWindows === true
            onToggled: (on) => root.set({ startWithWindows: on })
        }

        Note {
            text: root.tray && root.tray.available
                  ? "× сворачивает QUORVEL в трей — звук продолжает идти. Выйти совсем: значок в трее → «Выход»."
                  : "× закрывает окно."
        }
    }
}
