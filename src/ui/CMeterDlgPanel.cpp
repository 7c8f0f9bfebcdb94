// The control panel's handlers: acquisition commands, periods and pre-trigger, trigger
// conditions, display lists and the meter selection. Each writes the shared request under its
// mutex (through AcquisitionShared) and never waits for the meter.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "analysis/EnergySeries.h"
#include "infra/Log.h"
#include "ui/CMeterDlg.h"
#include "ui/DisplayUpdate.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
// Logged with the selected entry when the meter changes; the meaning of the 10 is lost.
constexpr int kPortChangeSize = 10;

// The number in a number edit; text that is not a number reads as 0.
int numberIn(const QLineEdit& edit) {
    bool ok = false;
    const int value = edit.text().toInt(&ok);
    return ok ? value : 0;
}

// Writes `text` into `edit` without passing for a user's change, and only when it differs, so
// that the cursor of someone typing stays where it is.
void showText(QLineEdit& edit, const QString& text) {
    if (edit.text() != text) {
        const QSignalBlocker blocker(&edit);
        edit.setText(text);
    }
}

void moveSlider(QSlider& slider, int value) {
    const QSignalBlocker blocker(&slider);
    slider.setValue(value);
}

}  // namespace

void CMeterDlg::OnRun() {
    LogMessage(kLogModule, LogDebug1, "OnRun");
    energyReset(*m_measurements);
    m_shared->setState(AcqStatus::RunRequested);
    m_display->enableReportActions(false);
}

void CMeterDlg::OnStop() {
    LogMessage(kLogModule, LogDebug1, "OnStop");
    m_shared->setState(AcqStatus::Idle);
}

void CMeterDlg::OnSingle() {
    LogMessage(kLogModule, LogDebug1, "OnSingle");
    energyReset(*m_measurements);
    m_shared->setState(AcqStatus::SingleRequested);
    m_display->enableReportActions(false);
}

void CMeterDlg::OnPeriodsReleased() {
    periodsChanged();
}

void CMeterDlg::OnPeriodsEditChange() {
    int periods = numberIn(*m_controls.periodsEdit);
    if (periods > kMaxPeriodCount) {
        periods = kMaxPeriodCount;
        showText(*m_controls.periodsEdit, QString::number(periods));
    }
    moveSlider(*m_controls.periodsSlider, periods);  // held to 1..85 by the slider
    periodsChanged();
}

void CMeterDlg::periodsChanged() {
    MainControls& c = m_controls;
    const int periods = c.periodsSlider->value();
    showText(*c.periodsEdit, QString::number(periods));
    (void)m_shared->setPeriodCount(periods);  // the slider holds 1..85
    m_shared->rearm();
    {
        const QSignalBlocker blocker(c.preTriggerSlider);
        if (c.preTriggerSlider->value() >= periods) {
            c.preTriggerSlider->setValue(periods - 1);
        }
        c.preTriggerSlider->setRange(0, periods - 1);
    }
    showText(*c.preTriggerEdit, QString::number(c.preTriggerSlider->value()));
}

void CMeterDlg::OnPreTriggerReleased() {
    showText(*m_controls.preTriggerEdit, QString::number(m_controls.preTriggerSlider->value()));
}

void CMeterDlg::OnPreTriggerEditChange() {
    int preTrigger = numberIn(*m_controls.preTriggerEdit);
    const int last = m_controls.periodsSlider->value() - 1;
    if (preTrigger > last) {
        preTrigger = last;
        showText(*m_controls.preTriggerEdit, QString::number(preTrigger));
    }
    moveSlider(*m_controls.preTriggerSlider, preTrigger);
}

void CMeterDlg::OnTriggerOk() {
    TriggerValues values{};
    for (int field = 0; field < kTriggerFieldCount; ++field) {
        QLineEdit& edit = *m_controls.trigger[field];
        m_triggerTexts[field] = edit.text().toStdString();
        values[field] = ParseTriggerValue(m_triggerTexts[field], static_cast<TriggerField>(field));
        showText(edit, QString::fromStdString(FormatTriggerValue(values[field])));
    }
    // The slider holds 0 .. periods - 1, within what the request takes.
    (void)m_shared->setTrigger(m_controls.preTriggerSlider->value(), ToThresholds(values));
    m_shared->rearm();
}

void CMeterDlg::OnTriggerZero() {
    for (int field = 0; field < kTriggerFieldCount; ++field) {
        m_triggerTexts[field] = TriggerZeroText(static_cast<TriggerField>(field));
    }
    pushTriggerTexts();
    OnTriggerOk();
}

void CMeterDlg::pushTriggerTexts() {
    for (int field = 0; field < kTriggerFieldCount; ++field) {
        showText(*m_controls.trigger[field], QString::fromStdString(m_triggerTexts[field]));
    }
}

void CMeterDlg::OnSelChangeTabctrl() {
    LogMessage(kLogModule, LogDebug1, "OnSelChangeTabctrl");
    UpdateDisplay();
}

void CMeterDlg::OnScaleChange() {
    LogMessage(kLogModule, LogDebug1, "OnScaleChange");
    UpdateDisplay();
}

void CMeterDlg::OnLimitClassChange() {
    setHarmonicsSelection(AfterLimitClassChange(m_display->readControls().harmonics));
    OnScaleChange();
}

void CMeterDlg::OnDisplayModeChange() {
    setHarmonicsSelection(AfterDisplayModeChange(m_display->readControls().harmonics));
    OnScaleChange();
}

void CMeterDlg::setHarmonicsSelection(const HarmonicsSelection& selection) {
    const QSignalBlocker mode(m_controls.harmonicsMode);
    const QSignalBlocker limits(m_controls.harmonicsLimits);
    m_controls.harmonicsMode->setCurrentIndex(selection.displayMode);
    m_controls.harmonicsLimits->setCurrentIndex(selection.limitClass);
}

void CMeterDlg::OnResetStats() {
    LogMessage(kLogModule, LogDebug1, "StatisticsReset");
    m_stats.StatisticsReset();
    UpdateDisplay();
}

void CMeterDlg::OnEditChangePort() {
    LogMessage(kLogModule, LogDebug1, "OnEditChangePort");
    const int index = m_controls.comPort->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= m_meters.size()) {
        return;
    }
    const DetectedMeter& meter = m_meters[static_cast<std::size_t>(index)];
    m_shared->setPort(meter.port.get());
    LogMessage(kLogModule, LogInfo, "Changemant %s,taille= %d", meter.entry.c_str(),
               kPortChangeSize);
    m_generation = GenerationOfEntry(meter.entry);
    LogMessage(kLogModule, LogInfo, "%s",
               m_generation == kGenerationV2 ? "Version 2" : "Version 1");
    m_controls.download->setEnabled(m_generation == kGenerationV2);
}

}  // namespace voltaris
