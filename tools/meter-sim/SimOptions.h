// Command-line options of the voltaris-meter-sim program: waveform, generation and fault
// switches turned into the simulator's settings.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "SimConfig.h"

namespace voltaris::sim {

struct ProgramOptions {
    Config config;
    Faults faults;
    bool erasedEeprom = false;
    // SD-card files added by --log-file NAME:BYTES: that many bytes of log records.
    std::vector<std::pair<std::string, int>> logFiles;
    bool verbose = false;  // print received frames on standard error
    bool help = false;
};

struct ParsedOptions {
    bool ok = false;
    ProgramOptions options;
    std::string error;  // why parsing failed, when !ok
};

// Parses the arguments after the program name.
[[nodiscard]] ParsedOptions parseProgramOptions(const std::vector<std::string>& args);
[[nodiscard]] std::string programUsage();

}  // namespace voltaris::sim
