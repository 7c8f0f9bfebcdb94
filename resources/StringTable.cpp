// The string table, sorted by id. Texts are kept exactly as the program shows them, spelling
// included, since users and test benches match on them.
#include "StringTable.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace voltaris {

namespace {

struct Entry {
    int id;
    std::string_view text;
};

constexpr Entry kEntries[] = {
    {101, "&About"},
    {102, "Initializing, please wait..."},
    {103, "Waveforms"},
    {104, "Measurements"},
    {105, "Thanks for using Voltaris !"},
    {106, "Statistics"},
    {107, "Transcient analysis"},
    {108, "Harmonic analysis"},
    {109, "VA graph"},
    {110, "Energy"},
    {111, "Calibration"},
    {112, "No filter"},
    {113, "Low pass 1KHz"},
    {114, "Low pass 2KHz"},
    {115, "Absolute"},
    {116, "Searching COM%d"},
    {117, "Voltaris detection on going, please wait..."},
    {118, "Voltaris on COM%d -> ok, initialisation..."},
    {119, "No Voltaris found - Demonstration mode"},
    {120, "%d Voltaris detected"},
    {121, "Application starting..."},
    {122, "Voltage (V)"},
    {123, "Current (A)"},
    {124, "Power (W)"},
    {125, "Vpeak (V)"},
    {126, "Ipeak (A)"},
    {127, "Peak (W)"},
    {128, "Avg"},
    {129, "Power factor"},
    {130, "FAILED, harmonic %d, actual %f > limit %f"},
    {131, "Seconds"},
    {132, "Energy (Wh), total = %f W"},
    {133, "Calibration impossible : Acquisition on going"},
    {134, "Calibration error"},
    {135, "Calibration impossible : not enough periods"},
    {136, "Calibration impossible : wrong actual voltage "},
    {137, "Calibration impossible : wrong actual current"},
    {138, "Are you sure to want to store this new calibration ?"},
    {139, "No file selected"},
    {140, "Recall factory calibration ?"},
    {141, "Ouout file name"},
    {142, "CSV file created !"},
    {143, "Report directory selection"},
    {144, "Report generated under %s"},
    {145, "Error reading calibration parameters"},
    {146, "Warning : factory calibration not available"},
    {147, "ERROR !"},
    {148, "Failed : Acquisition on going"},
    {149, "Synchronisation failed : Acquisition on going"},
    {151, "Log period update failed : Acquisition on going"},
    {152, "Unsupported value, please select from the list"},
    {153, "Synchronisation failed : No SD card detected"},
    {156, "Timestamp\tU RMS\tI RMS\tP RMS\tU Max\tI Max\tFrequency\n"},
    {157, "Store files"},
    {158, "Size"},
    {159, "Download directory selection"},
    {160, "File download"},
    {161, "on"},
    {162, "Target file opened"},
    {163, "Download stopped"},
    {164, "Download ended"},
    {165, "Warning !"},
    {166, "Do you really want to delete the selected file(s) ?"},
    {167, "file(s) deleted"},
    {168, "Log period modified"},
    {169, "Wrong password !\nPlease enter the correct administrator password"},
};

static_assert(std::is_sorted(std::begin(kEntries), std::end(kEntries),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }),
              "the table is searched by id");

}  // namespace

std::optional<std::string_view> FindStringEntry(int id) {
    const auto* it = std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                                      [](const Entry& e, int wanted) { return e.id < wanted; });
    if (it == std::end(kEntries) || it->id != id) {
        return std::nullopt;
    }
    return it->text;
}

int StringEntryCount() {
    return static_cast<int>(std::size(kEntries));
}

}  // namespace voltaris
