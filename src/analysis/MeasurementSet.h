// The results of the last analysed capture, and the sizes and inputs that shape them.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace voltaris {

inline constexpr std::size_t kSamplesPerPeriod = 256;
inline constexpr std::size_t kSampleCapacity = 25600;   // 100 periods per channel
inline constexpr std::size_t kPeriodCapacity = 90;      // per-period series
inline constexpr std::size_t kEnergyPoints = 500;       // energy history, newest last
inline constexpr std::size_t kHarmonicCount = 41;       // orders 0 to 40
inline constexpr std::uint32_t kMinCaptureBlocks = 3;   // one analysed period plus two
inline constexpr std::uint32_t kMaxCaptureBlocks = 92;  // fills the per-period series

using SteadyTime = std::chrono::steady_clock::time_point;
using HarmonicArray = std::array<double, kHarmonicCount>;
using SampleArray = std::array<double, kSampleCapacity>;
using PeriodArray = std::array<double, kPeriodCapacity>;
using EnergyArray = std::array<double, kEnergyPoints>;

// State of the acquisition when a capture is analysed, with the values of the acquisition
// request; only continuous acquisition (RunRequested, Running) adds an energy point.
enum class AcquisitionStatus : int {
    Idle = 0,
    RunRequested = 1,
    Running = 2,
    SingleRequested = 3,
    SingleRunning = 4,
    StoreCalibration = 5,
    StoreFactoryCalibration = 6,
};

// Entries of the filter selection list.
enum class CaptureFilter : int {
    None = 0,       // "No filter"
    LowPass1k = 1,  // "Low pass 1KHz"
    LowPass2k = 2,  // "Low pass 2KHz", the default
};

// Field names follow the quantities they hold. About 1 MB: keep one instance, on the heap.
struct MeasurementSet {
    SampleArray VoltageRaw{};  // V, scaled, unfiltered
    SampleArray CurrentRaw{};  // A
    SampleArray Voltage{};     // V, filtered, then aligned to the voltage fundamental
    SampleArray Current{};     // A
    SampleArray Power{};       // W, Voltage x Current

    std::uint32_t PeriodsAnalysed = 0;
    double Vrms = 0, Irms = 0, Prms = 0, S = 0, Q = 0, PF = 0;
    double Vpeak = 0, Ipeak = 0, Ppeak = 0;
    double Vcrest = 0, Icrest = 0, Pcrest = 0;
    double THDV = 0, THDI = 0;
    double F = 0;

    HarmonicArray HarmV{}, HarmI{};              // RMS magnitude of each order
    HarmonicArray PhaseV{}, PhaseI{};            // degrees, relative to the voltage fundamental
    HarmonicArray HarmVPctRms{}, HarmIPctRms{};  // % of the RMS rebuilt from orders 0 to 40
    HarmonicArray HarmVPctH1{}, HarmIPctH1{};    // % of the fundamental

    PeriodArray PeriodVrms{}, PeriodIrms{}, PeriodP{}, PeriodPF{};
    PeriodArray PeriodVpeak{}, PeriodIpeak{}, PeriodPpeak{};

    EnergyArray EnergyTime{};   // s since the last energy reset
    EnergyArray EnergyPower{};  // W
    EnergyArray EnergyWh{};     // Wh since the last energy reset
    SteadyTime EnergyResetTime{};
};

}  // namespace voltaris
