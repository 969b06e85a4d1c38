#include "app/remote_requests.h"

#include "backend/backend.h"

#include <QMetaObject>
#include <QStringList>

#include <functional>

namespace qv::ui {
namespace {

using Json = nlohmann::json;

Json failure(const QString& text) {
    return {{"ok", false}, {"error", text.toStdString()}};
}

Json success(Json result) {
    return {{"ok", true}, {"result", std::move(result)}};
}

QString text(const Json& object, const char* key) {
    const auto it = object.find(key);
    return it != object.end() && it->is_string()
               ? QString::fromStdString(it->get<std::string>()).trimmed()
               : QString();
}

// One entry of `list` (objects with "id" and "name") named by `wanted`: an exact id wins, so an
// id is the way out of an ambiguous name; otherwise ids and names compared case-insensitively,
// and only one entry may fit.
struct Found {
    const Json* entry = nullptr;
    QStringList candidates; // "«name» (id)" of every fitting entry when there are several
};

Found findByName(const Json& list, const QString& wanted) {
    Found out;
    for (const Json& entry : list)
        if (text(entry, "id") == wanted) {
            out.entry = &entry;
            return out;
        }
    for (const Json& entry : list) {
        const QString id = text(entry, "id");
        const QString name = text(entry, "name");
        if (id.compare(wanted, Qt::CaseInsensitive) == 0 ||
            name.compare(wanted, Qt::CaseInsensitive) == 0) {
            out.entry = &entry;
            out.candidates << QStringLiteral("«%1» (%2)").arg(name, id);
        }
    }
    if (out.candidates.size() > 1)
        out.entry = nullptr;
    return out;
}

QString ambiguous(const QString& wanted, const QStringList& candidates) {
    return QStringLiteral("Имя «%1» подходит нескольким: %2 — укажите id")
        .arg(wanted, candidates.join(QStringLiteral(", ")));
}

bool isSourceKind(const std::string& kind) {
    return kind == "physical_input" || kind == "app" || kind == "system";
}

Json sceneList(const Backend& backend) {
    Json list = Json::array();
    for (const QVariant& v : backend.scenes()) {
        const QVariantMap scene = v.toMap();
        list.push_back({{"id", scene.value(QStringLiteral("id")).toString().toStdString()},
                        {"name", scene.value(QStringLiteral("name")).toString().toStdString()}});
    }
    return list;
}

Json status(const Backend& backend) {
    return {{"connected", backend.connected()},
            {"ready", backend.ready()},
            {"status", backend.status().toStdString()},
            {"demo", backend.demo()},
            {"scene", backend.currentSceneName().toStdString()},
            {"sceneModified", backend.sceneModified()},
            {"voiceOn", backend.voiceOn()},
            {"scenes", sceneList(backend)},
            {"strips", backend.strips()}};
}

// Runs `edit` and reports the refusal the Backend announces while it runs (empty: accepted).
QString refusalOf(Backend& backend, const std::function<void()>& edit) {
    QString refusal;
    const QMetaObject::Connection watch = QObject::connect(
        &backend, &Backend::editRefused, &backend,
        [&refusal](const QString& why) { refusal = why; }, Qt::DirectConnection);
    edit();
    QObject::disconnect(watch);
    return refusal;
}

Json stripEdit(Backend& backend, const Json& request, const std::string& verb) {
    const QString wanted = text(request, "name");
    if (wanted.isEmpty())
        return failure(QStringLiteral("Не указана полоса: нужен id или имя"));
    const Json strips = backend.strips();
    const Found found = findByName(strips, wanted);
    if (!found.entry)
        return failure(found.candidates.isEmpty()
                           ? QStringLiteral("Нет источника или устройства «%1»").arg(wanted)
                           : ambiguous(wanted, found.candidates));
    const Json& strip = *found.entry;
    const QString id = text(strip, "id");
    QVariantMap fields;
    if (verb == "gain") {
        const auto db = request.find("db");
        if (db == request.end() || !db->is_number())
            return failure(QStringLiteral("Не указана громкость в дБ"));
        fields[QStringLiteral("gainDb")] = db->get<double>();
    } else {
        const auto mute = strip.find("mute");
        const bool wasMuted = mute != strip.end() && mute->is_boolean() && mute->get<bool>();
        fields[QStringLiteral("mute")] = verb == "mute" || (verb == "toggle-mute" && !wasMuted);
    }
    const bool source = isSourceKind(text(strip, "kind").toStdString());
    const QString refusal = refusalOf(backend, [&] {
        if (source)
            backend.setSource(id, fields);
        else
            backend.setDevice(id, fields);
    });
    if (!refusal.isEmpty())
        return failure(refusal);
    for (const Json& now : backend.strips())
        if (text(now, "id") == id)
            return success(now);
    return success(Json::object());
}

Json sceneEdit(Backend& backend, const Json& request) {
    const QString wanted = text(request, "name");
    const Found found = findByName(sceneList(backend), wanted);
    if (!found.entry)
        return failure(found.candidates.isEmpty() ? QStringLiteral("Нет сцены «%1»").arg(wanted)
                                                  : ambiguous(wanted, found.candidates));
    const QString id = text(*found.entry, "id");
    const QString refusal = refusalOf(backend, [&] { backend.applyScene(id); });
    if (!refusal.isEmpty())
        return failure(refusal);
    return success({{"scene", backend.currentSceneName().toStdString()}});
}

Json voiceEdit(Backend& backend, const Json& request) {
    const QString mode = text(request, "mode");
    if (mode != QLatin1String("on") && mode != QLatin1String("off") &&
        mode != QLatin1String("toggle"))
        return failure(QStringLiteral("Изменение голоса: ожидается on, off или toggle"));
    // The window's voice switch acts on every microphone at once; "on" and "off" flip it only
    // when it is not already where it is asked to be.
    const bool flip =
        mode == QLatin1String("toggle") || (mode == QLatin1String("on")) != backend.voiceOn();
    if (flip) {
        const QString refusal = refusalOf(backend, [&] { backend.toggleVoice(); });
        if (!refusal.isEmpty())
            return failure(refusal);
    }
    return success({{"voiceOn", backend.voiceOn()}});
}

} // namespace

Json oversizedRequestAnswer() {
    return failure(QStringLiteral("Запрос длиннее 64 КиБ"));
}

Json answerControlRequest(Backend& backend, const QByteArray& line) {
    const Json request =
        Json::parse(line.constData(), line.constData() + line.size(), nullptr, false);
    if (!request.is_object())
        return failure(QStringLiteral("Запрос не читается: нужен объект JSON в одной строке"));
    const QString verbText = text(request, "verb");
    const std::string verb = verbText.toStdString();
    if (verb == "status")
        return success(status(backend));
    const bool known = verb == "mute" || verb == "unmute" || verb == "toggle-mute" ||
                       verb == "gain" || verb == "scene" || verb == "voice";
    if (!known)
        return failure(QStringLiteral("Неизвестная команда «%1»").arg(verbText));
    // Without the engine's document the mixer shown is not the one that plays: an edit would
    // only change the picture and be lost.
    if (!backend.ready())
        return failure(QStringLiteral("QUORVEL не подключён к движку: %1").arg(backend.status()));
    if (verb == "scene")
        return sceneEdit(backend, request);
    if (verb == "voice")
        return voiceEdit(backend, request);
    return stripEdit(backend, request, verb);
}

} // namespace qv::ui
