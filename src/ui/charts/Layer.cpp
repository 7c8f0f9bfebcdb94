// Layers of an XY chart and their data sets.
#include "ui/charts/Layer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace voltaris::charts {

DataSet::DataSet(std::span<const double> values, Color color, std::string name)
    : m_values(values.begin(), values.end()), m_color(color), m_name(std::move(name)) {}

DataSet& DataSet::setUseYAxis2(bool use) {
    m_useYAxis2 = use;
    return *this;
}

void DataSet::setItemColors(std::span<const Color> colors) {
    m_itemColors.assign(colors.begin(), colors.end());
}

Layer::Layer(LayerKind kind, CombineMethod combine, int paletteStart)
    : m_kind(kind),
      m_combine(combine),
      m_paletteIndex(paletteStart),
      m_aggregateStyle({}, {}, 8, kTextColor) {
    m_aggregateStyle.setMargin(0);
}

DataSet& Layer::addDataSet(std::span<const double> values, Color color, std::string name) {
    if (color == kDefault) {
        color = dataColor(m_paletteIndex++);
    }
    m_dataSets.emplace_back(values, color, std::move(name));
    return m_dataSets.back();
}

void Layer::setXData(std::span<const double> x) {
    m_xData.assign(x.begin(), x.end());
    m_hasXData = true;
}

void Layer::setLineWidth(int width) {
    m_lineWidth = std::clamp(width, 0, 100);
}

void Layer::setBorderColor(Color color, int raisedEffect) {
    m_borderColor = color;
    m_borderRaised = std::clamp(raisedEffect, -20, 20);
}

void Layer::addExtraField(std::span<const double> values) {
    m_fields.emplace_back(values.begin(), values.end());
}

TextBox& Layer::addCustomDataLabel(int dataSet, int index, std::string label, std::string font,
                                   double size, Color color, double angle) {
    CustomLabel custom;
    custom.dataSet = dataSet;
    custom.index = index;
    custom.box = TextBox(std::move(label), std::move(font), size, color);
    custom.box.setFontAngle(angle);
    custom.box.setMargin(0);
    m_customLabels.push_back(std::move(custom));
    return m_customLabels.back().box;
}

void Layer::setAggregateLabelFormat(std::string format) {
    m_aggregateFormat = std::move(format);
}

TextBox& Layer::setAggregateLabelStyle(std::string font, double size, Color color, double angle) {
    m_aggregateStyle.setFontStyle(std::move(font)).setFontSize(size).setFontColor(color);
    m_aggregateStyle.setFontAngle(angle);
    return m_aggregateStyle;
}

std::vector<double> Layer::fieldsAt(std::size_t index) const {
    std::vector<double> values;
    for (const auto& field : m_fields) {
        if (index >= field.size()) {
            break;  // fields after a short one would shift their numbers
        }
        values.push_back(field[index]);
    }
    return values;
}

LineLayer::LineLayer(CombineMethod combine, int paletteStart)
    : Layer(LayerKind::Line, combine, paletteStart) {}

std::unique_ptr<Layer> LineLayer::clone() const {
    return std::make_unique<LineLayer>(*this);
}

StepLineLayer::StepLineLayer(CombineMethod combine, int paletteStart)
    : Layer(LayerKind::StepLine, combine, paletteStart) {}

std::unique_ptr<Layer> StepLineLayer::clone() const {
    return std::make_unique<StepLineLayer>(*this);
}

AreaLayer::AreaLayer(CombineMethod combine, int paletteStart)
    : Layer(LayerKind::Area, combine, paletteStart) {}

std::unique_ptr<Layer> AreaLayer::clone() const {
    return std::make_unique<AreaLayer>(*this);
}

BarLayer::BarLayer(CombineMethod combine, int paletteStart)
    : Layer(LayerKind::Bar, combine, paletteStart) {}

void BarLayer::setBarGap(double barGap, double subBarGap) {
    m_barGap = std::isfinite(barGap) ? std::clamp(barGap, 0.0, 0.95) : 0.2;
    m_subBarGap = (subBarGap >= kNoValue || !std::isfinite(subBarGap))
                      ? 0.0
                      : std::clamp(subBarGap, 0.0, 0.95);
}

void BarLayer::setOverlapRatio(double ratio, bool firstOnTop) {
    m_overlap = std::isfinite(ratio) ? std::clamp(ratio, 0.0, 0.95) : 0.0;
    m_firstOnTop = firstOnTop;
}

std::unique_ptr<Layer> BarLayer::clone() const {
    return std::make_unique<BarLayer>(*this);
}

DataSet& BarLayer::addMultiColorDataSet(std::span<const double> values,
                                        std::span<const Color> colors, std::string name) {
    const Color first = colors.empty() ? kDefault : colors.front();
    DataSet& set = addDataSet(values, first, std::move(name));
    set.setItemColors(colors);
    return set;
}

}  // namespace voltaris::charts
