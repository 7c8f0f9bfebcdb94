// Texts of the string table as the page builders use them: titles and data-set names.
#pragma once

#include <string>

#include "StringTable.h"

namespace voltaris {

// The text of string-table entry `id`; empty when the table has none.
[[nodiscard]] inline std::string PageString(int id) {
    return std::string(FindStringEntry(id).value_or(""));
}

}  // namespace voltaris
