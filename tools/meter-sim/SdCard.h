// The SD card of a second-generation meter: its log files of 27-byte records, the U listing and
// the 27000-byte blocks served by the X command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voltaris::sim {

inline constexpr int kLogRecordSize = 27;
inline constexpr int kLogBlockSize = 27000;  // 1000 records
inline constexpr int kLogNameLength = 6;

// One record: time of day as three signed bytes, then six little-endian IEEE floats.
struct LogRecord {
    std::int8_t hour = 0;
    std::int8_t minute = 0;
    std::int8_t second = 0;
    float uRms = 0;
    float iRms = 0;
    float pRms = 0;
    float uMax = 0;
    float iMax = 0;
    float frequency = 0;
};

void appendLogRecord(std::vector<std::uint8_t>& out, const LogRecord& record);
// Decodes the record at `offset`; nullopt when fewer than 27 bytes remain there.
[[nodiscard]] std::optional<LogRecord> decodeLogRecord(const std::vector<std::uint8_t>& bytes,
                                                       std::size_t offset);
// `count` plausible records of a 230 V load, one per second from `firstSecondOfDay` on.
[[nodiscard]] std::vector<std::uint8_t> makeLogRecords(int count, int firstSecondOfDay = 8 * 3600);

struct LogFile {
    std::string name;  // 6 characters
    std::vector<std::uint8_t> content;
};

// A name the listing can carry: 6 printable characters, none of them a blank, '<' or '>'.
[[nodiscard]] bool isValidLogName(std::string_view name);

class SdCard {
public:
    // A small file (LOG001, 10 records) and one of two blocks (LOG002, 1500 records).
    [[nodiscard]] static SdCard withDefaultFiles();

    // Adds or replaces a file; false when the name is not valid.
    bool add(const std::string& name, std::vector<std::uint8_t> content);
    // Adds a file under any 6 bytes (a path separator, "..", control characters), as a faulty
    // or hostile card could list it; false for another length.
    bool addRaw(const std::string& name, std::vector<std::uint8_t> content);
    bool remove(std::string_view name);
    void clear() { m_files.clear(); }
    [[nodiscard]] const std::vector<LogFile>& files() const { return m_files; }

    // The U reply: "<", one 16-byte entry per file, ">".
    [[nodiscard]] std::string listing() const;
    // Bytes of block `block` of a file; nullopt for an unknown file or a block past its end.
    [[nodiscard]] std::optional<std::string> block(std::string_view name, int block) const;

private:
    std::vector<LogFile> m_files;
};

}  // namespace voltaris::sim
