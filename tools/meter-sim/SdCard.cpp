// SD card content and the file-service replies built from it.
#include "SdCard.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace voltaris::sim {

namespace {

void appendFloat(std::vector<std::uint8_t>& out, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
}

float floatAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) {
        bits = (bits << 8) | bytes[offset + static_cast<std::size_t>(i)];
    }
    return std::bit_cast<float>(bits);
}

}  // namespace

void appendLogRecord(std::vector<std::uint8_t>& out, const LogRecord& record) {
    out.push_back(static_cast<std::uint8_t>(record.hour));
    out.push_back(static_cast<std::uint8_t>(record.minute));
    out.push_back(static_cast<std::uint8_t>(record.second));
    for (float value :
         {record.uRms, record.iRms, record.pRms, record.uMax, record.iMax, record.frequency}) {
        appendFloat(out, value);
    }
}

std::optional<LogRecord> decodeLogRecord(const std::vector<std::uint8_t>& bytes,
                                         std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < kLogRecordSize) {
        return std::nullopt;
    }
    LogRecord record;
    record.hour = static_cast<std::int8_t>(bytes[offset]);
    record.minute = static_cast<std::int8_t>(bytes[offset + 1]);
    record.second = static_cast<std::int8_t>(bytes[offset + 2]);
    record.uRms = floatAt(bytes, offset + 3);
    record.iRms = floatAt(bytes, offset + 7);
    record.pRms = floatAt(bytes, offset + 11);
    record.uMax = floatAt(bytes, offset + 15);
    record.iMax = floatAt(bytes, offset + 19);
    record.frequency = floatAt(bytes, offset + 23);
    return record;
}

std::vector<std::uint8_t> makeLogRecords(int count, int firstSecondOfDay) {
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(std::max(count, 0)) * kLogRecordSize);
    for (int i = 0; i < count; ++i) {
        const int t = (firstSecondOfDay + i) % 86400;
        // A slowly varying load so that successive records differ.
        const double swing = std::sin(i * 0.05);
        LogRecord r;
        r.hour = static_cast<std::int8_t>(t / 3600);
        r.minute = static_cast<std::int8_t>(t / 60 % 60);
        r.second = static_cast<std::int8_t>(t % 60);
        r.uRms = static_cast<float>(230.0 + 2.0 * swing);
        r.iRms = static_cast<float>(1.5 + 0.5 * swing);
        r.pRms = r.uRms * r.iRms * 0.95f;
        r.uMax = r.uRms * 1.4142135f;
        r.iMax = r.iRms * 1.6f;
        r.frequency = static_cast<float>(50.0 + 0.02 * swing);
        appendLogRecord(out, r);
    }
    return out;
}

bool isValidLogName(std::string_view name) {
    return name.size() == kLogNameLength && std::all_of(name.begin(), name.end(), [](char c) {
               return c > ' ' && c < 0x7F && c != '<' && c != '>';
           });
}

SdCard SdCard::withDefaultFiles() {
    SdCard card;
    card.add("LOG001", makeLogRecords(10));
    card.add("LOG002", makeLogRecords(1500, 9 * 3600));
    return card;
}

bool SdCard::add(const std::string& name, std::vector<std::uint8_t> content) {
    return isValidLogName(name) && addRaw(name, std::move(content));
}

bool SdCard::addRaw(const std::string& name, std::vector<std::uint8_t> content) {
    if (name.size() != kLogNameLength) {
        return false;
    }
    auto it = std::find_if(m_files.begin(), m_files.end(),
                           [&](const LogFile& f) { return f.name == name; });
    if (it != m_files.end()) {
        it->content = std::move(content);
    } else {
        m_files.push_back(LogFile{name, std::move(content)});
    }
    return true;
}

bool SdCard::remove(std::string_view name) {
    auto it = std::find_if(m_files.begin(), m_files.end(),
                           [&](const LogFile& f) { return f.name == name; });
    if (it == m_files.end()) {
        return false;
    }
    m_files.erase(it);
    return true;
}

std::string SdCard::listing() const {
    std::string reply = "<";
    for (const LogFile& file : m_files) {
        char size[16];
        std::snprintf(
            size, sizeof size, "%08X",
            static_cast<unsigned>(std::min<std::size_t>(file.content.size(), 0xFFFFFFFFu)));
        reply += file.name;
        reply += ' ';
        reply += size;
        reply += ' ';
    }
    reply += '>';
    return reply;
}

std::optional<std::string> SdCard::block(std::string_view name, int block) const {
    auto it = std::find_if(m_files.begin(), m_files.end(),
                           [&](const LogFile& f) { return f.name == name; });
    if (it == m_files.end() || block < 0) {
        return std::nullopt;
    }
    const std::size_t start = static_cast<std::size_t>(block) * kLogBlockSize;
    if (start >= it->content.size()) {
        return std::nullopt;
    }
    const std::size_t length = std::min<std::size_t>(kLogBlockSize, it->content.size() - start);
    const auto first = it->content.begin() + static_cast<std::ptrdiff_t>(start);
    return std::string(first, first + static_cast<std::ptrdiff_t>(length));
}

}  // namespace voltaris::sim
