// The preset catalogues: sizes, order at the edges, internal consistency and lookups.
#include "config/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

using namespace qv;

TEST(Catalogue, SizesOrderAndSpotValues) {
    ASSERT_EQ(eqCategories().size(), 6u);
    ASSERT_EQ(eqPresetCatalogue().size(), 58u);
    ASSERT_EQ(voicePresetCatalogue().size(), 45u);
    EXPECT_EQ(eqCategories().back().name, "Наушники и колонки");
    EXPECT_EQ(eqPresetCatalogue()[0].id, "flat");
    EXPECT_EQ(eqPresetCatalogue()[13].name, "CS2 / Valorant: шаги и щелчки");
    EXPECT_EQ(eqPresetCatalogue()[57].id, "no_sub");
    EXPECT_EQ(voicePresetCatalogue()[44].id, "duck");
    const std::array<float, kEqBands> loudness{7, 6, 3, -1, -3, -3, -1, 2, 5, 6};
    EXPECT_EQ(findEqPreset("loudness")->bands, loudness);
    EXPECT_EQ(findEqPreset("rnb")->tags, "r&b соул");
    const VoicePreset* slow = findVoicePreset("slowbass");
    EXPECT_EQ(slow->hint, "очень низко и медленно");
    EXPECT_EQ(slow->pitch, -12.0f);
    for (std::string_view unknown : {"", "Bass", "robot"})
        EXPECT_EQ(findEqPreset(unknown), nullptr) << unknown;
    EXPECT_EQ(findVoicePreset("Robot"), nullptr);
}

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
