// Limit tables of classes A to D and the per-order comparison.
#include "analysis/HarmonicLimits.h"

#include <algorithm>
#include <cstdio>

namespace voltaris {

namespace {

HarmonicArray classATable() {
    HarmonicArray t{};
    t[2] = 1.08;
    t[3] = 2.3;
    t[4] = 0.43;
    t[5] = 1.14;
    t[6] = 0.3;
    t[7] = 0.77;
    t[9] = 0.4;
    t[11] = 0.33;
    t[13] = 0.21;
    for (std::size_t n = 15; n <= 39; n += 2) {
        t[n] = 0.15 * 15 / n;
    }
    for (std::size_t n = 8; n <= 40; n += 2) {
        t[n] = 0.23 * 8 / n;
    }
    return t;
}

HarmonicArray classCTable(double prms, double pf) {
    HarmonicArray t{};
    if (prms > 25) {
        t[2] = 2;
        t[3] = 30 * pf;
        t[5] = 10;
        t[7] = 7;
        t[9] = 5;
        for (std::size_t n = 11; n <= 39; n += 2) {
            t[n] = 3;
        }
    } else {
        t[3] = 86;
        t[5] = 61;
    }
    return t;
}

HarmonicArray classDTable(double p) {
    HarmonicArray t{};
    t[3] = std::min(p * 0.0034, 2.3);
    t[5] = std::min(p * 0.0019, 1.14);
    t[7] = std::min(p * 0.001, 0.77);
    t[9] = std::min(p * 0.0005, 0.4);
    t[11] = std::min(p * 0.00035, 0.33);
    t[13] = std::min(p * 0.00029615384615384616, 0.21);
    for (std::size_t n = 15; n <= 39; n += 2) {
        t[n] = std::min(p * 3.85 / (n * 1000.0), 0.15 * 15 / n);
    }
    return t;
}

}  // namespace

HarmonicArray harmonicLimitTable(int limitClass, double prms, double pf) {
    switch (static_cast<LimitClass>(limitClass)) {
        case LimitClass::A:
            return classATable();
        case LimitClass::B: {
            HarmonicArray t = classATable();
            for (double& limit : t) {
                limit *= 1.5;
            }
            return t;
        }
        case LimitClass::C:
            return classCTable(prms, pf);
        case LimitClass::D:
            return classDTable(prms);
        case LimitClass::None:
            break;
    }
    return HarmonicArray{};
}

bool limitsApply(int limitClass, int displayMode) {
    const auto mode = static_cast<HarmonicDisplayMode>(displayMode);
    switch (static_cast<LimitClass>(limitClass)) {
        case LimitClass::A:
        case LimitClass::B:
        case LimitClass::D:
            return mode == HarmonicDisplayMode::Absolute;
        case LimitClass::C:
            return mode == HarmonicDisplayMode::PctH1Lin || mode == HarmonicDisplayMode::PctH1Log;
        case LimitClass::None:
            break;
    }
    return false;
}

const HarmonicArray* harmonicDisplayValues(const MeasurementSet& m, int displayMode) {
    switch (static_cast<HarmonicDisplayMode>(displayMode)) {
        case HarmonicDisplayMode::Absolute:
            return &m.HarmI;
        case HarmonicDisplayMode::PctRmsLin:
        case HarmonicDisplayMode::PctRmsLog:
            return &m.HarmIPctRms;
        case HarmonicDisplayMode::PctH1Lin:
        case HarmonicDisplayMode::PctH1Log:
            return &m.HarmIPctH1;
    }
    return nullptr;
}

LimitCheck checkHarmonicLimits(int limitClass, int displayMode, const HarmonicArray& values,
                               double prms, double pf) {
    LimitCheck check;
    check.applies = limitsApply(limitClass, displayMode);
    if (check.applies) {
        check.limits = harmonicLimitTable(limitClass, prms, pf);
        check.text = "OK";
    } else {
        check.text = "n/a";
    }
    bool reported = false;
    for (std::size_t i = 0; i < kHarmonicCount; ++i) {
        const double limit = check.limits[i];
        check.failing[i] = check.applies && limit != 0 && limit < values[i];
        check.colours[i] = check.failing[i] ? kLimitFailColour : kLimitPassColour;
        if (check.failing[i] && !reported) {
            // Huge values are cut to the buffer rather than overflowing it.
            char text[kLimitTextSize];
            std::snprintf(text, sizeof text, kLimitFailedFormat, static_cast<int>(i), values[i],
                          limit);
            check.text = text;
            reported = true;
        }
    }
    return check;
}

}  // namespace voltaris
