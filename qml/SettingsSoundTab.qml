pragma ComponentBehavior: Bound
import QtQuick
import "."

// Settings tab "Звук": what Windows uses, the engine's rate and buffer, and where the
// all-sounds source takes its sound from.
Column {
    id: root

    // qmllint disable unqualified
    readonly property var backend: typeof qv !== "undefined" ? qv : null
    // qmllint enable unqualified
    readonly property var settings: root.backend && root.backend.settings ? root.backend.settings : ({})
    readonly property var sourceChoices: {
        const list = [{ id: "", name: "Авто" }]
        const eps = root.backend && root.backend.renderEndpoints ? root.backend.renderEndpoints : []
        for (let i = 0; i < eps.length; ++i)
            list.push({ id: String(eps[i].endpointId), name: String(eps[i].name) })
        return list
    }
    readonly property string systemEndpoint: {
        const sys = String(root.settings.systemEndpointId || "")
        for (const c of root.sourceChoices) {
            if (c.id === sys)
                return sys
        }
        return ""
    }

    width: parent ? parent.width : 400
    spacing: 12

    WindowsBanner {
        width: root.width
    }

    Section {
        title: "ЗВУК"

        SettingRow {
            label: "Частота дискретизации"
            hint: "Движок и драйвер QUORVEL работают на одной частоте — без пересчёта звука"

            Txt {
                objectName: "sampleRateText"
                mono: true
                text: Theme.khz(root.settings.sampleRate)
            }
        }

        SettingRow {
            label: "Буфер"
            hint: "Меньше — меньше задержка, больше — надёжнее на слабом ПК. Применится после перезапуска движка"

            Segmented {
                objectName: "bufferChoice"
                options: [{ label: "5 мс", value: 5 }, { label: "10 мс", value: 10 }, { label: "20 мс", value: 20 }]
                value: Math.round(root.settings.bufferMs === undefined ? 10 : Number(root.settings.bufferMs))
                onPicked: (v) => {
                    if (root.backend)
                        root.backend.setSettings({ bufferMs: v })
                }
            }
        }

        SettingRow {
            label: "Откуда брать «Все звуки»"
            hint: "Звук системы для канала «Все звуки». Авто: «QUORVEL», без драйвера — устройство Windows по умолчанию"

            Combo {
                objectName: "systemSourceChoice"
                width: 240
                listMaxHeight: 300
                items: root.sourceChoices
                currentId: root.systemEndpoint
                onPicked: (id) => {
                    if (root.backend)
                        root.backend.setSettings({ systemEndpointId: id })
                }
            }
        }
    }
}
