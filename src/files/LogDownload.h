// Downloading log files of the meter's SD card block by block and converting each into a
// tab-separated text file: what the download dialog and voltaris-cli share. No widgets; it runs
// on whichever thread has the port.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "device/CardFiles.h"
#include "device/SerialPort.h"

namespace voltaris {

// Ids of the download's entries in the string table.
enum DownloadStringId : int {
    kStrNoFileSelected = 139,
    kStrErrorCaption = 147,  // "ERROR !"
    kStrSyncAcquisitionOnGoing = 149,
    kStrLogPeriodAcquisitionOnGoing = 151,
    kStrUnsupportedLogPeriod = 152,
    kStrNoSdCard = 153,
    kStrLogHeader = 156,
    kStrStoreFiles = 157,
    kStrSize = 158,
    kStrDownloadFolderTitle = 159,
    kStrFileDownload = 160,
    kStrOn = 161,
    kStrTargetFileOpened = 162,
    kStrDownloadStopped = 163,
    kStrDownloadEnded = 164,
    kStrWarningCaption = 165,
    kStrDeleteQuestion = 166,
    kStrFilesDeleted = 167,
    kStrLogPeriodModified = 168,
};

// The entry `id` of the string table; empty when it has none.
[[nodiscard]] std::string TableText(int id);

inline constexpr const char* kInformationCaption = "Information";
// A name from the card that could reach outside the download folder.
inline constexpr const char* kInvalidCardNameText =
    "Invalid file name on the SD card, file skipped : %s";
// The end of a download in which a block came short or not at all, with the files concerned.
inline constexpr const char* kIncompleteFilesText = "Download ended, incomplete file(s) : %s";
// The meter did not answer a file-service command.
inline constexpr const char* kSyncNoAnswerText =
    "Synchronisation failed : No answer from the meter";
inline constexpr const char* kLogPeriodNoAnswerText =
    "Log period update failed : No answer from the meter";

// One choice of the logging-period list, in its order; `value` -1 for "Autres", which sends
// nothing.
struct LogPeriodChoice {
    const char* text;
    int value;
};
inline constexpr LogPeriodChoice kLogPeriodChoices[] = {
    {"1 periode", 1},      {"1 seconde", 50},     {"5 secondes", 250}, {"10 secondes", 500},
    {"30 secondes", 1500}, {"60 secondes", 3000}, {"Autres", -1},
};

// Writes one line per whole 27-byte record of `data` (time as "%02d:%02d:%02d", then the six
// values with six decimals, tab-separated, CR LF); a trailing partial record is dropped. Returns
// the number of records written, or -1 when writing failed.
int ConvertLogBlock(std::span<const std::uint8_t> data, std::FILE* out);

// One card file of a download.
struct DownloadedFile {
    std::string name;        // on the card
    std::string path;        // the converted file; empty when none was created
    std::uint32_t size = 0;  // bytes on the card
    int records = 0;         // lines written after the header
    bool complete = false;   // created, every block came whole, and all of it was written
};

struct DownloadReport {
    std::vector<DownloadedFile> files;  // those the download reached, in order
    bool cancelled = false;
};

// What the download tells the one who runs it, on the download's thread.
class DownloadProgress {
public:
    virtual ~DownloadProgress() = default;
    // File `k` of `n` (from 1) is created as `localName`; its blocks follow.
    virtual void fileStarted(int k, int n, const std::string& localName, int blocks) {
        (void)k, (void)n, (void)localName, (void)blocks;
    }
    // `done` blocks of the current file have been exchanged.
    virtual void blockDone(int done) { (void)done; }
    // A file is skipped: the user sees why before the download goes on.
    virtual void message(const std::string& text, const std::string& caption) {
        (void)text, (void)caption;
    }
    // Asked before every block and after every file: true stops the download at that point.
    virtual bool cancelRequested() { return false; }
};

// Downloads `files` in order into `folder` (with its trailing separator) as "<name>.csv", each
// starting with the header line. A block that comes short or not at all gives only the whole
// records that arrived and the download goes on with the next one; the file is then
// incomplete. A name that is not a plain file name, or a file that cannot be created, is
// skipped with a message.
[[nodiscard]] DownloadReport DownloadLogFiles(SerialPort& port, const std::string& folder,
                                              const std::vector<CardFile>& files,
                                              DownloadProgress& progress);

// How a download ends for the user: "Download stopped" when cancelled, the list of incomplete
// files when there are some, "Download ended" otherwise; and its caption.
struct DownloadEnd {
    std::string text;
    std::string caption;
};
[[nodiscard]] DownloadEnd DownloadEndMessage(const DownloadReport& report);

}  // namespace voltaris
