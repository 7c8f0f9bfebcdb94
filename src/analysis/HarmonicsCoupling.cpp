// Coupling of the harmonics display mode and limits class.
#include "analysis/HarmonicsCoupling.h"

#include <algorithm>
#include <cctype>

namespace voltaris {

namespace {
constexpr const char* kLimitClassNames[kLimitClassCount] = {"none", "A", "B", "C", "D"};
}  // namespace

const char* LimitClassName(int limitClass) {
    return limitClass >= 0 && limitClass < kLimitClassCount ? kLimitClassNames[limitClass] : "";
}

std::optional<int> LimitClassFromName(std::string_view name) {
    for (int c = 0; c < kLimitClassCount; ++c) {
        const std::string_view known = kLimitClassNames[c];
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            return c;
        }
    }
    return std::nullopt;
}

HarmonicsSelection AfterLimitClassChange(HarmonicsSelection s) {
    if (s.limitClass >= kClassA && s.limitClass <= kClassD) {
        s.displayMode = s.limitClass == kClassC ? kModeH1Log : kModeAbsolute;
    }
    return s;
}

HarmonicsSelection AfterDisplayModeChange(HarmonicsSelection s) {
    switch (s.displayMode) {
        case kModeAbsolute:
            if (s.limitClass == kClassC) {
                s.limitClass = kNoLimits;
            }
            break;
        case kModeTotalLin:
        case kModeTotalLog:
            s.limitClass = kNoLimits;
            break;
        case kModeH1Lin:
        case kModeH1Log:
            if (s.limitClass != kClassC) {
                s.limitClass = kNoLimits;
            }
            break;
        default:
            break;
    }
    return s;
}

}  // namespace voltaris
