// Checks of the files a command will write, made before it touches a meter or reads a capture,
// so that a capture is never made only to fail at writing it.
#pragma once

#include <string>

namespace voltaris::cli {

// A file written whole (--raw, --csv): it can be created or replaced. Empty when it can be,
// otherwise "<path>: <the system's text>".
[[nodiscard]] std::string CheckOutputFile(const std::string& path);

// Files named by appending to `prefix` (--charts): the folder they land in is writable.
[[nodiscard]] std::string CheckOutputPrefix(const std::string& prefix);

// A folder made with its missing parents when it is written (--report, report --out): the
// nearest part of it that exists is a writable folder.
[[nodiscard]] std::string CheckOutputFolder(const std::string& folder);

}  // namespace voltaris::cli
