#include "backend/presets.h"

#include "config/catalogue.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

namespace qv::ui::presets {
namespace {

constexpr double kMaxTarget = 12.0;
constexpr double kMaxFilterGain = 20.0;
constexpr double kFlatTolerance = 0.05;
constexpr int kCorrectionPasses = 24;
constexpr double kCorrectionStep = 0.8;
constexpr double kCorrectionDone = 0.01;
constexpr int kMinPoints = 2;
constexpr int kMaxPoints = 400;

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// One biquad, a0 normalised to 1. The coefficients are kept as 32-bit floats because that is
// what the engine runs, so the drawn curve matches what is heard.
struct Biquad {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

enum class Shape { LowShelf, Peak, HighShelf };

Biquad design(Shape shape, double f0, double gainDb) {
    if (gainDb == 0)
        return {};
    const double A = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * std::numbers::pi * f0 / kEqSampleRate;
    const double cw = std::cos(w0);
    const double sw = std::sin(w0);
    double b0, b1, b2, a0, a1, a2;
    if (shape == Shape::Peak) {
        const double alpha = sw / (2.0 * 0.9); // Q = 0.9
        b0 = 1 + alpha * A;
        b1 = -2 * cw;
        b2 = 1 - alpha * A;
        a0 = 1 + alpha / A;
        a1 = -2 * cw;
        a2 = 1 - alpha / A;
    } else {
        const double alpha = sw / 2.0 * std::sqrt(2.0); // shelf slope 1
        const double k = 2.0 * std::sqrt(A) * alpha;
        if (shape == Shape::LowShelf) {
            b0 = A * ((A + 1) - (A - 1) * cw + k);
            b1 = 2 * A * ((A - 1) - (A + 1) * cw);
            b2 = A * ((A + 1) - (A - 1) * cw - k);
            a0 = (A + 1) + (A - 1) * cw + k;
            a1 = -2 * ((A - 1) + (A + 1) * cw);
            a2 = (A + 1) + (A - 1) * cw - k;
        } else {
            b0 = A * ((A + 1) + (A - 1) * cw + k);
            b1 = -2 * A * ((A - 1) + (A + 1) * cw);
            b2 = A * ((A + 1) + (A - 1) * cw - k);
            a0 = (A + 1) - (A - 1) * cw + k;
            a1 = 2 * ((A - 1) - (A + 1) * cw);
            a2 = (A + 1) - (A - 1) * cw - k;
        }
    }
    return {float(b0 / a0), float(b1 / a0), float(b2 / a0), float(a1 / a0), float(a2 / a0)};
}

Biquad bandFilter(int band, double gainDb) {
    if (band == 0)
        return design(Shape::LowShelf, 45.0, gainDb);
    if (band == kEqBands - 1)
        return design(Shape::HighShelf, std::min(0.4 * kEqSampleRate, 11300.0), gainDb);
    return design(Shape::Peak, std::min(0.45 * kEqSampleRate, kEqCentres[band]), gainDb);
}

using Filters = std::array<Biquad, kEqBands>;

Filters buildFilters(const EqGains& gains) {
    Filters filters;
    for (int i = 0; i < kEqBands; ++i)
        filters[i] = bandFilter(i, gains[i]);
    return filters;
}

// Summed magnitude in dB of the filters at one frequency: |H(e^jw)| per biquad from the real
// and imaginary parts of numerator and denominator, floored at 1e-9 so a notch stays finite.
double responseDb(const Filters& filters, double hz) {
    const double w = 2.0 * std::numbers::pi * hz / kEqSampleRate;
    const double c1 = std::cos(w), s1 = std::sin(w);
    const double c2 = std::cos(2 * w), s2 = std::sin(2 * w);
    double sum = 0;
    for (const Biquad& f : filters) {
        const double nr = f.b0 + f.b1 * c1 + f.b2 * c2;
        const double ni = -(f.b1 * s1 + f.b2 * s2);
        const double dr = 1.0 + f.a1 * c1 + f.a2 * c2;
        const double di = -(f.a1 * s1 + f.a2 * s2);
        const double mag = std::sqrt((nr * nr + ni * ni) / (dr * dr + di * di));
        sum += 20.0 * std::log10(std::max(mag, 1e-9));
    }
    return sum;
}

// The corrected gains and the filters built from them, kept together so the correction's last
// rebuild is reused for the curve.
Filters correctedFilters(const EqGains& targets, EqGains* gainsOut) {
    EqGains gains{};
    const bool flat = std::all_of(targets.begin(), targets.end(),
                                  [](double t) { return std::abs(t) < kFlatTolerance; });
    if (flat) {
        if (gainsOut)
            *gainsOut = gains;
        return buildFilters(gains);
    }
    // The bands overlap, so a band's own gain alone misses its target at its centre: nudge each
    // gain towards the remaining error until every centre is within 0.01 dB (or give up).
    gains = targets;
    Filters filters = buildFilters(gains);
    for (int pass = 0; pass < kCorrectionPasses; ++pass) {
        double worst = 0;
        for (int i = 0; i < kEqBands; ++i) {
            const double error = targets[i] - responseDb(filters, kEqCentres[i]);
            gains[i] =
                std::clamp(gains[i] + kCorrectionStep * error, -kMaxFilterGain, kMaxFilterGain);
            filters[i] = bandFilter(i, gains[i]);
            worst = std::max(worst, std::abs(error));
        }
        if (worst < kCorrectionDone)
            break;
    }
    if (gainsOut)
        *gainsOut = gains;
    return filters;
}

QVariantList curveOf(const Filters& filters, int points) {
    points = std::clamp(points, kMinPoints, kMaxPoints);
    QVariantList curve;
    curve.reserve(points);
    for (int i = 0; i < points; ++i) {
        const double hz = 20.0 * std::pow(1000.0, double(i) / double(points - 1));
        curve.append(responseDb(filters, hz));
    }
    return curve;
}

} // namespace

QVariantList makeEqPresetList() {
    QVariantList list;
    const auto catalogue = eqPresetCatalogue();
    list.reserve(qsizetype(catalogue.size()));
    for (const EqPreset& preset : catalogue) {
        QString categoryName;
        for (const EqCategory& category : eqCategories())
            if (category.id == preset.category)
                categoryName = text(category.name);
        QVariantList bands;
        EqGains targets{};
        for (int i = 0; i < kEqBands; ++i) {
            bands.append(double(preset.bands[i]));
            targets[i] = std::clamp(double(preset.bands[i]), -kMaxTarget, kMaxTarget);
        }
        list.append(QVariantMap{
            {QStringLiteral("id"), text(preset.id)},
            {QStringLiteral("name"), text(preset.name)},
            {QStringLiteral("category"), text(preset.category)},
            {QStringLiteral("categoryName"), categoryName},
            {QStringLiteral("tags"), text(preset.tags)},
            {QStringLiteral("bands"), bands},
            {QStringLiteral("curve"), curveOf(correctedFilters(targets, nullptr), kEqListPoints)},
        });
    }
    return list;
}

QVariantList eqCategoryList() {
    QVariantList list;
    for (const EqCategory& category : eqCategories())
        list.append(QVariantMap{{QStringLiteral("id"), text(category.id)},
                                {QStringLiteral("name"), text(category.name)}});
    return list;
}

const QVariantList& eqPresetList() {
    // 58 corrected curves take a moment; they are built once, on the first read, and shared.
    static const QVariantList list = makeEqPresetList();
    return list;
}

QStringList voiceCategoryList() {
    QStringList list;
    for (std::string_view name : voiceCategories())
        list.append(text(name));
    return list;
}

QVariantList voicePresetList() {
    QVariantList list;
    for (const VoicePreset& preset : voicePresetCatalogue())
        list.append(QVariantMap{
            {QStringLiteral("id"), text(preset.id)},
            {QStringLiteral("name"), text(preset.name)},
            {QStringLiteral("category"), text(preset.category)},
            {QStringLiteral("hint"), text(preset.hint)},
            {QStringLiteral("pitch"), double(preset.pitch)},
        });
    return list;
}

EqGains eqTargets(const QVariantList& bands) {
    EqGains targets{};
    const qsizetype n = std::min<qsizetype>(bands.size(), kEqBands);
    for (qsizetype i = 0; i < n; ++i) {
        const double v = bands[i].toDouble();
        // Same rule as the configuration: a non-finite number becomes the lower bound.
        targets[i] = std::isfinite(v) ? std::clamp(v, -kMaxTarget, kMaxTarget) : -kMaxTarget;
    }
    return targets;
}

EqGains eqCorrectedGains(const EqGains& targets) {
    EqGains gains{};
    correctedFilters(targets, &gains);
    return gains;
}

double eqResponseDb(const EqGains& gains, double hz) {
    return responseDb(buildFilters(gains), hz);
}

QVariantList eqCurve(const QVariantList& bands, int points) {
    return curveOf(correctedFilters(eqTargets(bands), nullptr), points);
}

} // namespace qv::ui::presets
