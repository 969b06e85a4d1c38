#pragma once
// The equaliser and voice preset catalogues: one copy of the data, shared by the commands,
// the Backend and the demo engine.

#include "config/mixer_config.h"

#include <array>
#include <span>
#include <string_view>

namespace qv {

struct EqCategory {
    std::string_view id;
    std::string_view name;
};

struct EqPreset {
    std::string_view id;
    std::string_view name;
    std::string_view category; // EqCategory::id
    std::string_view tags;     // words separated by single blanks
    std::array<float, kEqBands> bands;
};

struct VoicePreset {
    std::string_view id;
    std::string_view name;
    std::string_view category;
    std::string_view hint;
    float pitch; // semitones
};

std::span<const EqCategory> eqCategories();
std::span<const EqPreset> eqPresetCatalogue();       // 58, in catalogue order
std::span<const std::string_view> voiceCategories(); // in order of first occurrence
std::span<const VoicePreset> voicePresetCatalogue(); // 45, in catalogue order

const EqPreset* findEqPreset(std::string_view id);
const VoicePreset* findVoicePreset(std::string_view id);

} // namespace qv
