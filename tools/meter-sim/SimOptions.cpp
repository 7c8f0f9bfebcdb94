// Parsing of the simulator program's command line.
#include "SimOptions.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string_view>

#include "SdCard.h"

namespace voltaris::sim {

namespace {

std::optional<double> toDouble(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> toInt(const std::string& text, int min, int max, int base = 10) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc{} || ptr != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// "ORDER:FRACTION", order 2..127 (what 256 samples per period can carry).
std::optional<std::pair<int, double>> toHarmonic(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const auto order = toInt(text.substr(0, colon), 2, 127);
    const auto fraction = toDouble(text.substr(colon + 1));
    if (!order || !fraction) {
        return std::nullopt;
    }
    return std::make_pair(*order, *fraction);
}

}  // namespace

std::string programUsage() {
    return "Usage: voltaris-meter-sim [options]\n"
           "Simulated Voltaris meter on a pseudo-terminal. Prints the terminal's path (or the\n"
           "--link path) on the first line of standard output, then answers until SIGINT or\n"
           "SIGTERM. SIGUSR1 drops the link, SIGUSR2 brings it back on a new terminal.\n"
           "\n"
           "Meter:\n"
           "  --generation 1|2          meter generation (default 1)\n"
           "  --hardware-version HEX    byte shown at status positions 16-17 (e.g. 12)\n"
           "  --generation-digit C      character forced at status position 16\n"
           "  --paced                   send at the line rate of 460800 baud\n"
           "  --trigger-never           armed captures wait forever\n"
           "  --link PATH               keep a symbolic link to the terminal at PATH\n"
           "Signals:\n"
           "  --frequency HZ            mains frequency (default 50)\n"
           "  --voltage V               RMS voltage (default 230)\n"
           "  --current A               RMS current (default 1)\n"
           "  --phase DEG               current lag behind the voltage (default 0)\n"
           "  --harmonic-v ORDER:FRAC   voltage harmonic, fraction of the fundamental "
           "(repeatable)\n"
           "  --harmonic-i ORDER:FRAC   current harmonic (repeatable)\n"
           "  --input-gain-v G          volts per raw unit of the input stage (default: the\n"
           "                            EEPROM gain, an exactly calibrated meter)\n"
           "  --input-gain-i G          amperes per raw unit of the input stage\n"
           "  --noise-v RAW             uniform voltage noise peak, raw units\n"
           "  --noise-i RAW             uniform current noise peak, raw units\n"
           "Faults:\n"
           "  --silent                  never answer\n"
           "  --silent-on LETTERS       never answer these commands (e.g. ?SB, repeatable)\n"
           "  --no-terminator           text replies lose their final '>'\n"
           "  --garbage                 text replies replaced by garbage\n"
           "  --cut-bulk N              B and X replies stop after N bytes\n"
           "  --refuse L|T|S|W|V        answer <N> to that command (repeatable, e.g. LT)\n"
           "  --noise                   every reply replaced by 1-64 random bytes\n"
           "  --noise-seed N            seed of the noise bytes (default 1)\n"
           "  --long-replies            every reply sent ten times as long\n"
           "  --late MS                 delay before every reply\n"
           "  --erased-eeprom           EEPROM reads 0xFF everywhere\n"
           "  --no-sd                   no SD card: U answers <Z>\n"
           "  --log-file NAME:BYTES     SD-card file of that size (repeatable)\n"
           "  --fail-eeprom-read ADDR   V of that address gets no reply\n"
           "Other:\n"
           "  --verbose                 print received frames on standard error\n"
           "  --help                    this text\n";
}

ParsedOptions parseProgramOptions(const std::vector<std::string>& args) {
    ParsedOptions result;
    ProgramOptions& o = result.options;
    Waveform& w = o.config.waveform;

    using Flag = std::function<void()>;
    // Options taking a value: each returns false when the value is not acceptable.
    using Valued = std::function<bool(const std::string&)>;
    const std::map<std::string, Flag> flags = {
        {"--paced", [&] { o.config.paced = true; }},
        {"--trigger-never", [&] { o.config.triggerAlwaysHolds = false; }},
        {"--silent", [&] { o.faults.silent = true; }},
        {"--no-terminator", [&] { o.faults.noTerminator = true; }},
        {"--garbage", [&] { o.faults.garbage = true; }},
        {"--erased-eeprom", [&] { o.erasedEeprom = true; }},
        {"--no-sd", [&] { o.faults.noSdCard = true; }},
        {"--noise", [&] { o.faults.noise = true; }},
        {"--long-replies", [&] { o.faults.longReplies = true; }},
        {"--verbose", [&] { o.verbose = true; }},
        {"--help", [&] { o.help = true; }},
    };
    auto setDouble = [](double& target, double min, double max) -> Valued {
        return [&target, min, max](const std::string& text) {
            const auto value = toDouble(text);
            if (!value || *value < min || *value > max) {
                return false;
            }
            target = *value;
            return true;
        };
    };
    auto setGain = [](float& target) -> Valued {
        return [&target](const std::string& text) {
            const auto value = toDouble(text);
            if (!value || !(*value > 0) || *value > 1) {
                return false;
            }
            target = static_cast<float>(*value);
            return true;
        };
    };
    auto setInt = [](int& target, int min, int max) -> Valued {
        return [&target, min, max](const std::string& text) {
            const auto value = toInt(text, min, max);
            if (value) {
                target = *value;
            }
            return value.has_value();
        };
    };
    auto addHarmonic = [](std::vector<std::pair<int, double>>& target) -> Valued {
        return [&target](const std::string& text) {
            const auto harmonic = toHarmonic(text);
            if (harmonic) {
                target.push_back(*harmonic);
            }
            return harmonic.has_value();
        };
    };
    constexpr double kHuge = std::numeric_limits<double>::max();
    const std::map<std::string, Valued> valued = {
        {"--generation", setInt(o.config.generation, 1, 2)},
        {"--hardware-version",
         [&](const std::string& text) {
             const auto value = toInt(text, 0, 255, 16);
             if (value) {
                 o.config.hardwareVersion = *value;
             }
             return value.has_value();
         }},
        {"--generation-digit",
         [&](const std::string& text) {
             if (text.size() != 1 || text[0] <= ' ' || text[0] == '>' || text[0] == '<') {
                 return false;
             }
             o.config.generationDigit = text[0];
             return true;
         }},
        {"--frequency", setDouble(w.frequencyHz, 1, 1000)},
        {"--voltage", setDouble(w.voltageRms, 0, kHuge)},
        {"--current", setDouble(w.currentRms, 0, kHuge)},
        {"--phase", setDouble(w.currentPhaseDeg, -360, 360)},
        {"--harmonic-v", addHarmonic(w.voltageHarmonics)},
        {"--harmonic-i", addHarmonic(w.currentHarmonics)},
        {"--input-gain-v", setGain(o.config.inputGainV)},
        {"--input-gain-i", setGain(o.config.inputGainI)},
        {"--noise-v", setDouble(w.voltageNoise, 0, 32768)},
        {"--noise-i", setDouble(w.currentNoise, 0, 32768)},
        {"--cut-bulk", setInt(o.faults.cutBulkAt, 0, std::numeric_limits<int>::max())},
        {"--late", setInt(o.faults.lateBytesMs, 0, 60000)},
        {"--fail-eeprom-read", setInt(o.faults.failEepromReadAt, 0, 255)},
        {"--noise-seed", setInt(o.faults.noiseSeed, 0, std::numeric_limits<int>::max())},
        {"--link",
         [&](const std::string& text) {
             if (text.empty()) {
                 return false;
             }
             o.config.linkPath = text;
             return true;
         }},
        {"--silent-on",
         [&](const std::string& text) {
             static constexpr std::string_view kCommands = "?CLTSBFVWRUXYME";
             if (text.empty()) {
                 return false;
             }
             for (char c : text) {
                 if (kCommands.find(c) == std::string_view::npos) {
                     return false;
                 }
             }
             for (char c : text) {
                 if (o.faults.silentOn.find(c) == std::string::npos) {
                     o.faults.silentOn += c;
                 }
             }
             return true;
         }},
        {"--log-file",
         [&](const std::string& text) {
             const auto colon = text.find(':');
             const auto bytes = colon == std::string::npos
                                    ? std::nullopt
                                    : toInt(text.substr(colon + 1), 0, 64 * 1024 * 1024);
             if (!bytes || !isValidLogName(text.substr(0, colon))) {
                 return false;
             }
             o.logFiles.emplace_back(text.substr(0, colon), *bytes);
             return true;
         }},
        {"--refuse",
         [&](const std::string& text) {
             if (text.empty()) {
                 return false;
             }
             Faults f = o.faults;
             for (char c : text) {
                 switch (c) {
                     case 'L':
                         f.refuseL = true;
                         break;
                     case 'T':
                         f.refuseT = true;
                         break;
                     case 'S':
                         f.refuseS = true;
                         break;
                     case 'W':
                         f.refuseW = true;
                         break;
                     case 'V':
                         f.refuseV = true;
                         break;
                     default:
                         return false;
                 }
             }
             o.faults = f;
             return true;
         }},
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (const auto flag = flags.find(name); flag != flags.end() && !value) {
            flag->second();
            continue;
        }
        const auto option = valued.find(name);
        if (option == valued.end()) {
            result.error = "unknown option " + args[i];
            return result;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                result.error = "missing value for " + name;
                return result;
            }
            value = args[++i];
        }
        if (!option->second(*value)) {
            result.error = "invalid value '" + *value + "' for " + name;
            return result;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace voltaris::sim
