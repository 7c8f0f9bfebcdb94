// XY charts (lines, step lines, areas, bars, x-y curves) built the way the pages describe them and
// rendered through QCustomPlot at the exact pixel size, plot area and colours asked for.
#pragma once

#include "ui/charts/Axis.h"
#include "ui/charts/Chart.h"
#include "ui/charts/Layer.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace voltaris::charts {

struct PlotArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Color background = kTransparent;
    Color altBackground = kDefault;  // bands between horizontal major ticks; kDefault: none
    Color edge = kDefault;           // kDefault: no edge
    Color hGrid = 0xC0C0C0;
    Color vGrid = kTransparent;
};

// The scales the axes take when the chart renders.
struct ChartScales {
    AxisScale x;
    AxisScale y;
    AxisScale y2;
    bool y2Shown = false;
};

class XYChart : public Chart {
public:
    XYChart(int width, int height, Fill background = kBackgroundColor, Color edge = kTransparent,
            int raisedEffect = 0);
    XYChart(const XYChart& other);
    XYChart& operator=(const XYChart& other);
    XYChart(XYChart&&) noexcept = default;
    XYChart& operator=(XYChart&&) noexcept = default;
    ~XYChart() override = default;

    PlotArea& setPlotArea(int x, int y, int width, int height, Color background = kTransparent,
                          Color altBackground = kDefault, Color edge = kDefault,
                          Color hGrid = 0xC0C0C0, Color vGrid = kTransparent);
    Legend& addLegend(int x, int y, bool vertical = true, std::string font = {}, double size = 8);

    Axis& xAxis() { return m_xAxis; }
    Axis& yAxis() { return m_yAxis; }
    Axis& yAxis2() { return m_yAxis2; }
    [[nodiscard]] const Axis& xAxis() const { return m_xAxis; }
    [[nodiscard]] const Axis& yAxis() const { return m_yAxis; }
    [[nodiscard]] const Axis& yAxis2() const { return m_yAxis2; }

    // Vertical x axis (first item at the top) and horizontal y axis: horizontal bars.
    void swapXY(bool swap = true) { m_swapXY = swap; }

    LineLayer& addLineLayer();
    LineLayer& addLineLayer(std::span<const double> data, Color color = kDefault,
                            std::string name = {});
    LineLayer& addLineLayer2(CombineMethod combine = CombineMethod::Overlay);
    StepLineLayer& addStepLineLayer(std::span<const double> data = {}, Color color = kDefault,
                                    std::string name = {});
    AreaLayer& addAreaLayer(std::span<const double> data, Color color = kDefault,
                            std::string name = {});
    AreaLayer& addAreaLayer2(CombineMethod combine = CombineMethod::Stack);
    BarLayer& addBarLayer(std::span<const double> data, Color color = kDefault,
                          std::string name = {});
    BarLayer& addBarLayer2(CombineMethod combine = CombineMethod::Side);
    // One bar per item, each in its own colour.
    BarLayer& addBarLayer3(std::span<const double> data, std::span<const Color> colors);

    // Long lines are reduced per pixel column and stroked in short pieces (on by default); off
    // strokes every point as one polyline, for comparison.
    void setFastLines(bool fast) { m_fastLines = fast; }
    // With fast lines, points the drawing cannot tell apart are dropped before stroking (on by
    // default); off strokes every point in short pieces, for comparison.
    void setReduceLines(bool reduce) { m_reduceLines = reduce; }

    [[nodiscard]] const PlotArea& plotArea() const { return m_plotArea; }
    [[nodiscard]] const std::optional<Legend>& legend() const { return m_legend; }
    [[nodiscard]] bool swapped() const { return m_swapXY; }
    [[nodiscard]] bool fastLines() const { return m_fastLines; }
    [[nodiscard]] bool reduceLines() const { return m_fastLines && m_reduceLines; }
    [[nodiscard]] const std::vector<std::unique_ptr<Layer>>& layers() const { return m_layers; }

    // The scales the axes take for the current data and settings.
    [[nodiscard]] ChartScales scales() const;

    [[nodiscard]] QImage render() const override;

private:
    template <class L>
    L& addLayer(CombineMethod combine);

    PlotArea m_plotArea;
    std::optional<Legend> m_legend;
    Axis m_xAxis;
    Axis m_yAxis;
    Axis m_yAxis2;
    bool m_swapXY = false;
    bool m_fastLines = true;
    bool m_reduceLines = true;
    std::vector<std::unique_ptr<Layer>> m_layers;
};

}  // namespace voltaris::charts
