// The record conversion of the SD-card download: any bytes of an X block into text lines.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "files/LogDownload.h"

using namespace voltaris;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (out == nullptr) {
        return 0;
    }
    const int records = ConvertLogBlock(std::span(data, size), out);
    std::fclose(out);
    std::size_t lines = 0;
    for (std::size_t k = 0; k + 1 < length; ++k) {
        lines += text[k] == '\r' && text[k + 1] == '\n';
    }
    std::free(text);
    // One line per whole record, a partial record dropped.
    if (records != static_cast<int>(size / kLogRecordBytes) || lines != size / kLogRecordBytes) {
        std::abort();
    }
    return 0;
}
