// Energy history: shift, append and trapezoidal integration.
#include "analysis/EnergySeries.h"

#include <algorithm>

namespace voltaris {

namespace {
constexpr double kHoursPerSecond = 0.0002777777777777778;  // 1 / 3600
}

void energyReset(MeasurementSet& m, SteadyTime now) {
    m.EnergyTime.fill(0.0);
    m.EnergyPower.fill(0.0);
    m.EnergyWh.fill(0.0);
    m.EnergyResetTime = now;
}

void addEnergyPoint(MeasurementSet& m, double prms, SteadyTime now) {
    for (EnergyArray* series : {&m.EnergyTime, &m.EnergyPower, &m.EnergyWh}) {
        std::copy(series->begin() + 1, series->end(), series->begin());
    }
    constexpr std::size_t kLast = kEnergyPoints - 1;
    m.EnergyPower[kLast] = prms;
    m.EnergyTime[kLast] = std::chrono::duration<double>(now - m.EnergyResetTime).count();
    m.EnergyWh[kLast] = m.EnergyWh[kLast - 1] + (m.EnergyTime[kLast] - m.EnergyTime[kLast - 1]) *
                                                    kHoursPerSecond *
                                                    ((m.EnergyPower[kLast - 1] + prms) * 0.5);
}

}  // namespace voltaris
