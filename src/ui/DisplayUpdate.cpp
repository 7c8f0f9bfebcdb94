// Redrawing the visible page.
#include "ui/DisplayUpdate.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <utility>

#include "infra/Log.h"
#include "ui/MainControls.h"
#include "ui/PaneSink.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

int indexOrZero(const QComboBox& list) {
    return std::max(list.currentIndex(), 0);
}

}  // namespace

DisplayUpdate::DisplayUpdate(MainControls& controls, const MeasurementSet& measurements,
                             const StatisticsGrid& statistics, bool factoryControls)
    : m_controls(controls),
      m_measurements(measurements),
      m_statistics(statistics),
      m_factoryControls(factoryControls) {}

PageSelections DisplayUpdate::readControls() const {
    const MainControls& c = m_controls;
    PageSelections s;
    s.scales = {indexOrZero(*c.uScale), indexOrZero(*c.iScale), indexOrZero(*c.pScale)};
    s.filter = indexOrZero(*c.filter);
    s.harmonics.displayMode = indexOrZero(*c.harmonicsMode);
    s.harmonics.limitClass = indexOrZero(*c.harmonicsLimits);
    s.harmonicsCount = indexOrZero(*c.harmonicsCount);
    s.title = c.title->text().toStdString();
    return s;
}

void DisplayUpdate::setPageControlsVisible(unsigned controls, bool visible) {
    const MainControls& c = m_controls;
    const std::pair<PageControl, QWidget*> widgets[] = {
        {kResetStatsControl, c.resetStats},
        {kHarmonicsModeControl, c.harmonicsMode},
        {kHarmonicsCountControl, c.harmonicsCount},
        {kHarmonicsLimitsControl, c.harmonicsLimits},
        {kHarmonicsResultControl, c.harmonicsResult},
    };
    for (const auto& [bit, widget] : widgets) {
        if ((controls & bit) != 0) {
            widget->setVisible(visible);
        }
    }
    if ((controls & kCalibrationControl) != 0) {
        for (QWidget* w : c.calibration.common()) {
            w->setVisible(visible);
        }
    }
    if ((controls & kFactoryCalibrationControl) != 0) {
        for (QWidget* w : c.calibration.factory()) {
            w->setVisible(visible && m_factoryControls);
        }
    }
}

void DisplayUpdate::showPageTexts(unsigned controls) {
    const MainControls& c = m_controls;
    if ((controls & kHarmonicsResultControl) != 0) {
        c.harmonicsResult->setText(QString::fromStdString(m_texts.harmonicsResult));
    }
    if ((controls & kCalibrationControl) != 0) {
        c.calibration.serialNumber->setText(QString::fromStdString(m_texts.serialNumber));
        c.calibration.lastCalibration->setText(
            QString::fromStdString(m_texts.lastCalibrationDate));
    }
}

PageOutcome DisplayUpdate::drawPage(int index, const PageSelections& selections,
                                    const CalibrationParams& calibration, ChartSink& sink) {
    const PageDescriptor* page = FindPage(index);
    if (page == nullptr) {
        LogMessage(kLogModule, LogError, "No page %d to draw", index);
        return {.drawn = false, .ok = false};
    }
    const PageData data{m_measurements, m_statistics, calibration, selections};
    return page->build(data, sink, m_texts);
}

bool DisplayUpdate::redraw(const PageSelections& selections,
                           const CalibrationParams& calibration, bool acquisitionIdle) {
    LogMessage(kLogModule, LogDebug1, "UpdateDisplay");
    m_controls.initialising->hide();
    const int page = m_controls.tabs->currentIndex();
    if (page != m_pageDrawnLast) {
        setPageControlsVisible(~0u, false);
    }
    PaneSink panes(*m_controls.panes);
    const PageOutcome outcome = drawPage(page, selections, calibration, panes);
    if (outcome.drawn) {
        if (const PageDescriptor* row = FindPage(page)) {
            showPageTexts(row->controls);
            setPageControlsVisible(row->controls, true);
        }
    }
    if (!outcome.ok) {
        LogMessage(kLogModule, LogError, "Page %d not fully drawn", page);
    }
    m_pageDrawnLast = page;
    if (acquisitionIdle) {
        enableReportActions(true);
    }
    return outcome.ok;
}

void DisplayUpdate::enableReportActions(bool enable) {
    m_controls.exportCsv->setEnabled(enable);
    m_controls.report->setEnabled(enable);
}

}  // namespace voltaris
