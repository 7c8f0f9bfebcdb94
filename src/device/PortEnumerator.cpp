// Port discovery over /dev and sysfs.
#include "device/PortEnumerator.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <tuple>

#include "device/PortNames.h"

namespace voltaris {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRfcommPrefix = "rfcomm";
// How far up from a tty's device the USB device with its product text may sit
// (tty -> interface -> USB device, with some room for hubs and bridges).
constexpr int kMaxParentLevels = 6;
// The product text is a short line; a sysfs attribute is at most one page.
constexpr std::streamsize kMaxDescriptionLength = 255;

// Sorts names like ttyUSB2 before ttyUSB10: text prefix, then trailing number.
std::tuple<std::string, unsigned long long, std::string> naturalKey(const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') {
        --digits;
    }
    const std::string tail = name.substr(digits);
    unsigned long long number = 0;
    for (const char c : tail.substr(0, 18)) {
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return {name.substr(0, digits), number, tail};
}

void sortByName(std::vector<PortCandidate>& ports) {
    std::sort(ports.begin(), ports.end(), [](const PortCandidate& a, const PortCandidate& b) {
        return naturalKey(a.name) < naturalKey(b.name);
    });
}

std::string readFirstLine(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string line(static_cast<std::size_t>(kMaxDescriptionLength), '\0');
    in.getline(line.data(), kMaxDescriptionLength + 1);
    line.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    while (!line.empty() && (line.back() == '\0' || line.back() == '\n' || line.back() == '\r' ||
                             line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

}  // namespace

PortEnumerator::PortEnumerator() : PortEnumerator("/dev", "/sys") {}

PortEnumerator::PortEnumerator(fs::path devRoot, fs::path sysRoot)
    : m_devRoot(std::move(devRoot)), m_sysRoot(std::move(sysRoot)) {}

std::vector<PortCandidate> PortEnumerator::enumerate() const {
    std::vector<PortCandidate> rfcomm;
    std::error_code error;
    for (fs::directory_iterator it(m_devRoot, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(kRfcommPrefix) &&
            IsAllDigits(std::string_view(name).substr(kRfcommPrefix.size()), false)) {
            rfcomm.push_back({it->path().string(), name, "Bluetooth serial port " + name, false});
        }
    }
    sortByName(rfcomm);

    std::vector<PortCandidate> ttys;
    const fs::path classTty = m_sysRoot / "class" / "tty";
    error.clear();
    for (fs::directory_iterator it(classTty, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(kRfcommPrefix)) {
            continue;  // listed above with its Bluetooth description
        }
        std::error_code ignored;
        const fs::path deviceLink = it->path() / "device";
        const fs::path node = m_devRoot / name;
        if (!fs::exists(deviceLink, ignored) || !fs::exists(node, ignored)) {
            continue;  // a virtual terminal, or a device without a node to open
        }
        ttys.push_back({node.string(), name, usbProduct(deviceLink), false});
    }
    sortByName(ttys);

    rfcomm.insert(rfcomm.end(), ttys.begin(), ttys.end());
    return rfcomm;
}

std::string PortEnumerator::usbProduct(const fs::path& deviceLink) const {
    std::error_code error;
    fs::path dir = fs::canonical(deviceLink, error);
    if (error) {
        return {};
    }
    const fs::path sysRoot = fs::weakly_canonical(m_sysRoot, error);
    for (int level = 0; level < kMaxParentLevels && !dir.empty(); ++level) {
        if (!error && dir == sysRoot) {
            break;
        }
        std::error_code ignored;
        const fs::path product = dir / "product";
        if (fs::is_regular_file(product, ignored)) {
            return readFirstLine(product);
        }
        if (dir == dir.parent_path()) {
            break;
        }
        dir = dir.parent_path();
    }
    return {};
}

std::vector<PortCandidate> NamedPorts(const std::vector<std::string>& paths,
                                      std::string_view environmentList) {
    std::vector<std::string> all;
    for (const std::string& path : paths) {
        if (!path.empty()) {
            all.push_back(path);
        }
    }
    while (!environmentList.empty()) {
        const std::size_t colon = environmentList.find(':');
        const std::string_view item = environmentList.substr(0, colon);
        if (!item.empty()) {
            all.emplace_back(item);
        }
        if (colon == std::string_view::npos) {
            break;
        }
        environmentList.remove_prefix(colon + 1);
    }
    std::vector<PortCandidate> named;
    for (const std::string& path : all) {
        const bool seen = std::any_of(named.begin(), named.end(),
                                      [&](const PortCandidate& p) { return p.path == path; });
        if (!seen) {
            named.push_back({path, path, {}, true});
        }
    }
    return named;
}

std::vector<PortCandidate> MergePorts(std::vector<PortCandidate> named,
                                      const std::vector<PortCandidate>& enumerated) {
    const std::size_t namedCount = named.size();
    for (const PortCandidate& port : enumerated) {
        const auto begin = named.begin();
        const auto end = begin + static_cast<std::ptrdiff_t>(namedCount);
        if (std::none_of(begin, end, [&](const PortCandidate& p) { return p.path == port.path; })) {
            named.push_back(port);
        }
    }
    return named;
}

}  // namespace voltaris
