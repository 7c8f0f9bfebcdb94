// One axis of an XY chart.
#include "ui/charts/Axis.h"

#include <utility>

namespace voltaris::charts {

Axis::Axis() : m_title({}, "arialbd.ttf", 8, kTextColor), m_labelStyle({}, {}, 8, kTextColor) {
    m_title.setMargin(0);
    m_labelStyle.setMargin(0);
}

void Axis::setLinearScale(double lower, double upper, double majorTickInc, double minorTickInc) {
    m_scale.mode = ScaleMode::Linear;
    m_scale.lower = lower;
    m_scale.upper = upper;
    m_scale.majorStep = majorTickInc;
    m_scale.minorStep = minorTickInc;
    m_configured = true;
}

void Axis::setLogScale(double lower, double upper, double majorTickInc, double minorTickInc) {
    m_scale.mode = ScaleMode::Log;
    m_scale.lower = lower;
    m_scale.upper = upper;
    m_scale.majorStep = majorTickInc;
    m_scale.minorStep = minorTickInc;
    m_configured = true;
}

void Axis::setAutoScale(double topExtension, double bottomExtension, double zeroAffinity) {
    m_scale.topExtension = topExtension;
    m_scale.bottomExtension = bottomExtension;
    m_scale.zeroAffinity = zeroAffinity;
}

TextBox& Axis::setTitle(std::string text, std::string font, double size, Color color) {
    m_title.setText(std::move(text)).setFontStyle(std::move(font)).setFontSize(size);
    m_title.setFontColor(color);
    m_configured = true;
    return m_title;
}

void Axis::setColors(Color axisColor, Color labelColor, Color titleColor, Color tickColor) {
    m_axisColor = axisColor;
    m_labelStyle.setFontColor(labelColor);
    m_title.setFontColor(titleColor == kDefault ? labelColor : titleColor);
    m_tickColor = tickColor;
    m_configured = true;
}

TextBox& Axis::setLabels(std::vector<std::string> labels) {
    m_labels = std::move(labels);
    m_hasLabels = true;
    m_configured = true;
    return m_labelStyle;
}

TextBox& Axis::setLabelStyle(std::string font, double size, Color color, double angle) {
    m_labelStyle.setFontStyle(std::move(font)).setFontSize(size).setFontColor(color);
    m_labelStyle.setFontAngle(angle);
    return m_labelStyle;
}

Color Axis::tickColor() const {
    return m_tickColor == kDefault ? m_axisColor : m_tickColor;
}

}  // namespace voltaris::charts
