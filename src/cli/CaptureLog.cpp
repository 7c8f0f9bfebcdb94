// Writing the capture log with plain POSIX calls: one write() per line on an O_APPEND file, then
// fdatasync(), so that a crash or a power cut leaves whole lines only; a failed write is cut
// back off the file.
#include "cli/CaptureLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QJsonValue>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "cli/OutputPaths.h"

namespace voltaris::cli {

namespace {

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

// The value at "key" or "object.key" of the capture's JSON.
QJsonValue valueAt(const QJsonObject& capture, const std::string& column) {
    const std::size_t dot = column.find('.');
    if (dot == std::string::npos) {
        return capture.value(QLatin1String(column.data(), qsizetype(column.size())));
    }
    const QJsonObject nested =
        capture.value(QLatin1String(column.data(), qsizetype(dot))).toObject();
    return nested.value(QLatin1String(column.data() + dot + 1, qsizetype(column.size() - dot - 1)));
}

// Numbers as the C locale writes them: integers as integers, others the shortest text that
// reads back to the same double; a value that is not finite is left empty.
std::string numberText(double value) {
    if (!std::isfinite(value)) {
        return {};
    }
    char text[32];
    std::to_chars_result end{};
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        end = std::to_chars(text, text + sizeof text, static_cast<long long>(value));
    } else {
        end = std::to_chars(text, text + sizeof text, value);
    }
    return std::string(text, end.ptr);
}

// A field in double quotes, its quotes doubled, when it holds the separator, a quote or a line end.
std::string field(std::string text, char separator) {
    if (text.find_first_of(std::string{separator, '"', '\n', '\r'}) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

// Writes all of `text`; false with errno set when the system refuses part of it.
bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<char> LogSeparatorFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        return ',';
    }
    if (suffix.compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0 ||
        suffix.compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        return '\t';
    }
    return std::nullopt;
}

const std::vector<std::string>& LogColumns() {
    // CaptureJson's numbers and strings outside arrays; of the limit check, its class and verdict.
    static const std::vector<std::string> columns = {
        "time",
        "capture",
        "Vrms",
        "Irms",
        "Prms",
        "S",
        "Q",
        "PF",
        "Vpeak",
        "Ipeak",
        "Ppeak",
        "Vcrest",
        "Icrest",
        "Pcrest",
        "THDV",
        "THDI",
        "F",
        "PeriodsAnalysed",
        "blockCount",
        "mainsPeriodTicks",
        "hardwareVersion",
        "calibration.gainV",
        "calibration.gainI",
        "calibration.factoryGainV",
        "calibration.factoryGainI",
        "calibration.logPeriod",
        "calibration.serialNumber",
        "calibration.lastCalibrationDate",
        "calibration.factoryCalibrationDate",
        "limits.class",
        "limits.verdict",
    };
    return columns;
}

std::string LocalTimeStamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    long millis = static_cast<long>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff / 60;  // minutes east of UTC
    const long magnitude = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%s.%03ld%c%02ld:%02ld", date, millis, offset < 0 ? '-' : '+',
                  magnitude / 60, magnitude % 60);
    return text;
}

CaptureLog::~CaptureLog() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::string CaptureLog::header() const {
    std::string text;
    for (const std::string& column : LogColumns()) {
        text += (text.empty() ? "" : std::string(1, m_separator)) + field(column, m_separator);
    }
    return text;
}

std::string CaptureLog::prepare(const std::string& path, char separator) {
    m_path = path;
    m_separator = separator;
    if (std::string error = CheckOutputFile(path); !error.empty()) {
        return error;
    }
    // An existing file is kept open from here on, so that the lines go to the file checked.
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            m_needsHeader = true;
            return {};
        }
        return failure(path, errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return path + ": not a regular file; the log needs one";
    }
    m_fd = fd;
    m_needsHeader = info.st_size == 0;
    if (m_needsHeader) {
        return {};
    }
    const std::string expected = header();
    std::string first(expected.size() + 1, '\0');
    const ssize_t n = ::pread(fd, first.data(), first.size(), 0);
    if (n < 0) {
        return failure(path, errno);
    }
    first.resize(static_cast<std::size_t>(n));
    // The header alone, ended by a line end; or the whole file, when a run was cut before its
    // first line.
    if (first != expected + "\n" && first != expected) {
        return path + ": its columns differ from the capture log's; give a new or empty file, "
                      "or one this command wrote";
    }
    return {};
}

std::string CaptureLog::line(std::chrono::system_clock::time_point when, std::int64_t number,
                             const QJsonObject& capture) const {
    std::string text = LocalTimeStamp(when) + m_separator + std::to_string(number);
    const std::vector<std::string>& columns = LogColumns();
    for (std::size_t k = 2; k < columns.size(); ++k) {
        const QJsonValue value = valueAt(capture, columns[k]);
        text += m_separator;
        if (value.isDouble()) {
            text += numberText(value.toDouble());
        } else if (value.isString()) {
            text += field(value.toString().toStdString(), m_separator);
        }
    }
    return text + '\n';
}

std::string CaptureLog::append(std::chrono::system_clock::time_point when, std::int64_t number,
                               const QJsonObject& capture) {
    bool created = false;
    if (m_fd < 0) {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            return failure(m_path, errno);
        }
        created = true;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        return failure(m_path, errno);
    }
    std::string text;
    if (m_needsHeader) {
        text = header() + '\n';
    } else if (info.st_size > 0) {
        // A file whose last line was cut (by a crash of another writer) gets its line end first,
        // so that this line stays a line of its own.
        char last = '\n';
        if (::pread(m_fd, &last, 1, info.st_size - 1) == 1 && last != '\n') {
            text = "\n";
        }
    }
    text += line(when, number, capture);
    if (!writeAll(m_fd, text) || ::fdatasync(m_fd) != 0) {
        const int error = errno;
        // Nothing of a line that did not make it stays behind.
        (void)::ftruncate(m_fd, info.st_size);
        (void)::fdatasync(m_fd);
        return failure(m_path, error);
    }
    m_needsHeader = false;
    if (created) {
        // The new file's name is on disk too, not only its contents.
        const std::string folder = std::filesystem::path(m_path).parent_path().string();
        const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY |
                                                                          O_CLOEXEC);
        if (dir >= 0) {
            (void)::fsync(dir);
            ::close(dir);
        }
    }
    return {};
}

}  // namespace voltaris::cli
