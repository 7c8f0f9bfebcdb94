// Text boxes and the legend box.
#include "ui/charts/TextBox.h"

#include <utility>

namespace voltaris::charts {

TextBox::TextBox(std::string text, std::string font, double size, Color color)
    : m_text(std::move(text)), m_font(std::move(font)), m_size(size), m_color(color) {}

TextBox& TextBox::setText(std::string text) {
    m_text = std::move(text);
    return *this;
}

TextBox& TextBox::setFontStyle(std::string font) {
    m_font = std::move(font);
    return *this;
}

TextBox& TextBox::setFontSize(double size) {
    m_size = size;
    return *this;
}

TextBox& TextBox::setFontColor(Color color) {
    m_color = color;
    return *this;
}

TextBox& TextBox::setFontAngle(double degrees) {
    m_angle = degrees;
    return *this;
}

TextBox& TextBox::setBackground(Color background, Color edge, int raisedEffect) {
    m_background = background;
    m_edge = edge;
    m_raised = raisedEffect;
    return *this;
}

TextBox& TextBox::setAlignment(int alignment) {
    m_alignment = alignment;
    return *this;
}

TextBox& TextBox::setMargin(int pixels) {
    m_margin = pixels < 0 ? 0 : pixels;
    return *this;
}

Legend::Legend(int x, int y, bool vertical, std::string font, double size)
    : TextBox({}, std::move(font), size, kTextColor), m_x(x), m_y(y), m_vertical(vertical) {
    setMargin(4);
}

}  // namespace voltaris::charts
