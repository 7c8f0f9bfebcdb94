// The window's side of each capture: the captures the worker handed over are analysed once
// each, in order, and the visible page is redrawn once for all of them; the worker's phase
// moves the pointer of the state meter.
#include <QLabel>
#include <QPalette>
#include <QTimer>

#include "acquisition/CaptureHandOver.h"
#include "acquisition/WorkerMessages.h"
#include "analysis/Measurements.h"
#include "infra/Log.h"
#include "ui/CMeterDlg.h"
#include "ui/DisplayUpdate.h"
#include "ui/PaneSink.h"
#include "ui/StateMeter.h"
#include "ui/charts/CChartPane.h"
#include "ui/pages/WaveformsPage.h"

namespace voltaris {

namespace {
constexpr const char* kLogModule = "voltaris";
// How long "Link to the meter restored" stays in the status line.
constexpr auto kLinkRestoredShownFor = std::chrono::seconds(10);
}  // namespace

void CMeterDlg::OnDataChange(bool transferred) {
    LogMessage(kLogModule, LogInfo, "OnDataChange : new data received !");
    const PageSelections selections = m_display->readControls();
    int analysed = 0;
    while (std::unique_ptr<HandedCapture> capture = m_handOver->next()) {
        const std::uint64_t sequence = capture->buffer.sequence;
        if (sequence <= m_lastSequence) {
            LogMessage(kLogModule, LogError, "Capture %llu already analysed, skipped",
                       static_cast<unsigned long long>(sequence));
        } else {
            m_lastSequence = sequence;
            if (analyse(*capture, selections.filter)) {
                ++analysed;
                ++m_capturesAnalysed;
            }
        }
        m_handOver->recycle(std::move(capture));
    }
    // An earlier report drew the captures this one announced: nothing new to draw. A failed
    // transfer still redraws, as the stopped acquisition enables the report actions.
    if (transferred && analysed == 0) {
        LogMessage(kLogModule, LogInfo, "OnDataChange : no new capture, display kept");
        return;
    }
    (void)m_display->redraw(selections, m_shared->calibration(),
                            m_shared->state() == AcqStatus::Idle);
    ++m_capturesDrawn;
    emit captureDrawn();
}

bool CMeterDlg::analyse(const HandedCapture& capture, int filter) {
    if (!scaleCapture(capture.raw(m_generation), *m_measurements)) {
        LogMessage(kLogModule, LogError, "Capture not scaled");
        return false;
    }
    AnalysisOptions options;
    options.filter = captureFilterFromIndex(filter).value_or(CaptureFilter::LowPass2k);
    options.status = static_cast<AcquisitionStatus>(capture.status);
    if (!analyseCapture(*m_measurements, m_stats, options)) {
        LogMessage(kLogModule, LogError, "Capture not analysed");
        return false;
    }
    m_analysedCalibration = capture.calibration;
    m_analysedHardwareVersion = capture.buffer.hardwareVersion;
    return true;
}

void CMeterDlg::OnWorkerPhase(int phase) {
    if (phase == m_drawnPhase) {
        return;
    }
    DrawState(phase);
    emit phaseDrawn(phase);
}

void CMeterDlg::OnLinkChanged(bool lost) {
    QLabel& status = *m_controls.linkStatus;
    QPalette palette = status.palette();
    palette.setColor(QPalette::Window, lost ? QColor(255, 214, 102) : QColor(178, 235, 178));
    palette.setColor(QPalette::WindowText, Qt::black);
    status.setPalette(palette);
    status.setText(lost ? kLinkLostText : kLinkRestoredText);
    status.show();
    status.raise();
    if (!lost) {
        // The good news stays a few seconds, unless the link dropped again meanwhile.
        QTimer::singleShot(kLinkRestoredShownFor, &status, [&status] {
            if (status.text() == kLinkRestoredText) {
                status.hide();
            }
        });
    }
}

void CMeterDlg::UpdateDisplay() {
    (void)m_display->redraw(m_display->readControls(), m_shared->calibration(),
                            m_shared->state() == AcqStatus::Idle);
}

void CMeterDlg::DrawState(int state) {
    LogMessage(kLogModule, LogDebug1, "DrawState");
    if (!m_controls.statePane->setChart(MakeStateMeter(state))) {
        LogMessage(kLogModule, LogError, "State meter not shown");
    }
    m_drawnPhase = state;
}

void CMeterDlg::DrawChartWaveforms(const char* prefix) {
    const PageSelections selections = m_display->readControls();
    PageTexts texts;
    const PageData data{*m_measurements, m_stats, m_shared->calibration(), selections};
    PaneSink panes(*m_controls.panes);
    FileChartSink files(prefix != nullptr ? prefix : "");
    ChartSink& sink = prefix != nullptr ? static_cast<ChartSink&>(files) : panes;
    if (!voltaris::DrawChartWaveforms(data, sink, texts).ok) {
        LogMessage(kLogModule, LogError, "Waveforms page not fully drawn");
    }
}

}  // namespace voltaris
