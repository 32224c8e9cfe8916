#pragma once
// The label style table: three font names and per-character metrics in the manner of
// printer font metrics, enough to know how long and how tall a label will be when a GIS
// sets it. Characters are Windows-1251 bytes.

#include <array>
#include <cstdint>
#include <string_view>

namespace sheetbasis {

// Metrics of one character in thousandths of the font size. A character without metrics
// is all zero: no width and no height.
struct CharMetrics {
    std::int16_t advance = 0;
    std::int16_t left = 0;    // left edge of the ink box (may be negative)
    std::int16_t bottom = 0;  // bottom of the ink box (negative below the baseline)
    std::int16_t right = 0;
    std::int16_t top = 0;
};

inline constexpr int FONT_COUNT = 3;
inline constexpr int CHARACTER_CODES = 256;

// How much of the outer side bearings of a text measureText drops.
inline constexpr std::int32_t TRIM_NONE = 0;
inline constexpr std::int32_t TRIM_END = 1;
inline constexpr std::int32_t TRIM_START = 2;
inline constexpr std::int32_t TRIM_BOTH = 3;

// Extent of a measured text in millimetres on the map.
struct TextExtent {
    double descent = 0.0;
    double ascent = 0.0;
    double width = 0.0;
};

// The name of font number font (1..3); empty for any other number.
std::string_view fontName(std::int32_t font);

// The metrics of character byte c in font number font (1..3); all zero for another font.
CharMetrics charMetrics(std::int32_t font, unsigned char c);

// Measures text (Windows-1251, without trailing blanks) in font number font at size
// points. An empty text has width 0, a descent of 999999 and an ascent of -999999 units.
TextExtent measureText(std::string_view text, std::int32_t font, double size,
                       std::int32_t trimMode);

}  // namespace sheetbasis
