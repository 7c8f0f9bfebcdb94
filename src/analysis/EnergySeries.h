// The energy history of continuous acquisition: one point per capture (elapsed time, active
// power, energy integrated since the last reset), 500 points kept, newest last.
#pragma once

#include "analysis/MeasurementSet.h"

namespace voltaris {

// Clears the three series and records now as the reset instant.
void energyReset(MeasurementSet& m, SteadyTime now = std::chrono::steady_clock::now());

// Drops the oldest point and appends one for active power prms at now: elapsed time since the
// reset (monotonic), and the energy integrated with the trapezoidal rule, in Wh.
void addEnergyPoint(MeasurementSet& m, double prms, SteadyTime now);

}  // namespace voltaris
