// Meter detection over the candidate ports and the selection of the meter in use.
#include "device/MeterDetection.h"

#include <cstdarg>
#include <cstdio>
#include <thread>

#include "device/MeterCommands.h"
#include "device/MeterProtocol.h"
#include "device/PortNames.h"
#include "device/SendCommand.h"
#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr std::chrono::milliseconds kSuccessPause{1000};
// Status position logged after each answer.
constexpr std::size_t kLoggedStatusPosition = 17;

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string formatText(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// "Searching COM5" for a Windows port name, "Searching rfcomm0" for any other.
std::string searchingText(const std::string& name) {
    if (const auto number = ParseComPortName(name)) {
        return formatText(kSearchingComText, *number);
    }
    return formatText(kSearchingText, name.c_str());
}

std::string foundText(const std::string& name) {
    if (const auto number = ParseComPortName(name)) {
        return formatText(kMeterFoundComText, *number);
    }
    return formatText(kMeterFoundText, name.c_str());
}

void reportStatus(const DetectionObserver& observer, const std::string& headline,
                  const std::string& detail) {
    if (observer.status) {
        observer.status(headline, detail);
    }
}

}  // namespace

DetectionResult DetectMeters(const std::vector<PortCandidate>& ports,
                             const DetectionObserver& observer, const DetectionOptions& options) {
    DetectionResult result;
    for (const PortCandidate& candidate : ports) {
        if (!candidate.named && !IsBluetoothDescription(candidate.description)) {
            continue;
        }
        reportStatus(observer, kDetectionHeadlineText, searchingText(candidate.name));
        PortProbe& probe = result.probes.emplace_back();
        probe.path = candidate.path;
        std::unique_ptr<SerialPort> port = OpenPort(candidate.path, &probe.openError);
        if (!port) {
            continue;
        }
        // A freshly opened Bluetooth link needs a moment before it carries data.
        std::this_thread::sleep_for(options.settleDelay);
        const StatusQuery query = QueryStatus(*port);
        probe.answered = query.answered;
        probe.reply = query.reply;
        if (!query.answered) {
            ClosePort(*port);
            continue;
        }
        const char logged =
            query.reply.size() > kLoggedStatusPosition ? query.reply[kLoggedStatusPosition] : ' ';
        LogMessage(kLogModule, LogInfo, "RETOUR %c", logged);
        // Only a whole status reply identifies a meter; its position 16 gives the generation.
        if (!query.status || (query.status->generation != kGenerationV1 &&
                              query.status->generation != kGenerationV2)) {
            ClosePort(*port);
            continue;
        }
        probe.meter = true;
        DetectedMeter meter;
        meter.generation = static_cast<DeviceGeneration>(query.status->generation);
        meter.entry = MeterEntryText(meter.generation, candidate.name);
        meter.portPath = candidate.path;
        meter.hardwareVersion = query.status->hardwareVersion;
        meter.port = std::move(port);
        result.meters.push_back(std::move(meter));
        reportStatus(observer, kDetectionHeadlineText, foundText(candidate.name));
    }

    if (result.meters.empty()) {
        LogMessage(kLogModule, LogError, "Pas d'interface trouvée, mode simulé");
        if (observer.message) {
            observer.message(kDemonstrationModeText);
        }
        result.demoMode = true;
        return result;
    }
    const int count = static_cast<int>(result.meters.size());
    LogMessage(kLogModule, LogInfo, "Interfaces(s) trouvees : %d", count);
    reportStatus(observer, formatText(kMetersDetectedText, count), kApplicationStartingText);
    if (options.pauseAfterSuccess) {
        std::this_thread::sleep_for(kSuccessPause);
    }
    return result;
}

std::string EscapedExcerpt(std::string_view bytes, std::size_t limit) {
    std::string text;
    for (std::size_t k = 0; k < bytes.size() && k < limit; ++k) {
        const auto c = static_cast<unsigned char>(bytes[k]);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            text += formatText("\\x%02X", c);
        }
    }
    if (bytes.size() > limit) {
        text += "...";
    }
    return text;
}

std::string ProbeFailureText(const PortProbe& probe) {
    if (probe.openError != 0) {
        return "cannot open port " + probe.path + ": " + PortOpenErrorText(probe.openError);
    }
    if (probe.reply.empty()) {
        return "no meter answers on " + probe.path;
    }
    const std::string excerpt = "\"" + EscapedExcerpt(probe.reply) + "\"";
    if (probe.answered) {
        return "the device on " + probe.path +
               " answered a status of no known meter generation: " + excerpt;
    }
    if (probe.reply.size() == kStatusReplyLength) {
        return "the device on " + probe.path +
               " answered something that is not a meter's status: " + excerpt;
    }
    return formatText("the device on %s answered %zu bytes instead of a meter's %zu-byte status: ",
                      probe.path.c_str(), probe.reply.size(), kStatusReplyLength) +
           excerpt;
}

DeviceGeneration GenerationOfEntry(std::string_view entry) {
    return entry.size() > 1 && entry[1] == '2' ? kGenerationV2 : kGenerationV1;
}

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

DeviceGeneration SelectMeter(const DetectedMeter* selected,
                             const std::function<std::tm()>& localTime) {
    const std::string entry = selected ? selected->entry : std::string();
    LogMessage(kLogModule, LogInfo, "Selection %s", entry.c_str());
    if (GenerationOfEntry(entry) != kGenerationV2) {
        LogMessage(kLogModule, LogInfo, "Version 1");
        return kGenerationV1;
    }
    LogMessage(kLogModule, LogInfo, "Version 2");
    if (selected->port) {
        const std::tm t = localTime ? localTime() : LocalTimeNow();
        const std::string command = BuildECommand(t);
        LogMessage(kLogModule, LogInfo, "Time=%d/%d/%d %d:%d:%d", t.tm_mday, t.tm_mon + 1,
                   t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
        LogMessage(kLogModule, LogInfo, "Command=%s", command.c_str());
        char reply[64];
        std::size_t replyLength = 0;
        // The meter's answer is not checked: a failed exchange is logged by SendCommand.
        (void)SendCommand(*selected->port, command.c_str(), reply, sizeof reply, 0, replyLength,
                          kEmptyReadsCommand);
        LogMessage(kLogModule, LogInfo, "Mise à l'heure ok");
    }
    return kGenerationV2;
}

}  // namespace voltaris
