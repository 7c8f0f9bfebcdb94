// One axis of an XY chart: its scale (automatic, fixed linear or logarithmic), colours, title
// and category labels. Resolved against the data when the chart renders.
#pragma once

#include "ui/charts/AxisScale.h"
#include "ui/charts/ChartTypes.h"
#include "ui/charts/TextBox.h"

#include <string>
#include <vector>

namespace voltaris::charts {

class Axis {
public:
    Axis();

    // Fixed scale; a tick step of 0 lets the axis choose a readable one.
    void setLinearScale(double lower, double upper, double majorTickInc = 0,
                        double minorTickInc = 0);
    // Logarithmic scale; a lower bound of 0 or less starts at the decade of the smallest positive
    // value shown. The major step is the factor between labelled ticks (0: 10).
    void setLogScale(double lower, double upper, double majorTickInc = 0, double minorTickInc = 0);
    // Margins and zero affinity of automatic scaling; a fixed scale set before stays fixed.
    void setAutoScale(double topExtension = 0.1, double bottomExtension = 0.1,
                      double zeroAffinity = 0.8);
    TextBox& setTitle(std::string text, std::string font = "arialbd.ttf", double size = 8,
                      Color color = kTextColor);
    // Axis line, tick labels, title and ticks; a title or tick colour of kDefault follows the
    // label or axis colour.
    void setColors(Color axisColor, Color labelColor = kTextColor, Color titleColor = kDefault,
                   Color tickColor = kDefault);
    // Category labels at positions 0, 1, ...; an empty text leaves its position unlabelled. The
    // returned box styles every label.
    TextBox& setLabels(std::vector<std::string> labels);
    TextBox& setLabelStyle(std::string font = {}, double size = 8, Color color = kTextColor,
                           double angle = 0);

    [[nodiscard]] const ScaleSetting& scaleSetting() const { return m_scale; }
    [[nodiscard]] const TextBox& title() const { return m_title; }
    [[nodiscard]] const TextBox& labelStyle() const { return m_labelStyle; }
    [[nodiscard]] const std::vector<std::string>& labels() const { return m_labels; }
    [[nodiscard]] bool hasLabels() const { return m_hasLabels; }
    [[nodiscard]] Color axisColor() const { return m_axisColor; }
    [[nodiscard]] Color tickColor() const;
    // True once the page set a scale, title, colours or labels: a secondary axis shows then even
    // without data bound to it.
    [[nodiscard]] bool configured() const { return m_configured; }

private:
    ScaleSetting m_scale;
    TextBox m_title;
    TextBox m_labelStyle;
    std::vector<std::string> m_labels;
    bool m_hasLabels = false;
    Color m_axisColor = kLineColor;
    Color m_tickColor = kDefault;
    bool m_configured = false;
};

}  // namespace voltaris::charts
