// The choices of the U, I and P scale lists of the control panel, with the labels the lists
// show: entry 0 is automatic scaling, the others a full scale and its major tick. Every page
// that follows a scale list reads its choice here.
#pragma once

#include <span>

namespace voltaris {

struct ScaleChoice {
    const char* label;
    double limit;  // full scale; 0 for automatic
    double tick;   // major tick step
};

[[nodiscard]] std::span<const ScaleChoice> VoltageScales();  // V, "Auto" then 100 .. 500
[[nodiscard]] std::span<const ScaleChoice> CurrentScales();  // A, "Auto" then 0.01 .. 5
[[nodiscard]] std::span<const ScaleChoice> PowerScales();    // W, "Auto" then 0.1 .. 500

// The fixed scale of list position `index`; null for automatic and for a position the list
// does not have.
[[nodiscard]] const ScaleChoice* FixedScale(std::span<const ScaleChoice> scales, int index);

}  // namespace voltaris
