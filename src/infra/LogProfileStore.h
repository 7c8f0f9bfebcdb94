// Per-user configuration store of the diagnostic log: numbers and strings read from
// QSettings (the registry key HKEY_CURRENT_USER\<base path><section> on Windows,
// ~/.config/<organisation>/<section>.conf elsewhere).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace voltaris {

// Base key and section of the log's own configuration.
inline constexpr std::string_view kLogProfileBasePath = "Software\\Korvex";
inline constexpr std::string_view kLogProfileSection = "Tracekit";

// The values of one section as read when it was opened. A change made afterwards, by this or
// another process, is seen by the next section opened, never by an older one.
class LogProfileSection {
public:
    // A value that is missing or not a whole number within 32 bits (signed or unsigned, as a
    // raw 4-byte value would be) yields `fallback`.
    [[nodiscard]] std::int32_t readNumber(std::string_view name, std::int32_t fallback) const;
    // A value that is missing or cannot be read as text yields `fallback`.
    [[nodiscard]] std::string readString(std::string_view name, std::string_view fallback) const;
    [[nodiscard]] std::optional<std::string> findString(std::string_view name) const;

private:
    friend class LogProfileStore;
    struct Value {
        std::optional<std::int64_t> number;
        std::optional<std::string> text;
    };
    std::map<std::string, Value, std::less<>> m_values;
};

// Holds no open handle: each open reads the section anew, which makes every call see the
// current configuration and keeps the store safe to share between threads.
class LogProfileStore {
public:
    // `basePath` such as "Software\Korvex"; its last component names the organisation.
    explicit LogProfileStore(std::string_view basePath = kLogProfileBasePath);

    // Normalised base path: no leading separator, exactly one trailing "\".
    [[nodiscard]] const std::string& basePath() const { return m_basePath; }
    [[nodiscard]] QString organisation() const { return m_organisation; }

    // Reads the section's top-level values; a section that cannot be read is empty.
    [[nodiscard]] LogProfileSection open(std::string_view section) const;
    [[nodiscard]] std::int32_t readNumber(std::string_view section, std::string_view name,
                                          std::int32_t fallback) const;
    [[nodiscard]] std::string readString(std::string_view section, std::string_view name,
                                         std::string_view fallback) const;

private:
    std::string m_basePath;
    QString m_organisation;
};

}  // namespace voltaris
