// Base of every chart and meter.
#include "ui/charts/Chart.h"

#include "ui/charts/ChartPaint.h"

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <utility>

namespace voltaris::charts {

Chart::Chart(int width, int height, Fill background, Color edge, int raisedEffect)
    : m_width(width),
      m_height(height),
      m_background(background),
      m_edge(edge),
      m_raised(raisedEffect) {}

TextBox& Chart::addText(int x, int y, std::string text, std::string font, double size, Color color,
                        int alignment, double angle) {
    PlacedText placed;
    placed.box = TextBox(std::move(text), std::move(font), size, color);
    placed.box.setFontAngle(angle);
    placed.box.setAlignment(alignment);
    placed.x = x;
    placed.y = y;
    m_texts.push_back(std::move(placed));
    return m_texts.back().box;
}

TextBox& Chart::addTitle(std::string text, std::string font, double size, Color color,
                         Color background, Color edge) {
    PlacedText placed;
    placed.box = TextBox(std::move(text), std::move(font), size, color);
    placed.box.setBackground(background, edge);
    placed.title = true;
    m_texts.push_back(std::move(placed));
    return m_texts.back().box;
}

bool Chart::validSize() const {
    return m_width > 0 && m_height > 0 && m_width <= kMaxSide && m_height <= kMaxSide;
}

QImage Chart::makeCanvas() const {
    if (!validSize()) {
        return {};
    }
    QImage image(m_width, m_height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QRectF all(0, 0, m_width, m_height);
    paintFill(painter, all, m_background);
    paintEdge(painter, all, m_edge, m_raised);
    return image;
}

void Chart::paintTexts(QPainter& painter) const {
    const int inset = (isInvisible(m_edge) ? 0 : 1) + std::abs(m_raised);
    for (const PlacedText& text : m_texts) {
        if (text.title) {
            paintTextBox(painter, text.box, QPointF(m_width / 2.0, inset + 1), kTopCenter);
        } else {
            // A later setAlignment on the returned box moves it like the alignment argument.
            paintTextBox(painter, text.box, QPointF(text.x, text.y), text.box.alignment());
        }
    }
}

bool Chart::renderToPng(const std::string& path) const {
    if (path.empty()) {
        return false;
    }
    const QImage image = render();
    if (image.isNull()) {
        return false;
    }
    return image.save(QString::fromStdString(path), "PNG");
}

}  // namespace voltaris::charts
