// Text boxes of the charts (titles, free texts, axis labels, data labels, legends): the text, its
// font, colour and angle, and an optional box behind it.
#pragma once

#include "ui/charts/ChartTypes.h"

#include <string>

namespace voltaris::charts {

class TextBox {
public:
    TextBox() = default;
    TextBox(std::string text, std::string font, double size, Color color);

    TextBox& setText(std::string text);
    TextBox& setFontStyle(std::string font);
    TextBox& setFontSize(double size);
    TextBox& setFontColor(Color color);
    TextBox& setFontAngle(double degrees);  // counter-clockwise
    // Box behind the text; an edge of kDefault takes the background colour. A raised effect above
    // 0 bevels the box outwards by that many pixels, below 0 inwards.
    TextBox& setBackground(Color background, Color edge = kDefault, int raisedEffect = 0);
    TextBox& setAlignment(int alignment);
    TextBox& setMargin(int pixels);

    [[nodiscard]] const std::string& text() const { return m_text; }
    [[nodiscard]] const std::string& font() const { return m_font; }
    [[nodiscard]] double fontSize() const { return m_size; }
    [[nodiscard]] Color fontColor() const { return m_color; }
    [[nodiscard]] double angle() const { return m_angle; }
    [[nodiscard]] Color background() const { return m_background; }
    [[nodiscard]] Color edge() const { return m_edge; }
    [[nodiscard]] int raisedEffect() const { return m_raised; }
    [[nodiscard]] int alignment() const { return m_alignment; }
    [[nodiscard]] int margin() const { return m_margin; }

private:
    std::string m_text;
    std::string m_font;
    double m_size = 8;
    Color m_color = kTextColor;
    double m_angle = 0;
    Color m_background = kTransparent;
    Color m_edge = kDefault;
    int m_raised = 0;
    int m_alignment = kTopLeft;
    int m_margin = 2;
};

// The legend: its box is a text box whose font styles the entries' names.
class Legend : public TextBox {
public:
    Legend(int x, int y, bool vertical, std::string font, double size);

    [[nodiscard]] int x() const { return m_x; }
    [[nodiscard]] int y() const { return m_y; }
    [[nodiscard]] bool vertical() const { return m_vertical; }

private:
    int m_x;
    int m_y;
    bool m_vertical;
};

}  // namespace voltaris::charts
