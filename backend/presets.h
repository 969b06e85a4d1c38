#pragma once
// The equaliser and voice preset catalogues as QML sees them, and the equaliser response curve.
// The tables themselves live once in config/catalogue.h; these functions only shape them for QML.
//
// QML-facing lists (the Backend's constant properties):
//   eqCategoryList()     [{id, name}] per equaliser category, in catalogue order
//   eqPresetList()       [{id, name, category, categoryName, tags, bands (10 doubles),
//                          curve (eqCurve(bands, 48))}]; built on the first call, then kept
//   makeEqPresetList()   the same list built afresh (what the first eqPresetList() call costs)
//   voiceCategoryList()  the voice category names, in order of first occurrence
//   voicePresetList()    [{id, name, category, hint, pitch (double)}]
//
// The curve (Backend::eqCurve):
//   eqCurve(bands, points)  response in dB at `points` log-spaced frequencies from 20 Hz to
//                           20 kHz (points clamped to 2 ... 400) of the ten filters the engine
//                           would run for `bands` (first ten entries as numbers, missing = 0,
//                           clamped to +-12 dB, non-finite = -12 dB).
//
// The filter design underneath, for tests and benchmarks:
//   eqTargets(bands)            the clamped target gains eqCurve starts from
//   eqCorrectedGains(targets)   the filter gains after the overlap correction (each within +-20)
//   eqResponseDb(gains, hz)     summed response in dB of the ten filters built from `gains`

#include "config/mixer_config.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <array>

namespace qv::ui::presets {

inline constexpr double kEqSampleRate = 48000.0;
inline constexpr int kEqListPoints = 48; // curve points stored with each catalogue preset
inline constexpr std::array<double, kEqBands> kEqCentres = {31.25, 62.5, 125,  250,  500,
                                                            1000,  2000, 4000, 8000, 16000};

using EqGains = std::array<double, kEqBands>;

QVariantList eqCategoryList();
const QVariantList& eqPresetList();
QVariantList makeEqPresetList();
QStringList voiceCategoryList();
QVariantList voicePresetList();

QVariantList eqCurve(const QVariantList& bands, int points);

EqGains eqTargets(const QVariantList& bands);
EqGains eqCorrectedGains(const EqGains& targets);
double eqResponseDb(const EqGains& gains, double hz);

} // namespace qv::ui::presets
