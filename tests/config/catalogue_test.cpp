// The preset catalogues hold together: unique ids found by lookup, categories that exist and
// keep their presets together, trimmed tags, bands within the equaliser's range.
#include "config/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

using namespace qv;

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
