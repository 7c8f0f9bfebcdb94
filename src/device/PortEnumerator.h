// Serial ports present on this computer (Bluetooth rfcomm links and tty devices backed by
// hardware) and the ports the user names, as candidates for meter detection.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace voltaris {

// Colon-separated list of port paths to probe in addition to those found.
inline constexpr const char* kPortsEnvironmentVariable = "VOLTARIS_PORTS";

struct PortCandidate {
    std::string path;         // device to open, e.g. /dev/rfcomm0
    std::string name;         // shown in the entry: the device name, or the path of a named port
    std::string description;  // device description, possibly empty
    bool named = false;       // named by the user: probed whatever its description
};

// Lists the ports under a /dev and a /sys root (injectable so that a fake tree can stand in).
class PortEnumerator {
public:
    PortEnumerator();
    PortEnumerator(std::filesystem::path devRoot, std::filesystem::path sysRoot);

    // /dev/rfcomm<n> in number order with the description "Bluetooth serial port rfcomm<n>",
    // then the ttys of <sys>/class/tty that have a device and a node under <dev>, in name order,
    // described by the USB product text of their nearest sysfs parent that has one.
    [[nodiscard]] std::vector<PortCandidate> enumerate() const;

private:
    [[nodiscard]] std::string usbProduct(const std::filesystem::path& deviceLink) const;

    std::filesystem::path m_devRoot;
    std::filesystem::path m_sysRoot;
};

// The ports the user names: each of `paths`, then each non-empty element of the colon-separated
// `environmentList`; duplicates are dropped.
[[nodiscard]] std::vector<PortCandidate> NamedPorts(const std::vector<std::string>& paths,
                                                    std::string_view environmentList);

// The named ports first (the user's choice becomes the default selection), then the enumerated
// ones whose path was not named.
[[nodiscard]] std::vector<PortCandidate> MergePorts(std::vector<PortCandidate> named,
                                                    const std::vector<PortCandidate>& enumerated);

}  // namespace voltaris
