// Evaluation of smoothed harmonic currents against the limits of IEC 61000-3-2 over an
// observation period made of the windows of any number of captures.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "analysis/HarmonicLimits.h"
#include "analysis/WindowedHarmonics.h"

namespace voltaris {

inline constexpr double kMaxSmoothedPctOfLimit = 150;     // every smoothed value
inline constexpr double kMaxAveragePctOfLimit = 100;      // average over the observation
inline constexpr double kMaxPohcAveragePctOfLimit = 150;  // odd 21..39 when the POHC passes
inline constexpr double kDisregardFraction = 0.006;       // of the input current
inline constexpr double kDisregardMinimum = 0.005;        // A

enum class OrderVerdict : int { NoLimit = 0, Pass = 1, Fail = 2, Disregarded = 3 };
enum class ComplianceVerdict : int { NotEvaluated = 0, Pass = 1, Fail = 2 };

// One order over the observation period. Values are in the unit of the limit: amperes for
// classes A, B and D, percent of the (smoothed) fundamental for class C.
struct OrderCompliance {
    double limit = 0;              // 0: no limit for this order
    double maxValue = 0;           // largest smoothed value
    double averageValue = 0;       // average of the smoothed values
    double maxPctOfLimit = 0;      // 0 without a limit
    double averagePctOfLimit = 0;  // 0 without a limit
    OrderVerdict verdict = OrderVerdict::NoLimit;
};

// The order with the largest smoothed value in percent of its limit (order 0: none yet).
struct WorstHarmonic {
    int order = 0;
    double pctOfLimit = 0;
};

struct ComplianceResult {
    LimitClass limitClass = LimitClass::None;
    bool limitsInPercent = false;                                 // class C
    std::array<OrderCompliance, kHarmonicCount> orders{};         // by order 1..40; [0] unused
    ComplianceVerdict verdict = ComplianceVerdict::NotEvaluated;  // Pass or Fail once evaluated
    std::vector<int> failingOrders;                               // ascending
    std::size_t windows = 0;
    double observationTime = 0;     // s, the windows' durations added up
    double averagePower = 0;        // W, over the observation; sets the class C and D limits
    double averagePowerFactor = 0;  // average P / average (Vrms x Irms); sets class C's 3rd
    double averageCurrent = 0;      // A RMS, the input current of the disregard rule
    double disregardThreshold = 0;  // A
    double pohc = 0;                // partial odd harmonic current of the averages (limit unit)
    double pohcLimit = 0;           // the same computed from the limits
    WorstHarmonic worst;
};

// Feed it the smoothed windows (SubgroupSmoother) of capture after capture.
class ComplianceEvaluation {
public:
    // Limits of the class (None or an unknown value: nothing is evaluated).
    explicit ComplianceEvaluation(LimitClass limitClass);

    // Adds one smoothed window to the observation period. Refused (false, nothing changes)
    // for a window whose duration is not finite and above zero, or whose currents are not finite.
    bool add(const HarmonicWindow& smoothed);

    // The evaluation of the windows added so far; NotEvaluated without windows or limits.
    [[nodiscard]] ComplianceResult result() const;

    // The worst order so far, for progress display, against the limits of the average power so
    // far; disregarded orders do not count.
    [[nodiscard]] WorstHarmonic worstSoFar() const;

    [[nodiscard]] std::size_t windows() const { return m_windows; }

private:
    struct Limits {
        HarmonicArray table{};
        double averagePower = 0, averagePowerFactor = 0, averageCurrent = 0, threshold = 0;
    };
    [[nodiscard]] Limits limits() const;
    [[nodiscard]] double value(const HarmonicWindow& w, std::size_t order) const;

    LimitClass m_limitClass;
    std::size_t m_windows = 0;
    double m_time = 0;
    double m_energy = 0;          // sum of P x duration
    double m_apparentEnergy = 0;  // sum of Vrms Irms x duration
    double m_currentTime = 0;     // sum of Irms x duration
    HarmonicArray m_maxValue{};   // in the limit's unit
    HarmonicArray m_maxAmperes{};
    HarmonicArray m_sumValueTime{};  // sum of value x duration
};

}  // namespace voltaris
