// The preset lists shown to QML and the equaliser curve with its gain correction.

#include "backend/presets.h"
#include "config/catalogue.h"

#include <gtest/gtest.h>

#include <QVariantMap>

#include <cmath>
#include <cstdio>
#include <limits>

namespace presets = qv::ui::presets;
using presets::EqGains;

namespace {

QVariantList bandsList(const EqGains& g) {
    QVariantList list;
    for (double v : g)
        list.append(v);
    return list;
}

EqGains single(int band, double gain) {
    EqGains g{};
    g[band] = gain;
    return g;
}

double worstCentreError(const EqGains& targets) {
    const EqGains gains = presets::eqCorrectedGains(targets);
    double worst = 0;
    for (int i = 0; i < qv::kEqBands; ++i)
        worst = std::max(
            worst, std::abs(targets[i] - presets::eqResponseDb(gains, presets::kEqCentres[i])));
    return worst;
}

} // namespace

TEST(EqCurve, ZerosAreFlatAtAnyPointCount) {
    for (int points : {2, 3, 48, 400}) {
        const QVariantList curve = presets::eqCurve(bandsList({}), points);
        ASSERT_EQ(curve.size(), points);
        for (const QVariant& v : curve)
            EXPECT_EQ(v.toDouble(), 0.0);
    }
    // Targets inside +-0.05 dB count as flat too.
    for (const QVariant& v : presets::eqCurve(bandsList(single(3, 0.049)), 10))
        EXPECT_EQ(v.toDouble(), 0.0);
    EXPECT_NE(presets::eqCurve(bandsList(single(3, 0.05)), 10).at(4).toDouble(), 0.0);
}

TEST(EqCurve, PointCountIsClamped) {
    const std::pair<int, int> cases[] = {{-5, 2},  {0, 2},     {1, 2},     {2, 2},
                                         {48, 48}, {400, 400}, {401, 400}, {1000, 400}};
    for (auto [asked, got] : cases)
        EXPECT_EQ(presets::eqCurve(bandsList(single(5, 6)), asked).size(), got) << asked;
}

TEST(EqCurve, CurveSpansTwentyHertzToTwentyKilohertz) {
    const EqGains gains = presets::eqCorrectedGains(single(9, 6));
    const QVariantList curve = presets::eqCurve(bandsList(single(9, 6)), 7);
    EXPECT_DOUBLE_EQ(curve.front().toDouble(), presets::eqResponseDb(gains, 20.0));
    EXPECT_DOUBLE_EQ(curve[3].toDouble(), presets::eqResponseDb(gains, 20.0 * std::sqrt(1000.0)));
    EXPECT_DOUBLE_EQ(curve.back().toDouble(), presets::eqResponseDb(gains, 20000.0));
}

TEST(EqCurve, TargetsAreReadAsClampedNumbers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        QVariantList bands;
        EqGains targets;
    } cases[] = {
        {{}, {}},
        {{30.0}, single(0, 12)},
        {{0, -30.0}, single(1, -12)},
        {{0, 0, QStringLiteral("6")}, single(2, 6)},
        {{0, 0, 0, QStringLiteral("loud")}, {}},
        {{0, 0, 0, 0, nan}, single(4, -12)},
        {{0, 0, 0, 0, 0, inf}, single(5, -12)},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9.0}, {}}, // an eleventh entry is ignored
    };
    for (const Case& c : cases)
        EXPECT_EQ(presets::eqTargets(c.bands), c.targets);
    EXPECT_EQ(presets::eqCurve({30, 30, 30, 30, 30, 30, 30, 30, 30, 30}, 64),
              presets::eqCurve({12, 12, 12, 12, 12, 12, 12, 12, 12, 12}, 64));
    for (const QVariant& v : presets::eqCurve({nan, inf, -inf}, 64))
        EXPECT_TRUE(std::isfinite(v.toDouble()));
}

// The filter shapes themselves, independent of the correction: a peaking filter reaches its gain
// exactly at its centre, a low shelf at DC, a high shelf at Nyquist. The coefficients are floats,
// as the engine runs them; near DC the 45 Hz shelf's poles sit so close to z = 1 that float
// rounding alone moves its response by a few hundredths of a dB.
TEST(EqCurve, FilterShapesReachTheirGain) {
    for (double g : {-12.0, -3.0, 6.0, 20.0}) {
        for (int band = 1; band <= 8; ++band)
            EXPECT_NEAR(presets::eqResponseDb(single(band, g), presets::kEqCentres[band]), g, 2e-4);
        EXPECT_NEAR(presets::eqResponseDb(single(0, g), 0.0), g, 0.05);
        EXPECT_NEAR(presets::eqResponseDb(single(9, g), 24000.0), g, 2e-4);
        // A shelf is half way (in dB) at its corner.
        EXPECT_NEAR(presets::eqResponseDb(single(0, g), 45.0), g / 2, 0.05);
        EXPECT_NEAR(presets::eqResponseDb(single(9, g), 11300.0), g / 2, 0.05);
    }
}

