// The equaliser curve with its gain correction, and the voice preset lookup.

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

// Zeros (and targets inside +-0.05 dB) are flat; the point count is clamped to 2..400 and the
// points span 20 Hz to 20 kHz on a log scale.
TEST(EqCurve, FlatnessPointCountAndSpan) {
    for (int points : {2, 3, 48, 400})
        EXPECT_EQ(presets::eqCurve(bandsList({}), points), QVariantList(points, 0.0));
    EXPECT_EQ(presets::eqCurve(bandsList(single(3, 0.049)), 10), QVariantList(10, 0.0));
    EXPECT_NE(presets::eqCurve(bandsList(single(3, 0.05)), 10).at(4).toDouble(), 0.0);
    const std::pair<int, int> counts[] = {{-5, 2}, {1, 2}, {400, 400}, {401, 400}};
    for (auto [asked, got] : counts)
        EXPECT_EQ(presets::eqCurve(bandsList(single(5, 6)), asked).size(), got) << asked;

    const EqGains gains = presets::eqCorrectedGains(single(9, 6));
    const QVariantList curve = presets::eqCurve(bandsList(single(9, 6)), 7);
    EXPECT_DOUBLE_EQ(curve.front().toDouble(), presets::eqResponseDb(gains, 20.0));
    EXPECT_DOUBLE_EQ(curve[3].toDouble(), presets::eqResponseDb(gains, 20.0 * std::sqrt(1000.0)));
    EXPECT_DOUBLE_EQ(curve.back().toDouble(), presets::eqResponseDb(gains, 20000.0));
}

// Band values come from QML: out of range they are clamped, and a non-finite one becomes the
// lower bound, as in the configuration.
TEST(EqCurve, TargetsAreReadAsClampedNumbers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(presets::eqTargets({30.0, -30.0, nan, inf}),
              (EqGains{12, -12, -12, -12, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(presets::eqCurve({30, 30, 30, 30, 30, 30, 30, 30, 30, 30}, 64),
              presets::eqCurve({12, 12, 12, 12, 12, 12, 12, 12, 12, 12}, 64));
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
