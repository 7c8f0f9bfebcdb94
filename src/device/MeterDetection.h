// Finding the meters among the candidate ports at start-up, demonstration mode when none
// answers, and the selection of a meter (clock setting of a second-generation meter).
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "device/PortEnumerator.h"
#include "device/SerialPort.h"

namespace voltaris {

// Generation of the selected meter: 1 or 2 (1 also in demonstration mode).
using DeviceGeneration = std::uint8_t;
inline constexpr DeviceGeneration kGenerationV1 = 1;
inline constexpr DeviceGeneration kGenerationV2 = 2;

// Texts shown while detecting (start-up box headline and detail) and when nothing answers.
inline constexpr const char* kDetectionHeadlineText = "Voltaris detection on going, please wait...";
inline constexpr const char* kSearchingComText = "Searching COM%d";
inline constexpr const char* kSearchingText = "Searching %s";
inline constexpr const char* kMeterFoundComText = "Voltaris on COM%d -> ok, initialisation...";
inline constexpr const char* kMeterFoundText = "Voltaris on %s -> ok, initialisation...";
inline constexpr const char* kMetersDetectedText = "%d Voltaris detected";
inline constexpr const char* kApplicationStartingText = "Application starting...";
inline constexpr const char* kDemonstrationModeText = "No Voltaris found - Demonstration mode";

// One detected meter. The list of detected meters owns their open ports for the life of the
// program.
struct DetectedMeter {
    std::string entry;     // "V1 <name>" or "V2 <name>"
    std::string portPath;  // device that was opened
    DeviceGeneration generation = kGenerationV1;
    int hardwareVersion = 0;  // status positions 16-17
    std::unique_ptr<SerialPort> port;
};

// What one probed port gave, so that a caller can say why no meter was found on it.
struct PortProbe {
    std::string path{};
    bool meter = false;     // a meter answered
    int openError = 0;      // the system's error code when the port did not open
    bool answered = false;  // a reply of the status shape came
    std::string reply{};    // the last reply received, as received (empty: silence)
};

struct DetectionResult {
    std::vector<DetectedMeter> meters;  // in detection order; the first is the default selection
    bool demoMode = false;              // true when no meter answered
    std::vector<PortProbe> probes;      // every port probed, in order
};

// Why `probe` found no meter, for a person: the port did not open (and why), nothing answered,
// or what came back instead of a meter's status (its length and an escaped excerpt).
[[nodiscard]] std::string ProbeFailureText(const PortProbe& probe);

// `bytes` with printable ASCII kept, quotes, backslashes and other bytes escaped (\xHH), cut
// after `limit` bytes with "..." appended.
[[nodiscard]] std::string EscapedExcerpt(std::string_view bytes, std::size_t limit = 40);

// How detection reports to its caller; either function may be empty.
struct DetectionObserver {
    // Progress for the start-up box: headline and detail line.
    std::function<void(const std::string& headline, const std::string& detail)> status;
    // A message the user must see (the window shows it in a box and waits).
    std::function<void(const std::string& text)> message;
};

struct DetectionOptions {
    // Pause of 1 s after success so that the count can be read in the start-up box.
    bool pauseAfterSuccess = false;
    // Time given to a freshly opened port before the status query.
    std::chrono::milliseconds settleDelay{50};
};

// Probes every candidate in order: a port not named by the user qualifies only when its
// description mentions Bluetooth. A port answering a status whose position 16 is '0' (V1) or
// '1' (V2) is kept open in the result; any other answer closes it.
[[nodiscard]] DetectionResult DetectMeters(const std::vector<PortCandidate>& ports,
                                           const DetectionObserver& observer,
                                           const DetectionOptions& options = {});

// Generation of a drop-down entry: its second character '2' gives 2, anything else 1.
[[nodiscard]] DeviceGeneration GenerationOfEntry(std::string_view entry);

// The computer's local time now.
[[nodiscard]] std::tm LocalTimeNow();

// Applies the selection of `selected` (null when none, as in demonstration mode): logs it and,
// for a second-generation meter, sets the meter's clock from `localTime` with the E command.
// Returns the generation of the selection. The port must not be in use by another thread.
DeviceGeneration SelectMeter(const DetectedMeter* selected,
                             const std::function<std::tm()>& localTime = LocalTimeNow);

}  // namespace voltaris
