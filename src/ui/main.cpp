// The desktop program: voltaris [--port PATH]... [--screenshot FILE [--page N]] [/MFG|--mfg]
#include <QApplication>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/AppOptions.h"
#include "ui/CMeterApp.h"

namespace {

// A screenshot needs no display: without one, and without a platform chosen, draw offscreen.
void chooseOffscreenForScreenshot(int argc, char** argv) {
    bool screenshot = false;
    for (int k = 1; k < argc; ++k) {
        screenshot = screenshot || std::strncmp(argv[k], "--screenshot", 12) == 0;
    }
    if (screenshot && std::getenv("QT_QPA_PLATFORM") == nullptr &&
        std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    chooseOffscreenForScreenshot(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Voltaris");
    QApplication::setWindowIcon(QIcon(":/voltaris/voltaris_icon.png"));
    // Numbers in texts, files and the meter's commands always use a decimal point.
    std::setlocale(LC_NUMERIC, "C");

    const voltaris::AppOptionsResult parsed = voltaris::ParseAppOptions(app.arguments());
    if (!parsed.options) {
        std::fprintf(stderr, "voltaris: %s\n%s\n", parsed.error.c_str(), voltaris::kAppUsage);
        return 2;
    }
    voltaris::CMeterApp meterApp(*parsed.options, started);
    return meterApp.run();
}
