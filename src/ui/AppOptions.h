// The desktop program's command line:
//   voltaris [--port PATH]... [--screenshot FILE [--page N]] [/MFG | --mfg]
#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace voltaris {

struct AppOptions {
    std::vector<std::string> ports;  // probed first, whatever their description
    std::optional<std::string> screenshot;
    int page = 0;  // tab shown in the screenshot, 0..7
    bool mfg = false;
    // Where the computer's ports are looked for (hidden options, for tests of the program).
    std::string devRoot = "/dev";
    std::string sysRoot = "/sys";
};

struct AppOptionsResult {
    std::optional<AppOptions> options;  // empty on a usage error
    std::string error;                  // why, when empty
};

inline constexpr const char* kAppUsage =
    "usage: voltaris [--port PATH]... [--screenshot FILE [--page N]] [/MFG|--mfg]";

// `arguments` as QCoreApplication::arguments() gives them, the program first.
[[nodiscard]] AppOptionsResult ParseAppOptions(const QStringList& arguments);

}  // namespace voltaris
