// Memory soak of the desktop window in demonstration mode: the real window on the offscreen
// platform runs continuously; each capture goes through the worker, the hand-over and the
// analysis, and every display update draws the next page of the table, so every page is drawn
// over and over. The resident memory is printed every --every captures analysed; after the
// first such line it must not grow by 1 MiB or more.
//
// Usage: soak_window [--captures N] [--every M] [--periods P]    (10000, 1000, 1)
// Exit 0 when memory stayed flat and every capture was analysed once, in order.
#include <QApplication>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "SoakMemory.h"
#include "ui/CMeterDlg.h"
#include "ui/MainControls.h"
#include "ui/MessageService.h"

namespace {

using namespace voltaris;
using Clock = std::chrono::steady_clock;

constexpr long kFlatBoundKiB = 1024;

struct Options {
    int captures = 10000;
    int every = 1000;
    int periods = 1;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int k = 1; k + 1 < argc; k += 2) {
        const int value = std::atoi(argv[k + 1]);
        if (value <= 0) {
            return false;
        }
        if (std::strcmp(argv[k], "--captures") == 0) {
            options.captures = value;
        } else if (std::strcmp(argv[k], "--every") == 0) {
            options.every = value;
        } else if (std::strcmp(argv[k], "--periods") == 0) {
            options.periods = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir settings;
    setenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit().constData(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--captures N] [--every M] [--periods P]\n", argv[0]);
        return 2;
    }

    AutoAnswerMessageService messages(false);
    StartupOptions startup;
    startup.pauseAfterDetection = false;
    CMeterDlg window(messages, startup);
    if (!window.OnInitDialog() || !window.demoMode()) {
        std::fprintf(stderr, "the window did not start in demonstration mode\n");
        return 1;
    }
    window.show();
    MainControls& controls = window.controls();
    controls.periodsEdit->setText(QString::number(options.periods));
    window.OnPeriodsEditChange();
    if (window.shared().state() == AcqStatus::Idle) {
        window.OnRun();
    }

    const auto started = Clock::now();
    std::vector<int> drawsPerPage(static_cast<std::size_t>(controls.tabs->count()), 0);
    int nextReport = options.every;
    long firstKiB = -1;
    long highestKiB = 0;
    std::printf("%9s %9s %11s %11s %9s\n", "captures", "redraws", "VmRSS(KiB)", "heap(KiB)",
                "seconds");
    QObject::connect(&window, &CMeterDlg::captureDrawn, [&] {
        ++drawsPerPage[static_cast<std::size_t>(controls.tabs->currentIndex())];
        // The next update draws the next page; switched without the tab's own redraw, so each
        // capture costs one display update, as in a run left on one page.
        {
            const QSignalBlocker blocker(controls.tabs);
            controls.tabs->setCurrentIndex((controls.tabs->currentIndex() + 1) %
                                           controls.tabs->count());
        }
        if (window.capturesAnalysed() < nextReport) {
            return;
        }
        nextReport += options.every;
        const long rss = soak::ResidentKiB();
        std::printf("%9d %9d %11ld %11ld %9.1f\n", window.capturesAnalysed(),
                    window.capturesDrawn(), rss, soak::HeapInUseKiB(),
                    std::chrono::duration<double>(Clock::now() - started).count());
        std::fflush(stdout);
        if (firstKiB < 0) {
            firstKiB = rss;
        } else {
            highestKiB = std::max(highestKiB, rss);
        }
        if (window.capturesAnalysed() >= options.captures) {
            window.OnStop();
            app.quit();
        }
    });
    // A stalled run ends the soak instead of hanging it: at least 2 s a capture.
    QTimer::singleShot(std::chrono::seconds(60 + 2LL * options.captures), &app, [&] {
        std::fprintf(stderr, "no progress: %d captures analysed\n", window.capturesAnalysed());
        app.exit(1);
    });
    const int loopResult = app.exec();
    const bool ended = window.Shutdown();

    std::printf("pages drawn:");
    for (std::size_t page = 0; page < drawsPerPage.size(); ++page) {
        std::printf(" %zu:%d", page, drawsPerPage[page]);
    }
    const long growth = highestKiB > 0 ? highestKiB - firstKiB : 0;
    const bool inOrder =
        window.lastSequence() == static_cast<std::uint64_t>(window.capturesAnalysed());
    std::printf("\ncaptures analysed %d, last sequence %llu, messages %zu\n",
                window.capturesAnalysed(), static_cast<unsigned long long>(window.lastSequence()),
                messages.shown().size());
    std::printf("growth after the first %d captures: %ld KiB (bound %ld KiB)\n", options.every,
                growth, kFlatBoundKiB);
    const bool flat = growth < kFlatBoundKiB;
    std::printf("%s\n", flat && inOrder && ended && loopResult == 0 ? "FLAT" : "FAILED");
    return flat && inOrder && ended && loopResult == 0 ? 0 : 1;
}
