// Start-up of the main window in demonstration mode, up to the first capture analysed and drawn:
// window and controls, detection (the computer's ports, none answering), the demonstration box
// answered at once, worker start, one capture of 10 periods (200 ms of simulated mains), its
// analysis and the Waveforms page. Closing the window is not timed.
#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QTimer>

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
