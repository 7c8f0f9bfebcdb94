// Painting helpers shared by the charts and meters: backgrounds (plain or metal), edges with
// raised or sunken bevels, and text boxes placed by alignment around a reference point.
#pragma once

#include "ui/charts/ChartTypes.h"
#include "ui/charts/TextBox.h"

#include <QRectF>
#include <QString>

class QPainter;

namespace voltaris::charts {

[[nodiscard]] QString toQString(const std::string& text);

// Fills `rect` with the fill; nothing for an invisible colour.
void paintFill(QPainter& painter, const QRectF& rect, const Fill& fill);

// A one-pixel edge on the rectangle's border (when visible), then |raised| pixels of bevel
// inside it: light top and left with dark bottom and right when raised > 0, the reverse below 0.
// Returns the rectangle left inside edge and bevel.
QRectF paintEdge(QPainter& painter, const QRectF& rect, Color edge, int raised);

// Size of the text (several lines allowed) in the box's font, without margins.
[[nodiscard]] QSizeF textSize(const TextBox& box);

// The box's rectangle (text plus margins) when placed at `anchor` with `alignment`.
[[nodiscard]] QRectF textBoxRect(const TextBox& box, QPointF anchor, int alignment);

// Paints background, edge and text of the box placed at `anchor` with `alignment`; a rotated box
// turns around the anchor. Returns the unrotated rectangle used.
QRectF paintTextBox(QPainter& painter, const TextBox& box, QPointF anchor, int alignment);

}  // namespace voltaris::charts
