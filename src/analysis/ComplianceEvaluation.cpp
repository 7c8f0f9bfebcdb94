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

ComplianceEvaluation::ComplianceEvaluation(LimitClass limitClass) : limitClass_(limitClass) {}

double ComplianceEvaluation::value(const HarmonicWindow& w, std::size_t order) const {
    // Class C limits are percentages of the fundamental current: each window's harmonic is
    // compared as a percentage of that window's smoothed fundamental.
    if (limitClass_ == LimitClass::C) {
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
    ++windows_;
    time_ += t;
    energy_ += smoothed.activePower * t;
    apparentEnergy_ += smoothed.vrms * smoothed.irms * t;
    currentTime_ += smoothed.irms * t;
    for (std::size_t order = 1; order < kHarmonicCount; ++order) {
        const double v = value(smoothed, order);
        maxValue_[order] = std::max(maxValue_[order], v);
        maxAmperes_[order] = std::max(maxAmperes_[order], smoothed.currentSubgroups[order]);
        sumValueTime_[order] += v * t;
    }
    return true;
}

ComplianceEvaluation::Limits ComplianceEvaluation::limits() const {
    Limits l;
    if (time_ <= 0) {
        return l;
    }
    // The class C and D limits depend on the power: the active power averaged over the whole
    // observation period (and for class C the power factor of the averages), so that one
    // set of limits applies to every window of the period.
    l.averagePower = energy_ / time_;
    l.averagePowerFactor = safeRatio(energy_, apparentEnergy_);
    l.averageCurrent = currentTime_ / time_;
    // Harmonic currents below 0.6 % of the input current or below 5 mA, whichever is greater,
    // are disregarded (IEC 61000-3-2, limits clause). The input current is the RMS current
    // averaged over the observation period.
    l.threshold = std::max(kDisregardFraction * l.averageCurrent, kDisregardMinimum);
    l.table =
        harmonicLimitTable(static_cast<int>(limitClass_), l.averagePower, l.averagePowerFactor);
    return l;
}

WorstHarmonic ComplianceEvaluation::worstSoFar() const {
    WorstHarmonic worst;
    const Limits l = limits();
    for (std::size_t order = 2; order < kHarmonicCount; ++order) {
        if (l.table[order] == 0 || maxAmperes_[order] < l.threshold) {
            continue;
        }
        const double pct = pctOf(maxValue_[order], l.table[order]);
        if (worst.order == 0 || pct > worst.pctOfLimit) {
            worst = {static_cast<int>(order), pct};
        }
    }
    return worst;
}

ComplianceResult ComplianceEvaluation::result() const {
    ComplianceResult r;
    r.limitClass = limitClass_;
    r.limitsInPercent = limitClass_ == LimitClass::C;
    r.windows = windows_;
    r.observationTime = time_;
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
        o.maxValue = maxValue_[order];
        o.averageValue = time_ > 0 ? sumValueTime_[order] / time_ : 0;
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
    if (windows_ == 0 || !anyLimit) {
        return r;  // NotEvaluated, every order NoLimit
    }

    for (std::size_t order = 2; order < kHarmonicCount; ++order) {
        OrderCompliance& o = r.orders[order];
        if (o.limit == 0) {
            o.verdict = OrderVerdict::NoLimit;
        } else if (maxAmperes_[order] < l.threshold) {
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
