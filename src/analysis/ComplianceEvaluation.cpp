// The rules of IEC 61000-3-2 for harmonic currents measured as 1.5 s smoothed subgroups
// (IEC 61000-4-7), applied at the end of an observation period.
#include "analysis/ComplianceEvaluation.h"

#include <algorithm>
#include <cmath>

#include "analysis/Ratio.h"

namespace voltaris {

namespace {

constexpr std::size_t kFirstPohcOrder = 21;
constexpr std::size_t kLastPohcOrder = 39;

bool isPohcOrder(std::size_t order) {
    return order >= kFirstPohcOrder && order <= kLastPohcOrder && order % 2 == 1;
}

double pctOf(double value, double limit) {
    return safeRatio(value * 100, limit);
}

}  // namespace

ComplianceEvaluation::ComplianceEvaluation(LimitClass limitClass) : m_limitClass(limitClass) {}

double ComplianceEvaluation::value(const HarmonicWindow& w, std::size_t order) const {
    // Class C limits are percentages of the fundamental current: each window's harmonic is
    // compared as a percentage of that window's smoothed fundamental.
    if (m_limitClass == LimitClass::C) {
        return safeRatio(w.currentSubgroups[order] * 100, w.currentSubgroups[1]);
    }
    return w.currentSubgroups[order];
}

bool ComplianceEvaluation::add(const HarmonicWindow& smoothed) {
    if (!std::isfinite(smoothed.duration) || smoothed.duration <= 0 ||
        !std::isfinite(smoothed.irms) || !std::isfinite(smoothed.vrms) ||
        !std::isfinite(smoothed.activePower) ||
        !std::all_of(smoothed.currentSubgroups.begin(), smoothed.currentSubgroups.end(),
                     [](double x) { return std::isfinite(x); })) {
        return false;
    }
    const double t = smoothed.duration;
    ++m_windows;
    m_time += t;
    m_energy += smoothed.activePower * t;
    m_apparentEnergy += smoothed.vrms * smoothed.irms * t;
    m_currentTime += smoothed.irms * t;
    for (std::size_t order = 1; order < kHarmonicCount; ++order) {
        const double v = value(smoothed, order);
        m_maxValue[order] = std::max(m_maxValue[order], v);
        m_maxAmperes[order] = std::max(m_maxAmperes[order], smoothed.currentSubgroups[order]);
        m_sumValueTime[order] += v * t;
    }
    return true;
}

ComplianceEvaluation::Limits ComplianceEvaluation::limits() const {
    Limits l;
    if (m_time <= 0) {
        return l;
    }
    // The class C and D limits depend on the power: the active power averaged over the whole
    // observation period (and for class C the power factor of the averages), so that one
    // set of limits applies to every window of the period.
    l.averagePower = m_energy / m_time;
    l.averagePowerFactor = safeRatio(m_energy, m_apparentEnergy);
    l.averageCurrent = m_currentTime / m_time;
    // Harmonic currents below 0.6 % of the input current or below 5 mA, whichever is greater,
    // are disregarded (IEC 61000-3-2, limits clause). The input current is the RMS current
    // averaged over the observation period.
    l.threshold = std::max(kDisregardFraction * l.averageCurrent, kDisregardMinimum);
    l.table =
        harmonicLimitTable(static_cast<int>(m_limitClass), l.averagePower, l.averagePowerFactor);
    return l;
}

WorstHarmonic ComplianceEvaluation::worstSoFar() const {
    WorstHarmonic worst;
    const Limits l = limits();
    for (std::size_t order = 2; order < kHarmonicCount; ++order) {
        if (l.table[order] == 0 || m_maxAmperes[order] < l.threshold) {
            continue;
        }
        const double pct = pctOf(m_maxValue[order], l.table[order]);
        if (worst.order == 0 || pct > worst.pctOfLimit) {
            worst = {static_cast<int>(order), pct};
        }
    }
    return worst;
}

ComplianceResult ComplianceEvaluation::result() const {
    ComplianceResult r;
    r.limitClass = m_limitClass;
    r.limitsInPercent = m_limitClass == LimitClass::C;
    r.windows = m_windows;
    r.observationTime = m_time;
    const Limits l = limits();
    r.averagePower = l.averagePower;
    r.averagePowerFactor = l.averagePowerFactor;
    r.averageCurrent = l.averageCurrent;
    r.disregardThreshold = l.threshold;

    bool anyLimit = false;
    double pohcSquares = 0, pohcLimitSquares = 0;
    for (std::size_t order = 1; order < kHarmonicCount; ++order) {
        OrderCompliance& o = r.orders[order];
        o.limit = order >= 2 ? l.table[order] : 0;
        o.maxValue = m_maxValue[order];
        o.averageValue = m_time > 0 ? m_sumValueTime[order] / m_time : 0;
        o.maxPctOfLimit = pctOf(o.maxValue, o.limit);
        o.averagePctOfLimit = pctOf(o.averageValue, o.limit);
        anyLimit = anyLimit || o.limit != 0;
        // The partial odd harmonic current: the root of the sum of squares of the odd orders 21
        // to 39, from the averaged smoothed values and from the limits.
        if (isPohcOrder(order)) {
            pohcSquares += o.averageValue * o.averageValue;
            pohcLimitSquares += o.limit * o.limit;
        }
    }
    r.pohc = std::sqrt(pohcSquares);
    r.pohcLimit = std::sqrt(pohcLimitSquares);
    if (m_windows == 0 || !anyLimit) {
        return r;  // NotEvaluated, every order NoLimit
    }

    for (std::size_t order = 2; order < kHarmonicCount; ++order) {
        OrderCompliance& o = r.orders[order];
        if (o.limit == 0) {
            o.verdict = OrderVerdict::NoLimit;
        } else if (m_maxAmperes[order] < l.threshold) {
            // Never above the disregard threshold in any window (rule above).
            o.verdict = OrderVerdict::Disregarded;
        } else if (o.maxPctOfLimit > kMaxSmoothedPctOfLimit) {
            // Every 1.5 s smoothed value of the order at most 150 % of its limit.
            o.verdict = OrderVerdict::Fail;
        } else if (o.averagePctOfLimit <= kMaxAveragePctOfLimit) {
            // The average of the smoothed values over the observation period at most the limit.
            o.verdict = OrderVerdict::Pass;
        } else if (isPohcOrder(order) && o.averagePctOfLimit <= kMaxPohcAveragePctOfLimit &&
                   r.pohc <= r.pohcLimit) {
            // Odd orders 21 to 39: the average may exceed the limit by up to 50 % provided the
            // measured partial odd harmonic current does not exceed the one computed from the
            // limits.
            o.verdict = OrderVerdict::Pass;
        } else {
            o.verdict = OrderVerdict::Fail;
        }
        if (o.verdict == OrderVerdict::Fail) {
            r.failingOrders.push_back(static_cast<int>(order));
        }
    }
    r.verdict = r.failingOrders.empty() ? ComplianceVerdict::Pass : ComplianceVerdict::Fail;
    r.worst = worstSoFar();
    return r;
}

}  // namespace voltaris
