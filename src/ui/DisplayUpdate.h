// The display update of the main window: reads the controls once, redraws the visible page
// through the page table into the chart panes, hides the page-specific controls when the page
// changes and shows those of the page drawn, and enables the report actions once the
// acquisition is stopped. The window wires it to its handlers.
#pragma once

#include "device/CalibrationParams.h"
#include "ui/pages/PageTable.h"

namespace voltaris {

struct MainControls;

class DisplayUpdate {
public:
    // Everything referenced must outlive this object. `factoryControls`: the program was started
    // with "/MFG", so the Calibration page also shows its factory controls.
    DisplayUpdate(MainControls& controls, const MeasurementSet& measurements,
                  const StatisticsGrid& statistics, bool factoryControls);

    // The controls' current values; read once per update and passed on.
    [[nodiscard]] PageSelections readControls() const;

    // Redraws the visible page with `selections`. False when a chart could not be shown
    // (logged).
    bool redraw(const PageSelections& selections, const CalibrationParams& calibration,
                bool acquisitionIdle);

    // Draws page `index` into `sink`; nothing for a page not in the table (logged).
    PageOutcome drawPage(int index, const PageSelections& selections,
                         const CalibrationParams& calibration, ChartSink& sink);

    void enableReportActions(bool enable);

    [[nodiscard]] const PageTexts& texts() const { return m_texts; }
    [[nodiscard]] int pageDrawnLast() const { return m_pageDrawnLast; }

private:
    void setPageControlsVisible(unsigned controls, bool visible);
    // Puts the texts the page left into the controls that show them.
    void showPageTexts(unsigned controls);

    MainControls& m_controls;
    const MeasurementSet& m_measurements;
    const StatisticsGrid& m_statistics;
    const bool m_factoryControls;
    PageTexts m_texts;
    int m_pageDrawnLast = -1;  // none at first, so the first update hides every page control
};

}  // namespace voltaris
