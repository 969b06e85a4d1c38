// Scenes: named snapshots of the strips and a few engine settings, kept as a JSON array inside
// the document. A snapshot is taken from the document exactly as it is written out, so a scene
// restores what the engine would read back and the "modified" test compares like with like.
#include "config/command_fields.h"
#include "config/commands_internal.h"

#include <algorithm>
#include <optional>
#include <set>

namespace qv {
namespace {

using nlohmann::json;

// The settings a scene carries; everything else (hotkeys, folders, the volume knob…) belongs to
// the machine rather than to a mix.
constexpr std::string_view kSceneSettings[] = {
    "bufferMs", "safetyMs", "systemEndpointId", "density", "autoSizeWindow", "autoHideDisconnected",
};

// Never throws, even for text the document holds that is not valid UTF-8.
std::string compact(const json& v) {
    return v.dump(-1, ' ', false, json::error_handler_t::replace);
}

json loadScenes(const MixerConfig& c) {
    json scenes = json::parse(c.scenes, nullptr, false);
    return scenes.is_array() ? scenes : json::array();
}

json writtenDocument(const MixerConfig& c) {
    json doc = json::parse(serializeConfig(c), nullptr, false);
    return doc.is_object() ? doc : json::object();
}

json arrayMember(const json& obj, std::string_view key) {
    const auto it = obj.find(key);
    return it != obj.end() && it->is_array() ? *it : json::array();
}

bool hasText(const json& obj, std::string_view key, std::string_view value) {
    const auto it = obj.find(key);
    return it != obj.end() && it->is_string() && it->get_ref<const std::string&>() == value;
}

// The first scene with this id (scene ids are compared exactly).
std::optional<size_t> findScene(const json& scenes, std::string_view id) {
    for (size_t i = 0; i < scenes.size(); ++i)
        if (hasText(scenes[i], "id", id))
            return i;
    return std::nullopt;
}

// The next scene id: one more than the largest number any "scene…" id starts with. The numbers
// are compared and incremented as decimal text, so an id with more digits than any integer type
// holds neither overflows nor leads to a repeated id.
std::string nextSceneId(const json& scenes) {
    std::string largest = "0";
    for (const json& scene : scenes) {
        const auto it = scene.find("id");
        if (it == scene.end() || !it->is_string())
            continue;
        const std::string_view id = it->get_ref<const std::string&>();
        if (id.size() < 5 || !id.starts_with("scene"))
            continue;
        std::string_view digits = id.substr(5);
        digits = digits.substr(0, std::min(digits.size(), digits.find_first_not_of("0123456789")));
        while (digits.size() > 1 && digits.front() == '0')
            digits.remove_prefix(1);
        if (digits.size() > largest.size() || (digits.size() == largest.size() && digits > largest))
            largest = digits;
    }
    size_t i = largest.size();
    while (i > 0 && largest[i - 1] == '9')
        largest[--i] = '0';
    if (i == 0)
        largest.insert(largest.begin(), '1');
    else
        ++largest[i - 1];
    return "scene" + largest;
}

// The steps every scene command shares: load the list, read the fields, find the scene.
struct SceneCommand {
    json scenes;
    std::string id;
    std::string name;
    std::optional<size_t> index; // of the scene named by "id"

