// Number and label templates of the charts: "{value|2}V\n{field0|1}°" puts the item's value with
// two decimals, a unit, a line break and extra field 0 with one decimal into one label.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace voltaris::charts {

// Formats with a fixed number of decimals (clamped to 0..12), an optional thousands separator
// ('\0' for none) and a decimal point character. Never prints "-0".
[[nodiscard]] std::string formatNumber(double value, int decimals, char thousandsSeparator = '\0',
                                       char decimalPoint = '.');

// Shortest form with up to ten significant digits, for values without a format.
[[nodiscard]] std::string formatPlain(double value);

// Expands a template: "{value}" and "{value|spec}" give the value, "{fieldN|spec}" the N-th extra
// field (empty when there is none). A spec is the number of decimals, optionally followed by the
// thousands separator and the decimal point ("3 " keeps three decimals and groups thousands with
// a space). Text outside braces is copied; an unclosed brace is copied as text.
[[nodiscard]] std::string formatLabel(std::string_view format, double value,
                                      std::span<const double> fields = {});

// Formats a value for display: a template as above, or a bare spec such as "1" (one decimal).
[[nodiscard]] std::string formatValue(double value, std::string_view format);

}  // namespace voltaris::charts
