// The acquisition-state meter of the control panel: a 140 x 22 bar with the zones STOP, ARM,
// ACQ and TRF and a pointer in the middle of the zone of the worker's phase.
#pragma once

#include "ui/charts/Meter.h"

namespace voltaris {

inline constexpr int kStateMeterWidth = 140;
inline constexpr int kStateMeterHeight = 22;

// The meter for worker phase `state` (0 stopped, 1 arming, 2 waiting for the trigger,
// 3 transferring); the pointer stands at state + 0.5.
[[nodiscard]] charts::LinearMeter MakeStateMeter(int state);

}  // namespace voltaris
