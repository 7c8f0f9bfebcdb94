// XY charts: the building calls of the pages.
#include "ui/charts/XYChart.h"

#include "ui/charts/SeriesLayout.h"
#include "ui/charts/XYChartRender.h"

#include <QImage>
#include <QPainter>

#include <utility>

namespace voltaris::charts {

XYChart::XYChart(int width, int height, Fill background, Color edge, int raisedEffect)
    : Chart(width, height, background, edge, raisedEffect) {
    // Until the page sets one, the plot area leaves room for the axes' labels.
    m_plotArea.x = 50;
    m_plotArea.y = 20;
    m_plotArea.width = width > 80 ? width - 80 : width;
    m_plotArea.height = height > 60 ? height - 60 : height;
}

XYChart::XYChart(const XYChart& other)
    : Chart(other),
      m_plotArea(other.m_plotArea),
      m_legend(other.m_legend),
      m_xAxis(other.m_xAxis),
      m_yAxis(other.m_yAxis),
      m_yAxis2(other.m_yAxis2),
      m_swapXY(other.m_swapXY),
      m_fastLines(other.m_fastLines),
      m_reduceLines(other.m_reduceLines) {
    m_layers.reserve(other.m_layers.size());
    for (const auto& layer : other.m_layers) {
        m_layers.push_back(layer->clone());
    }
}

XYChart& XYChart::operator=(const XYChart& other) {
    if (this != &other) {
        XYChart copy(other);
        *this = std::move(copy);
    }
    return *this;
}

PlotArea& XYChart::setPlotArea(int x, int y, int width, int height, Color background,
                               Color altBackground, Color edge, Color hGrid, Color vGrid) {
    m_plotArea = PlotArea{x, y, width, height, background, altBackground, edge, hGrid, vGrid};
    return m_plotArea;
}

Legend& XYChart::addLegend(int x, int y, bool vertical, std::string font, double size) {
    m_legend.emplace(x, y, vertical, std::move(font), size);
    return *m_legend;
}

template <class L>
L& XYChart::addLayer(CombineMethod combine) {
    auto layer = std::make_unique<L>(combine, static_cast<int>(m_layers.size()));
    L& ref = *layer;
    m_layers.push_back(std::move(layer));
    return ref;
}

LineLayer& XYChart::addLineLayer() {
    return addLayer<LineLayer>(CombineMethod::Overlay);
}

LineLayer& XYChart::addLineLayer(std::span<const double> data, Color color, std::string name) {
    LineLayer& layer = addLayer<LineLayer>(CombineMethod::Overlay);
    layer.addDataSet(data, color, std::move(name));
    return layer;
}

LineLayer& XYChart::addLineLayer2(CombineMethod combine) {
    return addLayer<LineLayer>(combine);
}

StepLineLayer& XYChart::addStepLineLayer(std::span<const double> data, Color color,
                                         std::string name) {
    StepLineLayer& layer = addLayer<StepLineLayer>(CombineMethod::Overlay);
    if (!data.empty() || !name.empty()) {
        layer.addDataSet(data, color, std::move(name));
    }
    return layer;
}

AreaLayer& XYChart::addAreaLayer(std::span<const double> data, Color color, std::string name) {
    AreaLayer& layer = addLayer<AreaLayer>(CombineMethod::Stack);
    layer.addDataSet(data, color, std::move(name));
    return layer;
}

AreaLayer& XYChart::addAreaLayer2(CombineMethod combine) {
    return addLayer<AreaLayer>(combine);
}

BarLayer& XYChart::addBarLayer(std::span<const double> data, Color color, std::string name) {
    BarLayer& layer = addLayer<BarLayer>(CombineMethod::Side);
    layer.addDataSet(data, color, std::move(name));
    return layer;
}

BarLayer& XYChart::addBarLayer2(CombineMethod combine) {
    return addLayer<BarLayer>(combine);
}

BarLayer& XYChart::addBarLayer3(std::span<const double> data, std::span<const Color> colors) {
    BarLayer& layer = addLayer<BarLayer>(CombineMethod::Side);
    layer.addMultiColorDataSet(data, colors);
    return layer;
}

ChartScales XYChart::scales() const {
    return detail::layoutChart(*this).scales;
}

QImage XYChart::render() const {
    QImage image = makeCanvas();
    if (image.isNull()) {
        return image;
    }
    const detail::ChartLayout layout = detail::layoutChart(*this);
    detail::renderPlot(*this, layout, image);
    QPainter painter(&image);
    paintTexts(painter);
    return image;
}

}  // namespace voltaris::charts
