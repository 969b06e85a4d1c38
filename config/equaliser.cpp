// The device equaliser edit behind setDevice's "eq" field: a ready-made preset, all ten bands,
// one band, or the older three-band form; afterwards the preset key names the first catalogue
// entry the bands still match, so a strip keeps showing "Больше баса" while the user only
// nudges a band by a hair.
#include "config/catalogue.h"
#include "config/command_fields.h"
#include "config/commands.h"

#include <cmath>
#include <optional>

namespace qv {
namespace {

using nlohmann::json;
using Bands = std::array<float, kEqBands>;

constexpr float kBandMin = -12;
constexpr float kBandMax = 12;
constexpr double kMatchTolerance = 0.05;

// A band matches a preset value when it lies within the tolerance of it. The band is stored as
// a float, so the window's edges are rounded to float the same way: a band the user set to
// exactly 0.05 dB off still matches, even though its float is a hair further away.
bool withinTolerance(float band, float preset) {
    const auto lo = static_cast<float>(static_cast<double>(preset) - kMatchTolerance);
    const auto hi = static_cast<float>(static_cast<double>(preset) + kMatchTolerance);
    return band >= lo && band <= hi;
}

std::string matchingPreset(const Bands& bands) {
    for (const EqPreset& preset : eqPresetCatalogue()) {
        bool all = true;
        for (int i = 0; i < kEqBands && all; ++i)
            all = withinTolerance(bands[i], preset.bands[i]);
        if (all)
            return std::string(preset.id);
    }
    return {};
}

// The band index as an exact integer; anything else (fractions, text, null) reads as -1.
int bandIndex(const json& edit) {
    const std::optional<double> v = fields::number(edit, "band");
    if (!v || !std::isfinite(*v) || std::floor(*v) != *v || std::fabs(*v) > 1e6)
        return -1;
    return static_cast<int>(*v);
}

Bands spreadThreeBands(float low, float mid, float high) {
    return {low, low, low, low * 0.5f, mid * 0.5f, mid, mid * 0.5f, high * 0.5f, high, high};
}

} // namespace

EqEditResult applyDeviceEq(DeviceEq& eq, const nlohmann::json& edit) {
    EqEditResult result;
    if (!edit.is_object())
        return result;

    Bands bands = eq.bands;
    const auto presetIt = edit.find("preset");
    const auto bandsIt = edit.find("bands");
    if (presetIt != edit.end() && presetIt->is_string()) {
        const auto& key = presetIt->get_ref<const std::string&>();
        const EqPreset* preset = findEqPreset(key);
        if (!preset) {
            result.error = "нет готовой настройки эквалайзера " + fields::quoted(key);
            return result;
        }
        bands = preset->bands;
    } else if (bandsIt != edit.end() && bandsIt->is_array()) {
        if (bandsIt->size() != static_cast<size_t>(kEqBands)) {
            result.error = "эквалайзер: нужно 10 значений";
            return result;
        }
        for (int i = 0; i < kEqBands; ++i) {
            const json& v = (*bandsIt)[static_cast<size_t>(i)];
            bands[i] = v.is_number() ? fields::clamp(v.get<double>(), kBandMin, kBandMax) : 0.0f;
        }
    } else if (edit.contains("band")) {
        const int index = bandIndex(edit);
        if (index < 0 || index >= kEqBands) {
            result.error = "эквалайзер: полоса 0…9";
            return result;
        }
        bands[index] = fields::clamp(fields::number(edit, "db").value_or(0), kBandMin, kBandMax);
    } else if (edit.contains("low") || edit.contains("mid") || edit.contains("high")) {
        auto read = [&](const char* key) {
            return fields::clamp(fields::number(edit, key).value_or(0), kBandMin, kBandMax);
        };
        bands = spreadThreeBands(read("low"), read("mid"), read("high"));
    }

    std::string preset = matchingPreset(bands);
    if (bands == eq.bands && preset == eq.preset)
        return result;
    eq.bands = bands;
    eq.preset = std::move(preset);
    result.changed = true;
    return result;
}

} // namespace qv
