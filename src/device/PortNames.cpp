// Port-name and description rules of port discovery.
#include "device/PortNames.h"

#include <charconv>

namespace voltaris {

bool IsAllDigits(std::string_view text, bool allowColon) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(allowColon && c == ':')) {
            return false;
        }
    }
    return true;
}

std::optional<int> ParseComPortName(std::string_view name) {
    constexpr std::string_view kPrefix = "COM";
    if (name.size() <= kPrefix.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kPrefix.size(); ++i) {
        const char c = name[i];
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != kPrefix[i]) {
            return std::nullopt;
        }
    }
    const std::string_view digits = name.substr(kPrefix.size());
    if (!IsAllDigits(digits, false)) {
        return std::nullopt;
    }
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;  // too large for a port number
    }
    return number;
}

bool IsBluetoothDescription(std::string_view description) {
    const std::size_t position = description.find("uetooth");
    return position != std::string_view::npos && position > 0;
}

std::string MeterEntryText(int generation, std::string_view portName) {
    std::string entry = generation == 2 ? "V2 " : "V1 ";
    entry += portName;
    return entry;
}

}  // namespace voltaris
