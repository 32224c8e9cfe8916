#include "frame/FontMetrics.h"

#include <algorithm>
#include <optional>

namespace sheetbasis {

namespace {

// One millimetre is 1/0.35277777777777775 points (a point is 1/72 inch).
constexpr double MILLIMETRES_PER_POINT = 0.35277777777777775;
// Metrics are in thousandths of the font size.
constexpr double METRIC_UNITS_PER_SIZE = 1000.0;
// Start values of the ink extent, beyond any real metric.
constexpr int NO_BOTTOM_YET = 999999;
constexpr int NO_TOP_YET = -999999;
// The trimmed end of a text is one unit after the right edge of its last ink.
constexpr int INK_END_ALLOWANCE = 1;

// The names of the fonts in the order of LABEL_FONTS.
constexpr std::array<std::string_view, LABEL_FONTS.size()> FONT_NAMES{"PragmaticaC", "FreeSet",
                                                                      "AGCenturion"};

struct MetricsRow {
    LabelFont font;
    int code;
    CharMetrics metrics;
};

// The characters that frame labels use: space, apostrophe, comma, hyphen-minus, digits,
// capital Latin letters and the degree sign (0xB0), in fonts PragmaticaC, FreeSet and
// AGCenturion. No other character is measured by the frame layers.
constexpr MetricsRow METRICS_ROWS[] = {
    {LabelFont::Pragmatica, 32, {233, 0, 0, 0, 0}},           // space
    {LabelFont::Pragmatica, 39, {232, 50, 508, 182, 700}},    // apostrophe
    {LabelFont::Pragmatica, 44, {311, 106, -148, 205, 109}},  // comma
    {LabelFont::Pragmatica, 45, {422, 79, 225, 343, 310}},    // hyphen-minus
    {LabelFont::Pragmatica, 48, {582, 45, -21, 536, 721}},    // 0
    {LabelFont::Pragmatica, 49, {578, 129, 0, 383, 700}},     // 1
    {LabelFont::Pragmatica, 50, {584, 59, 0, 535, 721}},      // 2
    {LabelFont::Pragmatica, 51, {581, 41, -21, 527, 721}},    // 3
    {LabelFont::Pragmatica, 52, {586, 26, 0, 560, 700}},      // 4
    {LabelFont::Pragmatica, 53, {581, 47, -21, 534, 700}},    // 5
    {LabelFont::Pragmatica, 54, {581, 44, -21, 536, 721}},    // 6
    {LabelFont::Pragmatica, 55, {581, 35, 0, 546, 700}},      // 7
    {LabelFont::Pragmatica, 56, {584, 55, -21, 528, 721}},    // 8
    {LabelFont::Pragmatica, 57, {581, 44, -21, 536, 721}},    // 9
    {LabelFont::Pragmatica, 65, {622, -4, 0, 626, 700}},      // A
    {LabelFont::Pragmatica, 66, {689, 85, 0, 631, 700}},      // B
    {LabelFont::Pragmatica, 67, {712, 44, -21, 674, 721}},    // C
    {LabelFont::Pragmatica, 68, {719, 85, 0, 675, 700}},      // D
    {LabelFont::Pragmatica, 69, {612, 85, 0, 595, 700}},      // E
    {LabelFont::Pragmatica, 70, {568, 85, 0, 555, 700}},      // F
    {LabelFont::Pragmatica, 71, {740, 44, -21, 682, 721}},    // G
    {LabelFont::Pragmatica, 72, {710, 85, 0, 625, 700}},      // H
    {LabelFont::Pragmatica, 73, {264, 85, 0, 179, 700}},      // I
    {LabelFont::Pragmatica, 74, {520, 22, -21, 448, 700}},    // J
    {LabelFont::Pragmatica, 75, {667, 85, 0, 671, 700}},      // K
    {LabelFont::Pragmatica, 76, {529, 85, 0, 535, 700}},      // L
    {LabelFont::Pragmatica, 77, {890, 85, 0, 805, 700}},      // M
    {LabelFont::Pragmatica, 78, {740, 85, 0, 655, 700}},      // N
    {LabelFont::Pragmatica, 79, {758, 44, -21, 713, 721}},    // O
    {LabelFont::Pragmatica, 80, {639, 85, 0, 607, 700}},      // P
    {LabelFont::Pragmatica, 81, {758, 44, -74, 713, 721}},    // Q
    {LabelFont::Pragmatica, 82, {681, 85, 0, 636, 700}},      // R
    {LabelFont::Pragmatica, 83, {656, 45, -21, 611, 721}},    // S
    {LabelFont::Pragmatica, 84, {575, 13, 0, 562, 700}},      // T
    {LabelFont::Pragmatica, 85, {696, 71, -21, 624, 700}},    // U
    {LabelFont::Pragmatica, 86, {594, -4, 0, 598, 700}},      // V
    {LabelFont::Pragmatica, 87, {894, -4, 0, 898, 700}},      // W
    {LabelFont::Pragmatica, 88, {610, 0, 0, 610, 700}},       // X
    {LabelFont::Pragmatica, 89, {605, -4, 0, 609, 700}},      // Y
    {LabelFont::Pragmatica, 90, {593, 26, 0, 567, 700}},      // Z
    {LabelFont::Pragmatica, 176, {266, 36, 508, 229, 701}},   // degree sign
    {LabelFont::FreeSet, 32, {351, 0, 0, 0, 0}},              // space
    {LabelFont::FreeSet, 39, {194, 50, 527, 144, 700}},       // apostrophe
    {LabelFont::FreeSet, 44, {313, 85, -129, 228, 89}},       // comma
    {LabelFont::FreeSet, 45, {420, 100, 240, 320, 293}},      // hyphen-minus
    {LabelFont::FreeSet, 48, {590, 59, -8, 530, 708}},        // 0
    {LabelFont::FreeSet, 49, {359, 40, 0, 259, 700}},         // 1
    {LabelFont::FreeSet, 50, {523, 50, 0, 473, 708}},         // 2
    {LabelFont::FreeSet, 51, {546, 35, -8, 466, 708}},        // 3
    {LabelFont::FreeSet, 52, {593, 40, 0, 553, 700}},         // 4
    {LabelFont::FreeSet, 53, {558, 80, -8, 488, 700}},        // 5
    {LabelFont::FreeSet, 54, {574, 60, -8, 514, 708}},        // 6
    {LabelFont::FreeSet, 55, {470, 20, 0, 450, 700}},         // 7
    {LabelFont::FreeSet, 56, {613, 70, -8, 543, 708}},        // 8
    {LabelFont::FreeSet, 57, {579, 60, -8, 519, 708}},        // 9
    {LabelFont::FreeSet, 65, {689, 15, 0, 674, 700}},         // A
    {LabelFont::FreeSet, 66, {577, 100, 0, 512, 700}},        // B
    {LabelFont::FreeSet, 67, {611, 55, -8, 581, 708}},        // C
    {LabelFont::FreeSet, 68, {688, 100, 0, 633, 700}},        // D
    {LabelFont::FreeSet, 69, {509, 100, 0, 459, 700}},        // E
    {LabelFont::FreeSet, 70, {475, 100, 0, 435, 700}},        // F
    {LabelFont::FreeSet, 71, {711, 54, -8, 631, 708}},        // G
    {LabelFont::FreeSet, 72, {696, 100, 0, 596, 700}},        // H
    {LabelFont::FreeSet, 73, {266, 100, 0, 166, 700}},        // I
    {LabelFont::FreeSet, 74, {351, 15, -8, 251, 700}},        // J
    {LabelFont::FreeSet, 75, {632, 100, 0, 612, 700}},        // K
    {LabelFont::FreeSet, 76, {472, 100, 0, 452, 700}},        // L
    {LabelFont::FreeSet, 77, {936, 100, 0, 836, 700}},        // M
    {LabelFont::FreeSet, 78, {723, 100, 0, 623, 700}},        // N
    {LabelFont::FreeSet, 79, {744, 54, -8, 689, 708}},        // O
    {LabelFont::FreeSet, 80, {532, 100, 0, 492, 700}},        // P
    {LabelFont::FreeSet, 81, {744, 54, -131, 689, 708}},      // Q
    {LabelFont::FreeSet, 82, {600, 100, 0, 540, 700}},        // R
    {LabelFont::FreeSet, 83, {495, 50, -8, 445, 708}},        // S
    {LabelFont::FreeSet, 84, {515, 15, 0, 500, 700}},         // T
    {LabelFont::FreeSet, 85, {712, 100, -8, 612, 700}},       // U
    {LabelFont::FreeSet, 86, {651, 20, 0, 631, 700}},         // V
    {LabelFont::FreeSet, 87, {967, 20, 0, 947, 700}},         // W
    {LabelFont::FreeSet, 88, {643, 20, 0, 623, 700}},         // X
    {LabelFont::FreeSet, 89, {623, 10, 0, 613, 700}},         // Y
    {LabelFont::FreeSet, 90, {562, 50, 0, 512, 700}},         // Z
    {LabelFont::FreeSet, 176, {336, 56, 490, 280, 714}},      // degree sign
    {LabelFont::Centurion, 32, {250, 0, 0, 0, 0}},            // space
    {LabelFont::Centurion, 39, {211, 60, 326, 149, 743}},     // apostrophe
    {LabelFont::Centurion, 44, {250, 53, -158, 197, 115}},    // comma
    {LabelFont::Centurion, 45, {237, 0, 220, 225, 293}},      // hyphen-minus
    {LabelFont::Centurion, 48, {500, 32, -11, 480, 725}},     // 0
    {LabelFont::Centurion, 49, {500, 82, 0, 444, 725}},       // 1
    {LabelFont::Centurion, 50, {500, 28, 0, 462, 725}},       // 2
    {LabelFont::Centurion, 51, {500, 30, -11, 462, 725}},     // 3
    {LabelFont::Centurion, 52, {500, 25, 0, 477, 725}},       // 4
    {LabelFont::Centurion, 53, {500, 43, -11, 472, 714}},     // 5
    {LabelFont::Centurion, 54, {500, 41, -11, 486, 725}},     // 6
    {LabelFont::Centurion, 55, {500, 38, -11, 474, 714}},     // 7
    {LabelFont::Centurion, 56, {500, 32, -11, 481, 725}},     // 8
    {LabelFont::Centurion, 57, {500, 28, -11, 473, 725}},     // 9
    {LabelFont::Centurion, 65, {658, -29, 0, 696, 757}},      // A
    {LabelFont::Centurion, 66, {685, 33, 0, 642, 732}},       // B
    {LabelFont::Centurion, 67, {685, 46, -11, 656, 743}},     // C
    {LabelFont::Centurion, 68, {764, 32, 0, 705, 732}},       // D
    {LabelFont::Centurion, 69, {658, 33, 0, 643, 732}},       // E
    {LabelFont::Centurion, 70, {606, 32, 0, 626, 732}},       // F
    {LabelFont::Centurion, 71, {737, 49, -11, 717, 748}},     // G
    {LabelFont::Centurion, 72, {764, 33, 0, 730, 732}},       // H
    {LabelFont::Centurion, 73, {342, 32, 0, 320, 732}},       // I
    {LabelFont::Centurion, 74, {395, -43, -133, 361, 732}},   // J
    {LabelFont::Centurion, 75, {711, 33, 0, 751, 732}},       // K
    {LabelFont::Centurion, 76, {579, 34, 0, 621, 732}},       // L
    {LabelFont::Centurion, 77, {948, 34, 0, 906, 732}},       // M
    {LabelFont::Centurion, 78, {764, 33, 0, 733, 732}},       // N
    {LabelFont::Centurion, 79, {764, 51, -11, 701, 743}},     // O
    {LabelFont::Centurion, 80, {606, 34, 0, 606, 732}},       // P
    {LabelFont::Centurion, 81, {764, 51, -122, 723, 743}},    // Q
    {LabelFont::Centurion, 82, {632, 33, 0, 667, 732}},       // R
    {LabelFont::Centurion, 83, {553, 25, -11, 540, 743}},     // S
    {LabelFont::Centurion, 84, {632, -40, 0, 679, 732}},      // T
    {LabelFont::Centurion, 85, {737, 28, -11, 721, 732}},     // U
    {LabelFont::Centurion, 86, {658, -22, 0, 689, 732}},      // V
    {LabelFont::Centurion, 87, {948, -22, 0, 970, 732}},      // W
    {LabelFont::Centurion, 88, {632, -22, 0, 650, 732}},      // X
    {LabelFont::Centurion, 89, {632, -22, 0, 667, 732}},      // Y
    {LabelFont::Centurion, 90, {579, 4, 0, 581, 732}},        // Z
    {LabelFont::Centurion, 176, {500, 70, 425, 370, 725}},    // degree sign
};

using FontTable = std::array<CharMetrics, CHARACTER_CODES>;

// The font's place in LABEL_FONTS; nothing for a value outside the enumeration.
constexpr std::optional<std::size_t> fontIndex(LabelFont font) {
    const auto found = std::find(LABEL_FONTS.begin(), LABEL_FONTS.end(), font);
    if (found == LABEL_FONTS.end()) return std::nullopt;
    return static_cast<std::size_t>(found - LABEL_FONTS.begin());
}

constexpr std::array<FontTable, LABEL_FONTS.size()> buildTable() {
    std::array<FontTable, LABEL_FONTS.size()> table{};
    for (const MetricsRow& row : METRICS_ROWS) {
        table[fontIndex(row.font).value()][static_cast<std::size_t>(row.code)] = row.metrics;
    }
    return table;
}

constexpr std::array<FontTable, LABEL_FONTS.size()> METRICS = buildTable();

bool hasMetrics(const CharMetrics& m) {
    return m.advance != 0 || m.left != 0 || m.bottom != 0 || m.right != 0 || m.top != 0;
}

}  // namespace

std::string_view fontName(LabelFont font) {
    const auto index = fontIndex(font);
    return index ? FONT_NAMES[*index] : std::string_view{};
}

CharMetrics charMetrics(LabelFont font, unsigned char c) {
    const auto index = fontIndex(font);
    return index ? METRICS[*index][c] : CharMetrics{};
}

TextExtent measureText(std::string_view text, LabelFont font, double size, TrimMode trimMode) {
    const double unit = size * MILLIMETRES_PER_POINT / METRIC_UNITS_PER_SIZE;
    const bool trimStart = trimMode == TrimMode::Start || trimMode == TrimMode::Both;
    const bool trimEnd = trimMode == TrimMode::End || trimMode == TrimMode::Both;
    int width = 0;
    int bottom = NO_BOTTOM_YET;
    int top = NO_TOP_YET;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const CharMetrics m = charMetrics(font, static_cast<unsigned char>(text[i]));
        // A character without metrics is not set by the font: it neither widens the
        // text nor moves its ink box.
        if (!hasMetrics(m)) continue;
        width += m.advance;
        bottom = std::min<int>(bottom, m.bottom);
        top = std::max<int>(top, m.top);
        if (i == 0 && trimStart) width -= m.left;
        if (i + 1 == text.size() && trimEnd) width += m.right - m.advance + INK_END_ALLOWANCE;
    }
    return {bottom * unit, top * unit, width * unit};
}

}  // namespace sheetbasis
