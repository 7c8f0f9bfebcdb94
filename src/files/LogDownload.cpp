// The download of card files into converted text files, file by file and block by block.
#include "files/LogDownload.h"

#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "StringTable.h"
#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr int kRecordValues = 6;

float floatAt(const std::uint8_t* bytes) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) {
        bits = (bits << 8) | bytes[i];
    }
    return std::bit_cast<float>(bits);
}

// One record as its line, "%02d:%02d:%02d" and six "\t%f", then CR LF. The values are written
// with a point whatever the locale.
void appendRecordLine(std::string& out, const std::uint8_t* record) {
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<std::int8_t>(record[0]),
                      static_cast<std::int8_t>(record[1]), static_cast<std::int8_t>(record[2]));
    out.append(text, static_cast<std::size_t>(length));
    for (int v = 0; v < kRecordValues; ++v) {
        const double value = floatAt(record + 3 + 4 * v);
        text[0] = '\t';
        const auto [end, error] =
            std::to_chars(text + 1, text + sizeof text, value, std::chars_format::fixed, 6);
        out.append(text, error == std::errc() ? end : text + 1);
    }
    out += "\r\n";
}

// A line of the string table with its line end written as CR LF.
std::string withCrLf(std::string text) {
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text + "\r\n";
}

std::string formatted(const char* format, const std::string& argument) {
    std::string out(std::strlen(format) + argument.size(), '\0');
    const int length = std::snprintf(out.data(), out.size() + 1, format, argument.c_str());
    out.resize(static_cast<std::size_t>(std::max(length, 0)));
    return out;
}

// Downloads one file that was created as `out`.
void downloadBlocks(SerialPort& port, const CardFile& file, std::FILE* out,
                    DownloadProgress& progress, DownloadedFile& result) {
    const std::vector<std::size_t> lengths = LogBlockLengths(file.size);
    std::vector<char> buffer;
    bool whole = true;
    for (std::size_t b = 0; b < lengths.size(); ++b) {
        if (progress.cancelRequested()) {
            whole = false;
            break;
        }
        const BlockRead read =
            ReadLogBlock(port, file.name, static_cast<int>(b), lengths[b], buffer);
        whole = whole && read.complete;
        const int records = ConvertLogBlock(read.data, out);
        whole = whole && records >= 0;
        result.records += std::max(records, 0);
        progress.blockDone(static_cast<int>(b) + 1);
        if (b + 1 == lengths.size()) {
            LogMessage(kLogModule, LogInfo, "dernier octet recu: %c",
                       read.received > 0 ? buffer[read.received - 1] : ' ');
        }
    }
    result.complete = whole;
}

}  // namespace

std::string TableText(int id) {
    return std::string(FindStringEntry(id).value_or(""));
}

int ConvertLogBlock(std::span<const std::uint8_t> data, std::FILE* out) {
    LogMessage(kLogModule, LogInfo, "write file start");
    const std::size_t records = data.size() / kLogRecordBytes;
    std::string lines;
    lines.reserve(records * 96);
    for (std::size_t r = 0; r < records; ++r) {
        appendRecordLine(lines, data.data() + r * kLogRecordBytes);
    }
    if (std::fwrite(lines.data(), 1, lines.size(), out) != lines.size()) {
        return -1;
    }
    return static_cast<int>(records);
}

DownloadReport DownloadLogFiles(SerialPort& port, const std::string& folder,
                                const std::vector<CardFile>& files, DownloadProgress& progress) {
    DownloadReport report;
    const int n = static_cast<int>(files.size());
    const std::string header = withCrLf(TableText(kStrLogHeader));
    const std::string errorCaption = TableText(kStrErrorCaption);
    for (int i = 0; i < n; ++i) {
        const CardFile& file = files[static_cast<std::size_t>(i)];
        DownloadedFile& result = report.files.emplace_back();
        result.name = file.name;
        result.size = file.size;
        const std::string shown = PrintableCardFileName(file.name);
        LogMessage(kLogModule, LogInfo, "fichier selectionne %d =%s taille=%d", i, shown.c_str(),
                   static_cast<int>(file.size));
        // A name from the card becomes part of a path: it must not lead out of the folder.
        if (!IsPlainCardFileName(file.name)) {
            LogMessage(kLogModule, LogError, "Nom de fichier refuse: %s", shown.c_str());
            progress.message(formatted(kInvalidCardNameText, shown), errorCaption);
            continue;
        }
        const std::string localName = file.name + ".csv";
        const std::string path = folder + localName;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) {
            LogMessage(kLogModule, LogError, "Creation de %s impossible: %s", path.c_str(),
                       std::strerror(errno));
            progress.message(TableText(kStrTargetFileOpened), errorCaption);
            continue;
        }
        result.path = path;
        const int blocks = static_cast<int>(LogBlockLengths(file.size).size());
        progress.fileStarted(i + 1, n, localName, blocks);
        const bool headerWritten = std::fputs(header.c_str(), out) >= 0;
        LogMessage(kLogModule, LogInfo, "nombre de block =%d",
                   static_cast<int>(file.size / kLogBlockBytes));
        LogMessage(kLogModule, LogInfo, "taille fichier =%d", static_cast<int>(file.size));
        downloadBlocks(port, file, out, progress, result);
        const bool closed = std::fclose(out) == 0;
        result.complete = result.complete && headerWritten && closed;
        (void)DrainAfterFile(port);
        if (progress.cancelRequested()) {
            report.cancelled = true;
            break;
        }
    }
    return report;
}

DownloadEnd DownloadEndMessage(const DownloadReport& report) {
    if (report.cancelled) {
        return {TableText(kStrDownloadStopped), TableText(kStrErrorCaption)};
    }
    std::string incomplete;
    for (const DownloadedFile& file : report.files) {
        // Skipped files had their own message when they were skipped.
        if (!file.path.empty() && !file.complete) {
            incomplete += (incomplete.empty() ? "" : ", ") + file.name + ".csv";
        }
    }
    if (!incomplete.empty()) {
        return {formatted(kIncompleteFilesText, incomplete), TableText(kStrErrorCaption)};
    }
    return {TableText(kStrDownloadEnded), kInformationCaption};
}

}  // namespace voltaris
