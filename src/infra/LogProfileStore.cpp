// Per-user configuration store of the diagnostic log, over QSettings.
#include "infra/LogProfileStore.h"

#include <limits>
#include <mutex>

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace voltaris {

namespace {

// Protects Qt's settings cache, which all QSettings objects of the process share. Qt guards it
// with its own lock too, but holding ours keeps every settings access visibly ordered for the
// thread sanitizer, and the log's reads are short.
std::mutex& SettingsMutex() {
    static std::mutex mutex;
    return mutex;
}

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::optional<std::string> ToText(const QVariant& value) {
    // An unquoted INI value containing commas comes back as a list: rejoin it.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    if (!value.canConvert<QString>()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

std::optional<std::int64_t> ToNumber(const QVariant& value) {
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(number) : std::nullopt;
}

}  // namespace

std::int32_t LogProfileSection::readNumber(std::string_view name, std::int32_t fallback) const {
    const auto it = m_values.find(name);
    if (it == m_values.end() || !it->second.number) {
        return fallback;
    }
    const std::int64_t number = *it->second.number;
    if (number < std::numeric_limits<std::int32_t>::min() ||
        number > static_cast<std::int64_t>(std::numeric_limits<std::uint32_t>::max())) {
        return fallback;
    }
    // 0xFFFFFFFF reads as -1, as the raw 4-byte value of a registry number would.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

std::optional<std::string> LogProfileSection::findString(std::string_view name) const {
    const auto it = m_values.find(name);
    return it == m_values.end() ? std::nullopt : it->second.text;
}

std::string LogProfileSection::readString(std::string_view name, std::string_view fallback) const {
    return findString(name).value_or(std::string(fallback));
}

LogProfileStore::LogProfileStore(std::string_view basePath) {
    std::size_t begin = 0;
    while (begin < basePath.size() && IsSeparator(basePath[begin])) {
        ++begin;
    }
    std::size_t end = basePath.size();
    while (end > begin && IsSeparator(basePath[end - 1])) {
        --end;
    }
    const std::string_view trimmed = basePath.substr(begin, end - begin);
    m_basePath = std::string(trimmed) + "\\";
    std::size_t last = trimmed.size();
    while (last > 0 && !IsSeparator(trimmed[last - 1])) {
        --last;
    }
    m_organisation = ToQString(trimmed.substr(last));
}

LogProfileSection LogProfileStore::open(std::string_view section) const {
    LogProfileSection result;
    const std::lock_guard lock(SettingsMutex());
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_organisation,
                       ToQString(section));
    // Only the section's own key counts, as with a registry key: no organisation-wide or
    // system-wide files.
    settings.setFallbacksEnabled(false);
    if (settings.status() != QSettings::NoError) {
        return result;
    }
    for (const QString& key : settings.childKeys()) {
        const QVariant value = settings.value(key);
        result.m_values.emplace(key.toStdString(),
                                LogProfileSection::Value{ToNumber(value), ToText(value)});
    }
    return result;
}

std::int32_t LogProfileStore::readNumber(std::string_view section, std::string_view name,
                                         std::int32_t fallback) const {
    return open(section).readNumber(name, fallback);
}

std::string LogProfileStore::readString(std::string_view section, std::string_view name,
                                        std::string_view fallback) const {
    return open(section).readString(name, fallback);
}

}  // namespace voltaris
