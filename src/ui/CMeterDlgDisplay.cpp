// The display update: a capture read by the worker is analysed and the visible page redrawn;
// the worker's phase moves the pointer of the state meter.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "analysis/Measurements.h"
#include "infra/Log.h"
#include "ui/CMeterDlg.h"
#include "ui/StateMeter.h"
#include "ui/charts/CChartPane.h"
#include "ui/pages/WaveformsPage.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

enum Page : int {
    kPageWaveforms = 0,
    kPageMeasurements = 1,
    kPageStatistics = 2,
    kPageTransient = 3,
    kPageHarmonics = 4,
    kPageVaGraph = 5,
    kPageEnergy = 6,
    kPageCalibration = 7,
};

int indexOrZero(const QComboBox& list) {
    return std::max(list.currentIndex(), 0);
}

}  // namespace

void CMeterDlg::OnDataChange(bool transferred) {
    LogMessage(kLogModule, LogInfo, "OnDataChange : new data received !");
    // A failed transfer leaves the previous capture in the buffer: analysing it again would
    // count it twice in the statistics and the energy.
    if (transferred) {
        readControls();
        const CalibrationParams calibration = m_shared->calibration();
        const AcqStatus status = m_shared->state();
        // Only the scaling needs the raw samples, so only it runs under the capture mutex.
        const bool scaled = m_shared->withCapture([&](const CaptureBuffer& b) {
            const RawCapture raw{b.voltage,
                                 b.current,
                                 static_cast<std::uint32_t>(std::max(b.blockCount, 0)),
                                 calibration.gainV,
                                 calibration.gainI,
                                 b.mainsPeriodTicks,
                                 m_generation};
            return scaleCapture(raw, *m_measurements);
        });
        if (scaled) {
            AnalysisOptions options;
            options.filter =
                captureFilterFromIndex(m_values.filter).value_or(CaptureFilter::LowPass2k);
            options.status = static_cast<AcquisitionStatus>(status);
            if (!analyseCapture(*m_measurements, m_stats, options)) {
                LogMessage(kLogModule, LogError, "Capture not analysed");
            }
        } else {
            LogMessage(kLogModule, LogError, "Capture not scaled");
        }
    }
    UpdateDisplay();
    ++m_capturesDrawn;
    emit captureDrawn();
}

void CMeterDlg::OnWorkerPhase(int phase) {
    if (phase == m_drawnPhase) {
        return;
    }
    DrawState(phase);
    emit phaseDrawn(phase);
}

void CMeterDlg::readControls() {
    const MainControls& c = m_controls;
    m_values.uScale = indexOrZero(*c.uScale);
    m_values.iScale = indexOrZero(*c.iScale);
    m_values.pScale = indexOrZero(*c.pScale);
    m_values.filter = indexOrZero(*c.filter);
    m_values.harmonics.displayMode = indexOrZero(*c.harmonicsMode);
    m_values.harmonics.limitClass = indexOrZero(*c.harmonicsLimits);
    m_values.harmonicsCount = indexOrZero(*c.harmonicsCount);
    m_values.title = c.title->text();
}

void CMeterDlg::UpdateDisplay() {
    LogMessage(kLogModule, LogDebug1, "UpdateDisplay");
    readControls();
    m_controls.initialising->hide();
    const int page = m_controls.tabs->currentIndex();
    if (page != m_pageDrawnLast) {
        hidePageControls();
    }
    switch (page) {
        case kPageWaveforms:
            DrawChartWaveforms(nullptr);
            break;
        default:
            drawEmptyPage();
            break;
    }
    m_pageDrawnLast = page;
    if (m_shared->state() == AcqStatus::Idle) {
        enableReportActions(true);
    }
}

void CMeterDlg::hidePageControls() {
    const MainControls& c = m_controls;
    for (QWidget* w :
         std::initializer_list<QWidget*>{c.resetStats, c.harmonicsMode, c.harmonicsCount,
                                         c.harmonicsLimits, c.harmonicsResult}) {
        w->hide();
    }
}

// The pages other than Waveforms are not built yet: they show no chart.
void CMeterDlg::drawEmptyPage() {
    m_controls.panes->clearAll();
}

void CMeterDlg::enableReportActions(bool enable) {
    m_controls.exportCsv->setEnabled(enable);
    m_controls.report->setEnabled(enable);
}

void CMeterDlg::DrawState(int state) {
    LogMessage(kLogModule, LogDebug1, "DrawState");
    m_controls.statePane->setChart(MakeStateMeter(state));
    m_drawnPhase = state;
}

void CMeterDlg::DrawChartWaveforms(const char* prefix) {
    readControls();
    const WaveformScales scales{m_values.uScale, m_values.iScale, m_values.pScale};
    voltaris::DrawChartWaveforms(*m_measurements, scales, *m_controls.panes, prefix);
}

}  // namespace voltaris
