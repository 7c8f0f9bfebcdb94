// The control that shows one chart or meter as an image: a page hands it a chart, the pane
// renders it at once and keeps only the image, so the chart can be destroyed right after.
#pragma once

#include <QLabel>

namespace voltaris {

namespace charts {
class Chart;
}

class CChartPane : public QLabel {
public:
    explicit CChartPane(QWidget* parent = nullptr);

    // Renders the chart and shows it in place of the previous image, which is released; the pane
    // takes the image's size. With none, or when the chart cannot render (invalid size), the pane
    // shows nothing; false in the latter case.
    bool setChart(const charts::Chart* chart);
    bool setChart(const charts::Chart& chart) { return setChart(&chart); }
    // Shows nothing and releases the image.
    void clearChart();

    [[nodiscard]] bool hasImage() const;
    // The image shown (null when none); shares its pixels with the pane.
    [[nodiscard]] QPixmap image() const;
};

}  // namespace voltaris
