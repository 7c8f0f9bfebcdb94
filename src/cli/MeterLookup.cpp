// Meter search for the headless commands.
#include "cli/MeterLookup.h"

#include <cstdio>

namespace voltaris::cli {

namespace {

DetectionObserver stderrObserver(bool withMessage) {
    DetectionObserver observer;
    observer.status = [](const std::string& headline, const std::string& detail) {
        std::fprintf(stderr, "%s %s\n", headline.c_str(), detail.c_str());
    };
    if (withMessage) {
        observer.message = [](const std::string& text) {
            std::fprintf(stderr, "%s\n", text.c_str());
        };
    }
    return observer;
}

}  // namespace

DetectionResult lookUpMeters(const std::vector<std::string>& portPaths, const QString& devRoot,
                             const QString& sysRoot, bool demoFallback) {
    const MeterSearch search{portPaths, PortsEnvironment(), true, devRoot.toStdString(),
                             sysRoot.toStdString()};
    return FindMeters(search, stderrObserver(demoFallback));
}

DetectionResult lookUpMeterOn(const std::string& portPath) {
    const MeterSearch search{{portPath}, {}, false};
    return FindMeters(search, stderrObserver(false));
}

std::string lookUpFailureText(const DetectionResult& result, const std::string& portPath) {
    if (result.probes.empty()) {
        return "no meter answers on " + portPath;
    }
    return ProbeFailureText(result.probes.front());
}

}  // namespace voltaris::cli
