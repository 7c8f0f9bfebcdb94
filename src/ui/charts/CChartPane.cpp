// The chart pane: shows the image of the chart last handed over.
#include "ui/charts/CChartPane.h"

#include "ui/charts/Chart.h"

#include <QImage>
#include <QPixmap>

namespace voltaris {

CChartPane::CChartPane(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContentsMargins(0, 0, 0, 0);
    setFrameShape(QFrame::NoFrame);
}

bool CChartPane::setChart(const charts::Chart* chart) {
    if (chart == nullptr) {
        clearChart();
        return true;
    }
    QImage image = chart->render();
    if (image.isNull()) {
        clearChart();
        return false;
    }
    // setPixmap drops the label's reference to the previous pixmap.
    setPixmap(QPixmap::fromImage(std::move(image)));
    resize(pixmap().size());
    updateGeometry();
    return true;
}

void CChartPane::clearChart() {
    setPixmap(QPixmap());
}

bool CChartPane::hasImage() const {
    return !pixmap().isNull();
}

QPixmap CChartPane::image() const {
    return pixmap();
}

}  // namespace voltaris