    json& scene() { return scenes[*index]; }
};

SceneCommand readCommand(const MixerConfig& c, const json& cmd) {
    SceneCommand sc{loadScenes(c), fields::text(cmd, "id"), fields::text(cmd, "name"),
                    std::nullopt};
    sc.index = findScene(sc.scenes, sc.id);
    return sc;
}

CommandResult storeScenes(MixerConfig& c, const json& scenes, json reply = nullptr) {
    c.scenes = compact(scenes);
    return fields::accepted(true, std::move(reply));
}

const char* const kNoScene = "нет такой сцены";
const char* const kNoName = "введите название сцены";

} // namespace

json sceneSnapshot(const MixerConfig& c) {
    const json doc = writtenDocument(c);
    json sources = arrayMember(doc, "sources");
    for (json& s : sources)
        if (s.is_object())
            s.erase("monitor"); // hearing yourself is a habit of the moment, not part of a mix
    json settings = json::object();
    if (const json* all = fields::object(doc, "settings"))
        for (std::string_view key : kSceneSettings)
            if (const auto it = all->find(key); it != all->end())
                settings[std::string(key)] = *it;
    return json{{"sources", std::move(sources)},
                {"devices", arrayMember(doc, "devices")},
                {"settings", std::move(settings)}};
}

bool sceneModified(const MixerConfig& c) {
    const json scenes = loadScenes(c);
    const std::optional<size_t> index = findScene(scenes, c.settings.currentScene);
    if (!index)
        return false;
    const json& scene = scenes[*index];
    const auto stored = scene.find("config");
    return stored == scene.end() || *stored != sceneSnapshot(c);
}

namespace cmd {

CommandResult saveScene(MixerConfig& c, const json& cmd) {
    SceneCommand sc = readCommand(c, cmd);
    if (sc.name.empty())
        return fields::refused(kNoName);
    for (const json& scene : sc.scenes)
        if (hasText(scene, "name", sc.name))
            return fields::refused("сцена " + fields::quoted(sc.name) +
                                   " уже есть — выберите другое название");
    std::string id = nextSceneId(sc.scenes);
    sc.scenes.push_back(json{{"id", id}, {"name", sc.name}, {"config", sceneSnapshot(c)}});
    c.settings.currentScene = id;
    return storeScenes(c, sc.scenes, json{{"id", id}});
}

CommandResult updateScene(MixerConfig& c, const json& cmd) {
    SceneCommand sc = readCommand(c, cmd);
    if (!sc.index)
        return fields::refused(kNoScene);
    sc.scene()["config"] = sceneSnapshot(c);
    c.settings.currentScene = sc.id;
    return storeScenes(c, sc.scenes);
}

CommandResult renameScene(MixerConfig& c, const json& cmd) {
    SceneCommand sc = readCommand(c, cmd);
    if (!sc.index)
        return fields::refused(kNoScene);
    if (sc.name.empty())
        return fields::refused(kNoName);
    for (const json& scene : sc.scenes)
        if (!hasText(scene, "id", sc.id) && hasText(scene, "name", sc.name))
            return fields::refused("сцена " + fields::quoted(sc.name) + " уже есть");
    sc.scene()["name"] = sc.name;
    return storeScenes(c, sc.scenes);
}

CommandResult deleteScene(MixerConfig& c, const json& cmd) {
    SceneCommand sc = readCommand(c, cmd);
    if (!sc.index)
        return fields::refused(kNoScene);
    sc.scenes.erase(*sc.index);
    if (c.settings.currentScene == sc.id)
        c.settings.currentScene.clear();
    return storeScenes(c, sc.scenes);
}

// Applying a scene restores its strips and settings. Microphones and apps the scene never knew
// stay (after the scene's own strips), outputs it never knew go, and the virtual microphone
// survives a scene saved before it existed.
CommandResult applyScene(MixerConfig& c, const json& cmd) {
    SceneCommand sc = readCommand(c, cmd);
    if (!sc.index)
        return fields::refused(kNoScene);
    // A damaged scene must not be taken as "no outputs": that would remove every output strip
    // with its equaliser and routes.
    const json* stored = fields::object(sc.scene(), "config");
    if (!stored)
        return fields::refused("сцена повреждена: в ней нет снимка микшера");
    const auto storedDevices = stored->find("devices");
    if (storedDevices == stored->end() || !storedDevices->is_array())
        return fields::refused("сцена повреждена: в ней нет списка устройств");
    const auto storedSources = stored->find("sources");
    if (storedSources != stored->end() && !storedSources->is_array())
        return fields::refused("сцена повреждена: список источников испорчен");
    const json& scene = *stored;
    json doc = writtenDocument(c);

    json sources = arrayMember(scene, "sources");
    std::set<std::string> known;
    for (const json& s : sources)
        if (const auto it = s.find("id"); it != s.end() && it->is_string())
            known.insert(it->get<std::string>());
    for (const json& s : arrayMember(doc, "sources")) {
        const auto it = s.find("id");
        if (it == s.end() || !it->is_string() || !known.contains(it->get<std::string>()))
            sources.push_back(s);
    }

    json devices = arrayMember(scene, "devices");
    const bool sceneHasMic = std::any_of(devices.begin(), devices.end(), [](const json& d) {
        return hasText(d, "id", kVirtualMicId);
    });
    if (!sceneHasMic)
        for (const json& d : arrayMember(doc, "devices"))
            if (hasText(d, "id", kVirtualMicId))
                devices.push_back(d);

    const json* current = fields::object(doc, "settings");
    json settings = current ? *current : json::object();
    if (const json* overrides = fields::object(scene, "settings"))
        for (const auto& [key, value] : overrides->items())
            settings[key] = value;

    doc["sources"] = std::move(sources);
    doc["devices"] = std::move(devices);
    doc["settings"] = std::move(settings);
    MixerConfig next;
    std::string error;
    if (!parseConfig(compact(doc), next, error))
        return fields::refused("сцена повреждена: " + error);
    next.scenes = compact(sc.scenes);
    next.settings.currentScene = sc.id;
    keepVolumeKnobOnDevice(next);
    c = std::move(next);
    return fields::accepted(true);
}

} // namespace cmd
} // namespace qv
