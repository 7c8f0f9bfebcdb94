// Number and label templates of the charts.
#include "ui/charts/LabelFormat.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace voltaris::charts {
namespace {

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

std::string applySpec(double value, std::string_view spec) {
    if (spec.empty()) {
        return formatPlain(value);
    }
    std::size_t i = 0;
    int decimals = 0;
    while (i < spec.size() && std::isdigit(static_cast<unsigned char>(spec[i])) && i < 3) {
        decimals = decimals * 10 + (spec[i] - '0');
        ++i;
    }
    if (i == 0) {
        return formatPlain(value);
    }
    const char thousands = i < spec.size() ? spec[i] : '\0';
    const char point = i + 1 < spec.size() ? spec[i + 1] : '.';
    return formatNumber(value, decimals, thousands, point);
}

std::string expandField(std::string_view field, double value, std::span<const double> fields) {
    const std::size_t bar = field.find('|');
    const std::string_view name = field.substr(0, bar);
    const std::string_view spec =
        bar == std::string_view::npos ? std::string_view{} : field.substr(bar + 1);
    if (name == "value") {
        return applySpec(value, spec);
    }
    if (name.size() > 5 && name.substr(0, 5) == "field" && allDigits(name.substr(5))) {
        std::size_t index = 0;
        for (char c : name.substr(5)) {
            index = index * 10 + static_cast<std::size_t>(c - '0');
            if (index > fields.size()) {
                break;
            }
        }
        return index < fields.size() ? applySpec(fields[index], spec) : std::string{};
    }
    return {};
}

}  // namespace

std::string formatNumber(double value, int decimals, char thousandsSeparator, char decimalPoint) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Inf" : "-Inf";
    }
    decimals = std::clamp(decimals, 0, 12);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text(buffer);
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1);  // "-0.00" reads as 0
    }
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t start = negative ? 1 : 0;
    std::size_t point = text.find('.');
    if (point != std::string::npos) {
        text[point] = decimalPoint == '\0' ? '.' : decimalPoint;
    } else {
        point = text.size();
    }
    if (thousandsSeparator != '\0') {
        for (std::size_t pos = point; pos > start + 3; pos -= 3) {
            text.insert(pos - 3, 1, thousandsSeparator);
        }
    }
    return text;
}

std::string formatPlain(double value) {
    if (!std::isfinite(value)) {
        return formatNumber(value, 0);
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", value == 0 ? 0.0 : value);
    return buffer;
}

std::string formatLabel(std::string_view format, double value, std::span<const double> fields) {
    std::string out;
    out.reserve(format.size() + 16);
    std::size_t pos = 0;
    while (pos < format.size()) {
        const std::size_t open = format.find('{', pos);
        if (open == std::string_view::npos) {
            out.append(format.substr(pos));
            break;
        }
        const std::size_t close = format.find('}', open + 1);
        if (close == std::string_view::npos) {
            out.append(format.substr(pos));
            break;
        }
        out.append(format.substr(pos, open - pos));
        out += expandField(format.substr(open + 1, close - open - 1), value, fields);
        pos = close + 1;
    }
    return out;
}

std::string formatValue(double value, std::string_view format) {
    if (format.find('{') == std::string_view::npos) {
        return applySpec(value, format);
    }
    return formatLabel(format, value);
}

}  // namespace voltaris::charts
