// Meters drawn with QPainter: the common scale, labels and pointers (BaseMeter), the round dial
// (AngularMeter) and the bar meter with labelled zones (LinearMeter).
#pragma once

#include "ui/charts/Chart.h"

#include <deque>
#include <string>
#include <vector>

class QPainter;
class QPolygonF;
class QPointF;

namespace voltaris::charts {

class MeterPointer {
public:
    MeterPointer(double value, Color fill, Color edge);

    // Shape code (PointerShape); ratios of kNoValue keep the meter's default length and width.
    MeterPointer& setShape(int shape, double lengthRatio = kNoValue, double widthRatio = kNoValue);
    MeterPointer& setColor(Color fill, Color edge = kDefault);
    MeterPointer& setPos(double value);

    [[nodiscard]] double value() const { return m_value; }
    [[nodiscard]] Color fill() const { return m_fill; }
    [[nodiscard]] Color edge() const { return m_edge; }
    [[nodiscard]] int shape() const { return m_shape; }
    [[nodiscard]] double lengthRatio() const { return m_lengthRatio; }
    [[nodiscard]] double widthRatio() const { return m_widthRatio; }
    [[nodiscard]] bool shapeSet() const { return m_shapeSet; }

private:
    double m_value;
    Color m_fill;
    Color m_edge;
    int m_shape = kDiamondPointer;
    double m_lengthRatio = kNoValue;
    double m_widthRatio = kNoValue;
    bool m_shapeSet = false;
};

// Tick positions of a meter scale.
struct MeterTicks {
    std::vector<double> major;
    std::vector<double> minor;
    std::vector<double> micro;
};

class BaseMeter : public Chart {
public:
    // Scale of the meter; a major step of 0 lets the meter choose one, minor and micro steps of
    // 0 draw no such ticks.
    void setScale(double lower, double upper, double majorTickInc = 0, double minorTickInc = 0,
                  double microTickInc = 0);
    // Text at a scale position, replacing the number the scale would show there.
    TextBox& addLabel(double position, std::string label);
    TextBox& setLabelStyle(std::string font = "arialbd.ttf", double size = 8,
                           Color color = kTextColor, double angle = 0);
    // Pointers are drawn at their value held to the scale range.
    MeterPointer& addPointer(double value, Color fill = kLineColor, Color edge = kDefault);

    [[nodiscard]] double scaleLower() const { return m_lower; }
    [[nodiscard]] double scaleUpper() const { return m_upper; }
    [[nodiscard]] const std::deque<MeterPointer>& pointers() const { return m_pointers; }
    // Ticks for a scale drawn `lengthPixels` long.
    [[nodiscard]] MeterTicks ticks(double lengthPixels) const;

protected:
    BaseMeter(int width, int height, Fill background, Color edge, int raisedEffect);

    // Position held inside the scale range.
    [[nodiscard]] double clampToScale(double value) const;
    // The label at each major tick (custom text or the number) plus custom labels elsewhere.
    struct ScaleLabel {
        double position;
        TextBox box;
    };
    [[nodiscard]] std::vector<ScaleLabel> scaleLabels(const MeterTicks& ticks) const;
    // A pointer outline running from `base` to `tip` with the given full width.
    [[nodiscard]] static QPolygonF pointerOutline(int shape, const QPointF& base,
                                                  const QPointF& tip, double width);
    static void paintPointer(QPainter& painter, const MeterPointer& pointer,
                             const QPolygonF& outline);

private:
    struct CustomLabel {
        double position;
        TextBox box;
    };

    double m_lower = 0;
    double m_upper = 100;
    double m_major = 0;
    double m_minor = 0;
    double m_micro = 0;
    TextBox m_labelStyle;
    std::deque<CustomLabel> m_labels;  // deque: references handed out stay valid
    std::deque<MeterPointer> m_pointers;
};

class AngularMeter final : public BaseMeter {
public:
    AngularMeter(int width, int height, Fill background = kBackgroundColor,
                 Color edge = kTransparent, int raisedEffect = 0);

    // Centre, radius and the angles of the scale's ends, in degrees clockwise from 12 o'clock.
    void setMeter(int cx, int cy, int radius, double startAngle, double endAngle);
    // A sector from the centre to the scale radius between two scale values.
    void addZone(double startValue, double endValue, Color fill, Color edge = kDefault);

    [[nodiscard]] QImage render() const override;

private:
    struct Zone {
        double start;
        double end;
        Color fill;
        Color edge;
    };

    [[nodiscard]] double angleOf(double value) const;
    [[nodiscard]] QPointF pointAt(double angleDegrees, double radius) const;

    int m_cx;
    int m_cy;
    int m_radius;
    double m_startAngle = -135;
    double m_endAngle = 135;
    std::vector<Zone> m_zones;
};

class LinearMeter final : public BaseMeter {
public:
    LinearMeter(int width, int height, Fill background = kBackgroundColor,
                Color edge = kTransparent, int raisedEffect = 0);

    // Meter bar rectangle; an axis position of kTopCenter or kBottomCenter (8 or 2) makes a
    // horizontal meter with the scale on that side, kLeft or kRight (4 or 6) a vertical one.
    void setMeter(int x, int y, int width, int height, int axisPosition = kLeft,
                  bool reversed = false);
    // A coloured stretch of the bar with an optional centred text.
    TextBox& addZone(double startValue, double endValue, Color color, std::string label = {});

    [[nodiscard]] QImage render() const override;

private:
    struct Zone {
        double start;
        double end;
        Color color;
        TextBox label;
    };

    [[nodiscard]] bool horizontal() const;
    // Pixel along the scale direction (x for horizontal meters, y for vertical ones).
    [[nodiscard]] double pixelOf(double value) const;

    int m_x;
    int m_y;
    int m_width;
    int m_height;
    int m_axisPosition = kLeft;
    bool m_reversed = false;
    std::deque<Zone> m_zones;  // deque: references handed out stay valid
};

}  // namespace voltaris::charts
