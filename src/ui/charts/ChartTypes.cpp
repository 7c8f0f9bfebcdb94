// Colour resolution, metal fills and font mapping of the chart layer.
#include "ui/charts/ChartTypes.h"

#include <QColor>
#include <QFont>
#include <QStringList>

#include <array>
#include <cctype>
#include <cmath>
#include <string>

namespace voltaris::charts {
namespace {

constexpr Color kPaletteBase = 0xFFFF0000u;
constexpr std::array<Color, 12> kDataColors = {0xFF3333, 0x33FF33, 0x6666FF, 0xFFCC00,
                                               0xFF66FF, 0x66CCCC, 0xFF9933, 0x9966FF,
                                               0x999999, 0x009900, 0xCC0000, 0x0066CC};
// Fonts are sized in points at 96 pixels per inch.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

}  // namespace

Fill metalColor(Color color, int angle) {
    Fill fill(color);
    fill.metal = true;
    fill.angle = angle;
    return fill;
}

bool isInvisible(Color color) {
    const bool palette = (color & 0xFFFF0000u) == kPaletteBase;
    return color != kDefault && !palette && (color >> 24) == 0xFF;
}

Color dataColor(int index) {
    if (index < 0) {
        index = 0;
    }
    return kDataColors[static_cast<std::size_t>(index) % kDataColors.size()];
}

QColor toQColor(Color color, Color fallback) {
    if (color == kDefault) {
        if (fallback == kDefault) {
            return QColor(0, 0, 0, 0);
        }
        color = fallback;
    }
    if ((color & 0xFFFF0000u) == kPaletteBase) {
        const Color entry = color & 0xFFFFu;
        if (entry == 0) {
            return QColor(255, 255, 255);
        }
        if (entry == 1 || entry == 2) {
            return QColor(0, 0, 0);
        }
        color = dataColor(static_cast<int>(entry) - 3);
    }
    const int alpha = 255 - static_cast<int>(color >> 24);
    return QColor(static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>(color & 0xFF), alpha);
}

QFont chartFont(std::string_view fontFile, double points) {
    std::string name(fontFile);
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ttf") == 0) {
        name.resize(name.size() - 4);
    }
    bool bold = false;
    bool italic = false;
    if (name == "arialbd") {
        bold = true;
    } else if (name == "ariali") {
        italic = true;
    } else if (name == "arialbi") {
        bold = true;
        italic = true;
    }
    QFont font;
    // Arial where installed, then its metric twin, then the DejaVu face closest to Arial's
    // widths, then whatever sans-serif face exists.
    font.setFamilies(QStringList{"Arial", "Liberation Sans", "DejaVu Sans Condensed", "DejaVu Sans",
                                 "sans-serif"});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    font.setItalic(italic);
    if (!(points > 0) || points > 500) {
        points = 8;
    }
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * kPixelsPerPoint))));
    return font;
}

}  // namespace voltaris::charts
