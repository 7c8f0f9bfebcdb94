// Colours, fills, fonts and alignment codes shared by every chart and meter. Colours are
// 0xAARRGGBB where the top byte is transparency: 0x00 opaque, 0xFF nothing drawn.
#pragma once

#include <cstdint>
#include <string_view>

class QColor;
class QFont;

namespace voltaris::charts {

using Color = std::uint32_t;

inline constexpr Color kTransparent = 0xFF000000u;      // draws nothing
inline constexpr Color kDefault = 0xFFFFFFFFu;          // -1: the element's own default
inline constexpr Color kBackgroundColor = 0xFFFF0000u;  // palette: chart background (white)
inline constexpr Color kLineColor = 0xFFFF0001u;        // palette: lines and edges (black)
inline constexpr Color kTextColor = 0xFFFF0002u;        // palette: text (black)
inline constexpr double kNoValue = 1.7e308;             // "not given" for optional numbers

// Where a text box sits relative to its reference point (numeric-keypad layout).
enum Alignment : int {
    kBottomLeft = 1,
    kBottomCenter = 2,
    kBottomRight = 3,
    kLeft = 4,
    kCenter = 5,
    kRight = 6,
    kTopLeft = 7,
    kTopCenter = 8,
    kTopRight = 9,
};

// How the data sets of one layer combine.
enum class CombineMethod { Overlay = 0, Stack = 1, Side = 2, Percentage = 3 };

enum PointerShape : int {
    kDiamondPointer = 0,
    kTriangularPointer = 1,
    kArrowPointer = 2,
    kArrowPointer2 = 3,
    kLinePointer = 4,
    kPencilPointer = 5,
};

// A background fill: a plain colour, or a brushed-metal shading of it along `angle` degrees.
struct Fill {
    Fill(Color c = kBackgroundColor) : color(c) {}  // implicit: any colour is a fill
    Color color;
    bool metal = false;
    int angle = 0;
};

[[nodiscard]] Fill metalColor(Color color, int angle = 90);

// True when the colour draws nothing (fully transparent); kDefault and palette entries draw.
[[nodiscard]] bool isInvisible(Color color);

// Resolves a colour value to a QColor: palette entries to their colours, kDefault to `fallback`
// (itself resolved; a fallback of kDefault means transparent).
[[nodiscard]] QColor toQColor(Color color, Color fallback = kTransparent);

// Default colour of the n-th data set when none is given.
[[nodiscard]] Color dataColor(int index);

// Maps a font file name ("arial.ttf", "arialbd.ttf", "ariali.ttf", "arialbi.ttf"; empty for the
// default) and a size in points to a sans-serif QFont with the matching weight and slant.
[[nodiscard]] QFont chartFont(std::string_view fontFile, double points);

}  // namespace voltaris::charts
