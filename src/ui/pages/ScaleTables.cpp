// The scale lists and their full scales.
#include "ui/pages/ScaleTables.h"

namespace voltaris {

namespace {

constexpr ScaleChoice kVoltage[] = {{"Auto", 0, 0},     {"100V", 100, 20}, {"200V", 200, 25},
                                    {"300V", 300, 50},  {"400V", 400, 100}, {"500V", 500, 100}};
constexpr ScaleChoice kCurrent[] = {
    {"Auto", 0, 0},       {" 10mA", 0.01, 0.0025}, {" 20mA", 0.02, 0.005}, {" 50mA", 0.05, 0.01},
    {"100mA", 0.1, 0.025}, {"200mA", 0.2, 0.05},   {"500mA", 0.5, 0.1},    {"   1A", 1, 0.25},
    {"   2A", 2, 0.5},     {"   5A", 5, 1}};
constexpr ScaleChoice kPower[] = {
    {"Auto", 0, 0},       {"100mW", 0.1, 0.025}, {"200mW", 0.2, 0.05}, {"500mW", 0.5, 0.1},
    {"   1W", 1, 0.25},   {"   2W", 2, 0.5},     {"   5W", 5, 1},      {"  10W", 10, 2},
    {"  20W", 20, 5},     {"  50W", 50, 10},     {" 100W", 100, 20},   {" 200W", 200, 50},
    {" 500W", 500, 100}};

}  // namespace

std::span<const ScaleChoice> VoltageScales() {
    return kVoltage;
}

std::span<const ScaleChoice> CurrentScales() {
    return kCurrent;
}

std::span<const ScaleChoice> PowerScales() {
    return kPower;
}

const ScaleChoice* FixedScale(std::span<const ScaleChoice> scales, int index) {
    if (index < 1 || static_cast<std::size_t>(index) >= scales.size()) {
        return nullptr;
    }
    return &scales[static_cast<std::size_t>(index)];
}

}  // namespace voltaris
