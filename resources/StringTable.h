// The program's string table: user-facing texts by their numeric id, as the window, the pages,
// the report and the download dialog load them.
#pragma once

#include <optional>
#include <string_view>

namespace voltaris {

// Ids of the entries the window itself loads; the table holds every entry of the program.
enum StringId : int {
    kStrAbout = 101,         // "&About"
    kStrInitializing = 102,  // start-up box detail
    kStrTabWaveforms = 103,
    kStrTabMeasurements = 104,
    kStrThanks = 105,  // start-up box, last headline
    kStrTabStatistics = 106,
    kStrTabTransient = 107,
    kStrTabHarmonics = 108,
    kStrTabVaGraph = 109,
    kStrTabEnergy = 110,
    kStrTabCalibration = 111,
    kStrNoFilter = 112,
    kStrLowPass1k = 113,
    kStrLowPass2k = 114,
    kStrAbsolute = 115,
    kStrSearchingCom = 116,
    kStrDetectionOnGoing = 117,
    kStrMeterFoundCom = 118,
    kStrNoMeterFound = 119,
    kStrMetersDetected = 120,
    kStrApplicationStarting = 121,
    kStrVoltageSeries = 122,  // "Voltage (V)"
    kStrCurrentSeries = 123,  // "Current (A)"
    kStrPowerSeries = 124,    // "Power (W)"
    kStrVpeak = 125,          // "Vpeak (V)"
    kStrIpeak = 126,          // "Ipeak (A)"
    kStrPpeak = 127,          // "Peak (W)"
    kStrAvg = 128,            // "Avg"
    kStrPowerFactor = 129,    // "Power factor"
};

// The text of entry `id`; empty when the table has no such entry.
[[nodiscard]] std::optional<std::string_view> FindStringEntry(int id);

// Number of entries, for callers that walk the table.
[[nodiscard]] int StringEntryCount();

}  // namespace voltaris
