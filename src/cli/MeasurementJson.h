// JSON views of analysis results for the headless tool: every MeasurementSet scalar, harmonic
// array and per-period series under its field name, and the harmonic limit verdict.
#pragma once

#include <QJsonObject>
#include <QString>

#include "analysis/HarmonicLimits.h"
#include "analysis/MeasurementSet.h"

namespace voltaris::cli {

// Scalars, the eight 41-entry harmonic arrays and the seven per-period series
// (PeriodsAnalysed entries each).
[[nodiscard]] QJsonObject measurementJson(const MeasurementSet& m);

// { "class", "mode", "applies", "table", "failing", "verdict" }; className as the user gave it.
[[nodiscard]] QJsonObject limitCheckJson(const LimitCheck& check, const QString& className,
                                         int displayMode);

}  // namespace voltaris::cli
