// Coupling of the harmonics display mode and limits class.
#include "ui/HarmonicsCoupling.h"

namespace voltaris {

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
