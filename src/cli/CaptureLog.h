// The long-term log of `voltaris-cli capture --log FILE`: one line per capture, appended to FILE
// and on disk before the next capture starts. A line holds the local time stamp, the capture's
// number in this run and every scalar of the capture's JSON in the order of LogColumns(),
// comma-separated in a .csv file, tab-separated in a .tsv or .txt file. A new or empty file gets
// the header line first; an existing file is appended to only when its first line is that header.
#pragma once

#include <QJsonObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace voltaris::cli {

// The separator of a log file named `path`: ',' for .csv, '\t' for .tsv and .txt (in any case);
// nothing for another name.
[[nodiscard]] std::optional<char> LogSeparatorFor(const QString& path);

// The column names in their order: "time", "capture", then the capture's JSON paths, nested
// ones as "object.key".
[[nodiscard]] const std::vector<std::string>& LogColumns();

// "2026-12-09T08:51:02.347+01:00": local time with milliseconds and the UTC offset.
[[nodiscard]] std::string LocalTimeStamp(std::chrono::system_clock::time_point when);

class CaptureLog {
public:
    CaptureLog() = default;
    ~CaptureLog();
    CaptureLog(const CaptureLog&) = delete;
    CaptureLog& operator=(const CaptureLog&) = delete;

    // Checks, before the meter is touched and without writing anything, that `path` can take
    // the log: writable, a regular file if it exists, and its first line the header. Empty when
    // it can, otherwise the message.
    [[nodiscard]] std::string prepare(const std::string& path, char separator);

    // Appends the line of capture `number` (the header first when the file has none), and waits
    // until it is on disk. On a failure the file is cut back to its last whole line and the
    // message is returned; empty on success.
    [[nodiscard]] std::string append(std::chrono::system_clock::time_point when,
                                     std::int64_t number, const QJsonObject& capture);

    // The line of a capture, its line end included.
    [[nodiscard]] std::string line(std::chrono::system_clock::time_point when, std::int64_t number,
                                   const QJsonObject& capture) const;

private:
    std::string header() const;

    std::string m_path;
    char m_separator = ',';
    int m_fd = -1;               // opened with the first line
    bool m_needsHeader = false;  // the file was missing or empty when prepared
};

}  // namespace voltaris::cli