TEST(EqCorrection, CorrectedGainsStayInRange) {
    const EqGains extremes[] = {
        {12, 12, 12, 12, 12, 12, 12, 12, 12, 12},
        {-12, -12, -12, -12, -12, -12, -12, -12, -12, -12},
        {12, -12, 12, -12, 12, -12, 12, -12, 12, -12},
        {-12, 12, -12, 12, -12, 12, -12, 12, -12, 12},
    };
    for (const EqGains& targets : extremes)
        for (double g : presets::eqCorrectedGains(targets))
            EXPECT_LE(std::abs(g), 20.0);
    // Overlapping bands: all +12 needs less than 12 per filter, the sum does the rest.
    const EqGains gains = presets::eqCorrectedGains(extremes[0]);
    EXPECT_LT(gains[4], 12.0);
    EXPECT_LT(worstCentreError(extremes[0]), 0.05);
}

TEST(EqCorrection, SingleBandsMeetTheirTargets) {
    for (int band = 0; band < qv::kEqBands; ++band)
        EXPECT_LT(worstCentreError(single(band, 6)), 0.05) << band;
}

// How closely the corrected filters meet each catalogue preset at the ten band centres. The
// correction aims for 0.01 dB; at 31.25 Hz the float shelf's rounding noise (see above) can keep
// it a little further off after the last pass.
TEST(EqCorrection, CataloguePresetsMeetTheirTargets) {
    ASSERT_EQ(qv::eqPresetCatalogue().size(), 58u);
    double worst = 0;
    std::string worstId;
    for (const qv::EqPreset& p : qv::eqPresetCatalogue()) {
        EqGains targets;
        for (int i = 0; i < qv::kEqBands; ++i)
            targets[i] = p.bands[i];
        const double e = worstCentreError(targets);
        if (e > worst) {
            worst = e;
            worstId = std::string(p.id);
        }
    }
    std::printf("largest centre error over the catalogue: %.6f dB (%s)\n", worst, worstId.c_str());
    RecordProperty("largest_centre_error_db", std::to_string(worst));
    EXPECT_LT(worst, 0.05);
}

TEST(PresetLists, EqPresetsCarryTheirCurves) {
    const QVariantList& list = presets::eqPresetList();
    const auto catalogue = qv::eqPresetCatalogue();
    ASSERT_EQ(list.size(), qsizetype(catalogue.size()));
    ASSERT_EQ(list.size(), 58);
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QVariantMap p = list[i].toMap();
        EXPECT_EQ(p.value("id").toString().toStdString(), catalogue[i].id);
        EXPECT_FALSE(p.value("categoryName").toString().isEmpty()) << i;
        const QVariantList bands = p.value("bands").toList();
        ASSERT_EQ(bands.size(), 10);
        for (int b = 0; b < 10; ++b)
            EXPECT_EQ(bands[b].toDouble(), double(catalogue[i].bands[b]));
        EXPECT_EQ(p.value("curve").toList(), presets::eqCurve(bands, 48)) << i;
    }
    const QVariantMap first = list.front().toMap();
    EXPECT_EQ(first.value("name").toString(), QStringLiteral("Ровно"));
    EXPECT_EQ(first.value("category").toString(), QStringLiteral("basic"));
    EXPECT_EQ(first.value("categoryName").toString(), QStringLiteral("Основные"));
    EXPECT_EQ(first.value("tags").toString(), QStringLiteral("выкл без эквалайзера сброс"));
    EXPECT_EQ(list.back().toMap().value("categoryName").toString(),
              QStringLiteral("Наушники и колонки"));
    EXPECT_EQ(&presets::eqPresetList(), &list); // built once
}

TEST(PresetLists, CategoriesAndVoices) {
    const QVariantList eqCats = presets::eqCategoryList();
    ASSERT_EQ(eqCats.size(), 6);
    EXPECT_EQ(eqCats[3].toMap(), (QVariantMap{{"id", "voice"}, {"name", "Голос и видео"}}));

    EXPECT_EQ(presets::voiceCategoryList(), (QStringList{"Базовые", "Персонажи", "Монстры",
                                                         "Техника", "Пространство", "Смешные"}));

    const QVariantList voices = presets::voicePresetList();
    ASSERT_EQ(voices.size(), 45);
    const QVariantMap duck = voices[44].toMap();
    EXPECT_EQ(duck.value("id").toString(), QStringLiteral("duck"));
    EXPECT_EQ(duck.value("hint").toString(), QStringLiteral("крякающий"));
    EXPECT_EQ(duck.value("category").toString(), QStringLiteral("Смешные"));
    EXPECT_EQ(duck.value("pitch").typeId(), QMetaType::Double);
    EXPECT_EQ(duck.value("pitch").toDouble(), 7.0);
    EXPECT_EQ(voices[2].toMap().value("pitch").toDouble(), -12.0);

    EXPECT_EQ(presets::voicePresetIndex("duck"), 44);
    EXPECT_EQ(presets::voicePresetIndex("low"), 0);
    EXPECT_EQ(presets::voicePresetIndex("Duck"), -1);
    EXPECT_EQ(presets::voicePresetIndex(""), -1);
}
