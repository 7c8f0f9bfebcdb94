// Listing the candidate ports and detecting the meters on them.
#include "device/MeterSearch.h"

#include <cstdlib>

namespace voltaris {

std::string PortsEnvironment() {
    const char* list = std::getenv(kPortsEnvironmentVariable);
    return list != nullptr ? list : "";
}

std::vector<PortCandidate> SearchPorts(const MeterSearch& search) {
    std::vector<PortCandidate> found;
    if (search.enumeratePorts) {
        found = PortEnumerator(search.devRoot, search.sysRoot).enumerate();
    }
    return MergePorts(NamedPorts(search.portPaths, search.portsEnvironment), found);
}

DetectionResult FindMeters(const MeterSearch& search, const DetectionObserver& observer,
                           const DetectionOptions& options) {
    return DetectMeters(SearchPorts(search), observer, options);
}

}  // namespace voltaris
