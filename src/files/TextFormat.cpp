// Locale-independent formatting: the calling thread switches to the "C" locale for the call only.
#include "files/TextFormat.h"

#include <locale.h>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace voltaris {

namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

ClockReading ReadLocalClock() {
    return ToLocalLogTime(std::chrono::system_clock::now());
}

FileOutcome SystemFailure(int error) {
    return {.ok = false, .error = std::strerror(error)};
}

std::string FormatC(const char* format, ...) {
    const locale_t previous = uselocale(CLocale());
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    std::string text;
    const int length = std::vsnprintf(nullptr, 0, format, args);
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    va_end(args);
    uselocale(previous);
    return text;
}

}  // namespace voltaris
