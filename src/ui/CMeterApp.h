// The application object: builds the main window for the command line, runs it modally and
// ends the program when it closes.
#pragma once

#include <chrono>

#include "ui/AppOptions.h"

namespace voltaris {

class CMeterApp {
public:
    CMeterApp(AppOptions options, std::chrono::steady_clock::time_point started);

    // Runs the window until it is closed. 0 normally; in screenshot mode 0 once the picture was
    // written, 1 otherwise; 1 when start-up failed.
    [[nodiscard]] int run();

private:
    AppOptions m_options;
    std::chrono::steady_clock::time_point m_started;
};

}  // namespace voltaris
