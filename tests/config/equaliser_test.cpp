// The device equaliser edit: its four forms, refusals, and the preset key that follows the bands;
// and the preset catalogues it draws on.
#include "config/catalogue.h"
#include "config/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <vector>

namespace {

using namespace qv;
using nlohmann::json;
using Bands = std::array<float, kEqBands>;

const Bands kBass{6, 6, 5, 3, 1, 0, 0, 0, 0, 0};
const double kNaN = std::numeric_limits<double>::quiet_NaN();

DeviceEq eqWith(const Bands& bands, std::string preset = {}) {
    return DeviceEq{bands, preset};
}

TEST(DeviceEq, Forms) {
    struct Case {
        DeviceEq before;
        json edit;
        Bands bands;
        std::string preset;
    };
    const Case cases[] = {
        {{}, {{"preset", "bass"}, {"bands", json::array()}}, kBass, "bass"}, // preset comes first
        {{},
         {{"bands", {20, -20, "x", nullptr, true, 1.5, kNaN, 0, 0, 2}}},
         {12, -12, 0, 0, 0, 1.5f, -12, 0, 0, 2},
         ""},
        {eqWith(kBass, "bass"),
         {{"bands", "flat"}, {"band", 0}},
         {0, 6, 5, 3, 1, 0, 0, 0, 0, 0},
         ""},
        {{}, {{"band", 9}, {"db", 30}}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 12}, ""},
        {{}, {{"low", 6}, {"mid", 4}, {"high", -20}}, {6, 6, 6, 3, 2, 4, 2, -6, -12, -12}, ""},
        {eqWith(kBass), {{"mid", 2}}, {0, 0, 0, 0, 1, 2, 1, 0, 0, 0}, ""},
        {eqWith(kBass), json::object(), kBass, "bass"}, // unchanged bands still get their name
        {eqWith(kBass, "bass"),
         {{"bands", json::array({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}},
         {},
         "flat"},
    };
    for (const Case& c : cases) {
        DeviceEq eq = c.before;
        const EqEditResult r = applyDeviceEq(eq, c.edit);
        EXPECT_EQ(r.error, "") << c.edit.dump();
        EXPECT_TRUE(r.changed) << c.edit.dump();
        EXPECT_EQ(eq.bands, c.bands) << c.edit.dump();
        EXPECT_EQ(eq.preset, c.preset) << c.edit.dump();
    }
}

TEST(DeviceEq, RefusalsLeaveTheEqualiserAlone) {
    std::vector<std::pair<json, std::string>> cases = {
        {{{"preset", "Bass"}}, "нет готовой настройки эквалайзера «Bass»"},
        {{{"bands", {1, 2, 3}}}, "эквалайзер: нужно 10 значений"},
    };
    for (const json& band : {json(10), json(-1), json(2.5), json("3"), json(1e300)})
        cases.push_back({{{"band", band}, {"db", 3}}, "эквалайзер: полоса 0…9"});
    for (const auto& [edit, error] : cases) {
        DeviceEq eq = eqWith(kBass, "bass");
        const EqEditResult r = applyDeviceEq(eq, edit);
        EXPECT_EQ(r.error, error);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(eq.bands, kBass);
    }
}

TEST(DeviceEq, PresetKeyWithinFiveHundredthsOfADecibel) {
    for (const auto& [offset, keeps] : {std::pair{0.04f, true}, {0.05f, true}, {0.051f, false}}) {
        for (int band : {0, 5, 9}) {
            for (float sign : {1.0f, -1.0f}) {
                DeviceEq eq = eqWith(kBass, "bass");
                const float db = kBass[band] + sign * offset;
                EXPECT_TRUE(applyDeviceEq(eq, {{"band", band}, {"db", db}}).changed);
                EXPECT_EQ(eq.preset, keeps ? "bass" : "") << "band " << band << " at " << db;
            }
        }
    }
    DeviceEq same = eqWith(kBass, "bass"); // unchanged only while bands and key stay
    EXPECT_FALSE(applyDeviceEq(same, {{"preset", "bass"}}).changed);
    EXPECT_FALSE(applyDeviceEq(same, {{"band", 0}, {"db", 6}}).changed);
    // Every catalogue entry is found again from bands set by hand a little off its values.
    for (const EqPreset& preset : eqPresetCatalogue()) {
        json bands = json::array();
        for (float b : preset.bands)
            bands.push_back(b - 0.03);
        DeviceEq eq;
        applyDeviceEq(eq, {{"bands", bands}});
        EXPECT_EQ(eq.preset, preset.id);
    }
}

// The catalogues hold together: unique ids found by lookup, categories that exist and keep
// their presets together, trimmed tags, bands within the equaliser's range.
TEST(Catalogue, EntriesAreConsistent) {
    std::set<std::string_view> categories, ids, closed;
    for (const EqCategory& c : eqCategories())
        categories.insert(c.id);
    std::string_view current;
    for (const EqPreset& p : eqPresetCatalogue()) {
        EXPECT_EQ(findEqPreset(p.id), &p) << "duplicate " << p.id;
        EXPECT_TRUE(categories.contains(p.category)) << p.id;
        if (p.category != current) { // each category's presets sit together
            EXPECT_TRUE(closed.insert(current).second) << p.id;
            current = p.category;
        }
        EXPECT_TRUE(!p.tags.empty() && p.tags.front() != ' ' && p.tags.back() != ' ' &&
                    p.tags.find("  ") == std::string_view::npos)
            << p.id;
        EXPECT_TRUE(std::all_of(p.bands.begin(), p.bands.end(), [](float b) {
            return b >= -12 && b <= 12;
        })) << p.id;
    }
    std::vector<std::string_view> firstSeen;
    for (const VoicePreset& p : voicePresetCatalogue()) {
        EXPECT_EQ(findVoicePreset(p.id), &p) << "duplicate " << p.id;
        if (std::find(firstSeen.begin(), firstSeen.end(), p.category) == firstSeen.end())
            firstSeen.push_back(p.category);
    }
    const auto listed = voiceCategories();
    EXPECT_EQ(firstSeen, std::vector<std::string_view>(listed.begin(), listed.end()));
}

} // namespace
