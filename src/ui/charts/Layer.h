// Layers of an XY chart and their data sets: lines, step lines, areas and bars. Every array
// handed in is copied, so the caller's data need not outlive the call.
#pragma once

#include "ui/charts/ChartTypes.h"
#include "ui/charts/TextBox.h"

#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace voltaris::charts {

enum class LayerKind { Line, StepLine, Area, Bar };

class DataSet {
public:
    DataSet(std::span<const double> values, Color color, std::string name);

    // Binds the data set to the secondary y axis (right, or top when the axes are swapped).
    DataSet& setUseYAxis2(bool use = true);

    [[nodiscard]] const std::vector<double>& values() const { return m_values; }
    [[nodiscard]] Color color() const { return m_color; }
    [[nodiscard]] const std::string& name() const { return m_name; }
    [[nodiscard]] bool usesYAxis2() const { return m_useYAxis2; }
    // Per-item colours of a multi-colour bar layer (empty: the data set's colour everywhere).
    [[nodiscard]] const std::vector<Color>& itemColors() const { return m_itemColors; }
    void setItemColors(std::span<const Color> colors);

private:
    std::vector<double> m_values;
    Color m_color;
    std::string m_name;
    bool m_useYAxis2 = false;
    std::vector<Color> m_itemColors;
};

// A label attached to one item of one data set.
struct CustomLabel {
    int dataSet = 0;
    int index = 0;
    TextBox box;
};

class Layer {
public:
    virtual ~Layer() = default;

    // A data set colour of kDefault takes the next colour of the default palette.
    DataSet& addDataSet(std::span<const double> values, Color color = kDefault,
                        std::string name = {});
    // x values for every data set (x-y curves); without them item i sits at x = i.
    void setXData(std::span<const double> x);
    void setLineWidth(int width);
    // Edge of bars and areas (kDefault: the fill colour); a raised effect bevels each bar.
    void setBorderColor(Color color, int raisedEffect = 0);
    // Extra per-item values, shown in labels as {field0}, {field1}, ...
    void addExtraField(std::span<const double> values);
    // Label on item `index` of data set `dataSet`; an item that does not exist shows nothing.
    TextBox& addCustomDataLabel(int dataSet, int index, std::string label, std::string font = {},
                                double size = 8, Color color = kTextColor, double angle = 0);
    // One label per stack of items (per bar when bars are not stacked), e.g. "{value|2}".
    void setAggregateLabelFormat(std::string format);
    TextBox& setAggregateLabelStyle(std::string font = {}, double size = 8,
                                    Color color = kTextColor, double angle = 0);

    [[nodiscard]] LayerKind kind() const { return m_kind; }
    [[nodiscard]] CombineMethod combineMethod() const { return m_combine; }
    [[nodiscard]] const std::deque<DataSet>& dataSets() const { return m_dataSets; }
    [[nodiscard]] const std::vector<double>& xData() const { return m_xData; }
    [[nodiscard]] bool hasXData() const { return m_hasXData; }
    [[nodiscard]] int lineWidth() const { return m_lineWidth; }
    [[nodiscard]] Color borderColor() const { return m_borderColor; }
    [[nodiscard]] int borderRaisedEffect() const { return m_borderRaised; }
    [[nodiscard]] const std::vector<std::vector<double>>& extraFields() const { return m_fields; }
    [[nodiscard]] const std::deque<CustomLabel>& customLabels() const { return m_customLabels; }
    [[nodiscard]] const std::string& aggregateLabelFormat() const { return m_aggregateFormat; }
    [[nodiscard]] const TextBox& aggregateLabelStyle() const { return m_aggregateStyle; }
    // Extra field values of item `index` (field0 first); missing fields are left out.
    [[nodiscard]] std::vector<double> fieldsAt(std::size_t index) const;

    [[nodiscard]] virtual std::unique_ptr<Layer> clone() const = 0;

protected:
    Layer(LayerKind kind, CombineMethod combine, int paletteStart);
    Layer(const Layer&) = default;
    Layer& operator=(const Layer&) = default;

    [[nodiscard]] DataSet& lastDataSet() { return m_dataSets.back(); }

private:
    LayerKind m_kind;
    CombineMethod m_combine;
    int m_paletteIndex;
    std::deque<DataSet> m_dataSets;  // deque: references handed out stay valid
    std::vector<double> m_xData;
    bool m_hasXData = false;
    int m_lineWidth = 1;
    Color m_borderColor = kDefault;
    int m_borderRaised = 0;
    std::vector<std::vector<double>> m_fields;
    std::deque<CustomLabel> m_customLabels;
    std::string m_aggregateFormat;
    TextBox m_aggregateStyle;
};

class LineLayer final : public Layer {
public:
    explicit LineLayer(CombineMethod combine = CombineMethod::Overlay, int paletteStart = 0);
    [[nodiscard]] std::unique_ptr<Layer> clone() const override;
};

// Each item's value holds from its x until the next item's x; the last one for one unit.
class StepLineLayer final : public Layer {
public:
    explicit StepLineLayer(CombineMethod combine = CombineMethod::Overlay, int paletteStart = 0);
    [[nodiscard]] std::unique_ptr<Layer> clone() const override;
};

// A line filled down to zero (or to the data set below it when stacked).
class AreaLayer final : public Layer {
public:
    explicit AreaLayer(CombineMethod combine = CombineMethod::Overlay, int paletteStart = 0);
    [[nodiscard]] std::unique_ptr<Layer> clone() const override;
};

class BarLayer final : public Layer {
public:
    explicit BarLayer(CombineMethod combine = CombineMethod::Side, int paletteStart = 0);

    // Gap between groups of bars and between bars of a group, as a fraction of one category
    // (a sub-bar gap of kNoValue keeps the default, no gap).
    void setBarGap(double barGap, double subBarGap = kNoValue);
    // Side-by-side bars overlap by this fraction of their width; the first data set is drawn on
    // top unless told otherwise.
    void setOverlapRatio(double ratio, bool firstOnTop = true);

    [[nodiscard]] double barGap() const { return m_barGap; }
    [[nodiscard]] double subBarGap() const { return m_subBarGap; }
    [[nodiscard]] double overlapRatio() const { return m_overlap; }
    [[nodiscard]] bool firstOnTop() const { return m_firstOnTop; }
    [[nodiscard]] std::unique_ptr<Layer> clone() const override;

    // A bar data set whose items each take their own colour.
    DataSet& addMultiColorDataSet(std::span<const double> values, std::span<const Color> colors,
                                  std::string name = {});

private:
    double m_barGap = 0.2;
    double m_subBarGap = 0;
    double m_overlap = 0;
    bool m_firstOnTop = true;
};

}  // namespace voltaris::charts
