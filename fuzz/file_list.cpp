// The SD card's file list (U reply): any bytes, then what the download does with each entry
// (name check, printable name, block lengths of its size).
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string_view>

#include "device/CardFiles.h"

using namespace voltaris;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    (void)IsNoCardReply(reply);
    const std::vector<CardFile> files = ParseFileList(reply);
    if (files.size() != (size < 18 ? 0 : (size - 2) / kListEntryLength)) {
        std::abort();
    }
    for (const CardFile& file : files) {
        (void)IsPlainCardFileName(file.name);
        (void)PrintableCardFileName(file.name);
        // Block lists of sizes up to 27 MB (1000 blocks) keep the runs fast; larger sizes differ
        // only in the count.
        if (file.size > 1000 * kLogBlockBytes) {
            continue;
        }
        const std::vector<std::size_t> blocks = LogBlockLengths(file.size);
        if (std::accumulate(blocks.begin(), blocks.end(), std::uint64_t{0}) != file.size) {
            std::abort();
        }
    }
    return 0;
}
