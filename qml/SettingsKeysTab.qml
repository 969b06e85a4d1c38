pragma ComponentBehavior: Bound
import QtQuick
import "."

// Settings tab "Клавиши": the four global hotkeys and what the keyboard's volume knob moves.
Column {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    readonly property var keys: typeof qvKeys !== "undefined" ? qvKeys : null
    // qmllint enable unqualified
    readonly property var settings: root.backend && root.backend.settings ? root.backend.settings : ({})
    readonly property bool available: root.keys !== null && Boolean(root.keys.available)
    readonly property var knobChoices: Theme.knobChoices(root.backend ? root.backend.outputsList : [])

    width: parent ? parent.width : 400
    spacing: 12

    Section {
        title: "ГОРЯЧИЕ КЛАВИШИ"

        Repeater {
            model: [
                { action: "micMute", label: "Выключить / включить микрофон", hint: "Нажали — выключен, ещё раз — включён" },
                { action: "pushToTalk", label: "Говорить, пока нажата", hint: "Push-to-talk: микрофон включён, только пока клавиша нажата" },
                { action: "voice", label: "Изменение голоса вкл. / выкл.", hint: "Включает и выключает голос, выбранный во вкладке «Голос»" },
                { action: "showWindow", label: "Показать / скрыть QUORVEL", hint: "Окно из трея и обратно" }
            ]

            delegate: HotkeyRow {
                required property var modelData

                objectName: "hotkey_" + modelData.action
                action: modelData.action
                label: modelData.label
                hint: modelData.hint
            }
        }
    }

    Note {
        color: root.available ? Theme.text2 : Theme.amber
        text: root.available
              ? "Подойдёт одна клавиша (F9, Caps Lock, Alt), сочетание с Ctrl, Alt, Shift или Win (Ctrl + Alt + M) или кнопка мыши: колесо, 4, 5. Клавиши работают в играх и других программах: QUORVEL их только замечает и не забирает у игры — без перехвата клавиатуры, безопасно для античитов."
              : "Горячие клавиши работают в Windows. Здесь видно, как они будут назначены."
    }

    Section {
        title: "РЕГУЛЯТОР ГРОМКОСТИ НА КЛАВИАТУРЕ"

        SettingRow {
            label: "Управляет громкостью"
            hint: "Колёсико или кнопки громкости на клавиатуре и громкость Windows в трее"

            Combo {
                objectName: "volumeKnobChoice"
                width: 300
                items: root.knobChoices
                currentId: String(root.settings.volumeKnob || "")
                onPicked: (id) => {
                    if (root.backend)
                        root.backend.setSettings({ volumeKnob: id })
                }
            }
        }

        Note {
            text: "Крутите регулятор — двигается ползунок этих наушников в QUORVEL, двигаете ползунок — меняется громкость Windows. "
                  + "Кнопка «без звука» на клавиатуре включает у них Mute. Подходит любая клавиатура и мышь с регулятором: "
                  + "QUORVEL слушает громкость Windows, а не клавиши, — без перехвата клавиатуры, безопасно для античитов."
        }
    }
}
