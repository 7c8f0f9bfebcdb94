// The one meter search of the window and the headless tool: the ports the user names, then the
// ports found on the computer, probed for a meter in that order with the progress reported.
// Applying the selection afterwards (and setting a second-generation meter's clock) is
// SelectMeter's job.
#pragma once

#include <string>
#include <vector>

#include "device/MeterDetection.h"
#include "device/PortEnumerator.h"

namespace voltaris {

// Where to look for meters.
struct MeterSearch {
    std::vector<std::string> portPaths;  // named by the user: probed first, whatever they are
    std::string portsEnvironment;        // VOLTARIS_PORTS: more named ports, colon-separated
    bool enumeratePorts = true;          // also the computer's ports (Bluetooth ones are probed)
    std::string devRoot = "/dev";        // where the computer's ports are looked for
    std::string sysRoot = "/sys";
};

// The value of VOLTARIS_PORTS; empty when it is not set.
[[nodiscard]] std::string PortsEnvironment();

// The candidates in probing order: the named ports, then the enumerated ones not named.
[[nodiscard]] std::vector<PortCandidate> SearchPorts(const MeterSearch& search);

// Lists the candidates and runs the detection over them (DetectMeters).
[[nodiscard]] DetectionResult FindMeters(const MeterSearch& search,
                                         const DetectionObserver& observer,
                                         const DetectionOptions& options = {});

}  // namespace voltaris
