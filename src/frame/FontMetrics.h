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

inline constexpr int CHARACTER_CODES = 256;

// The fonts of the label style table; the values are their numbers in it.
enum class LabelFont : std::int32_t {
    Pragmatica = 1,
    FreeSet = 2,
    Centurion = 3,
};
inline constexpr std::array<LabelFont, 3> LABEL_FONTS = {LabelFont::Pragmatica, LabelFont::FreeSet,
                                                         LabelFont::Centurion};

// How much of the outer side bearings of a text measureText drops: none, the right one of
// its last character, the left one of its first character, or both.
enum class TrimMode { None, End, Start, Both };

// Extent of a measured text in millimetres on the map.
struct TextExtent {
    double descent = 0.0;
    double ascent = 0.0;
    double width = 0.0;
};

// The font's name; empty for a value outside the enumeration.
std::string_view fontName(LabelFont font);

// The metrics of character byte c in the font; all zero for a value outside the enumeration.
CharMetrics charMetrics(LabelFont font, unsigned char c);

// Measures text (Windows-1251, without trailing blanks) in the font at size points. An
// empty text has width 0, a descent of 999999 and an ascent of -999999 units.
TextExtent measureText(std::string_view text, LabelFont font, double size, TrimMode trimMode);

}  // namespace sheetbasis
