// Base of every chart and meter: pixel size, background, edge and raised effect, titles and free
// texts, and rendering to an image (for a chart pane) or to a PNG file (for a report).
#pragma once

#include "ui/charts/ChartTypes.h"
#include "ui/charts/TextBox.h"

#include <deque>
#include <string>

class QImage;
class QPainter;

namespace voltaris::charts {

class Chart {
public:
    static constexpr int kMaxSide = 8192;

    virtual ~Chart() = default;

    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }

    // Text whose box is placed at (x, y) by `alignment`.
    TextBox& addText(int x, int y, std::string text, std::string font = {}, double size = 8,
                     Color color = kTextColor, int alignment = kTopLeft, double angle = 0);
    // Title centred at the top of the chart.
    TextBox& addTitle(std::string text, std::string font = "arialbd.ttf", double size = 12,
                      Color color = kTextColor, Color background = kTransparent,
                      Color edge = kTransparent);

    // The chart as an ARGB image of exactly width() x height() pixels; a null image when the
    // size is not 1..kMaxSide on both sides. Call on the thread of the QApplication, which must
    // exist (fonts, and QCustomPlot is a widget); the offscreen platform will do.
    [[nodiscard]] virtual QImage render() const = 0;
    // Renders and writes a PNG file; false when rendering or writing failed.
    [[nodiscard]] bool renderToPng(const std::string& path) const;

protected:
    Chart(int width, int height, Fill background, Color edge, int raisedEffect);
    Chart(const Chart&) = default;
    Chart& operator=(const Chart&) = default;
    Chart(Chart&&) = default;
    Chart& operator=(Chart&&) = default;

    [[nodiscard]] bool validSize() const;
    // A transparent image of the chart's size with background, edge and bevel painted; null when
    // the size is invalid.
    [[nodiscard]] QImage makeCanvas() const;
    // Titles and free texts, painted last.
    void paintTexts(QPainter& painter) const;

private:
    struct PlacedText {
        TextBox box;
        int x = 0;
        int y = 0;
        bool title = false;
    };

    int m_width;
    int m_height;
    Fill m_background;
    Color m_edge;
    int m_raised;
    std::deque<PlacedText> m_texts;  // deque: references handed out stay valid
};

}  // namespace voltaris::charts
