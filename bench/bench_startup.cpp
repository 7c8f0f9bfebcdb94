// Start-up of the main window in demonstration mode, up to the first capture analysed and drawn:
// window and controls, detection (the computer's ports, none answering), the demonstration box
// answered at once, worker start, one capture of 10 periods (200 ms of simulated mains), its
// analysis and the Waveforms page. Closing the window is not timed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdlib>

#include "ui/CMeterDlg.h"
#include "ui/MessageService.h"

namespace {

using voltaris::CMeterDlg;

void BM_StartupToFirstDrawnCapture(benchmark::State& state) {
    for (auto _ : state) {
        voltaris::AutoAnswerMessageService messages(false);
        voltaris::StartupOptions options;
        options.pauseAfterDetection = false;  // no meter answers: there is no pause anyway
        CMeterDlg window(messages, options);
        QEventLoop loop;
        QObject::connect(&window, &CMeterDlg::captureDrawn, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (!window.OnInitDialog()) {
            state.SkipWithError("start-up failed");
            break;
        }
        window.show();
        loop.exec();
        if (window.capturesDrawn() == 0) {
            state.SkipWithError("no capture within 30 s");
            break;
        }
        state.PauseTiming();
        window.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToFirstDrawnCapture)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    // Own settings folder: the user's log configuration is neither read nor changed.
    QTemporaryDir settings;
    setenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit().constData(), 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
