#include "frame/FontMetrics.h"

#include <algorithm>

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

constexpr std::array<std::string_view, FONT_COUNT> FONT_NAMES{"PragmaticaC", "FreeSet",
                                                              "AGCenturion"};

struct MetricsRow {
    int font;
    int code;
    CharMetrics metrics;
};

// The characters that frame labels use: space, apostrophe, comma, hyphen-minus, digits,
// capital Latin letters and the degree sign (0xB0), in fonts PragmaticaC (1), FreeSet (2)
// and AGCenturion (3). No other character is measured by the frame layers.
constexpr MetricsRow METRICS_ROWS[] = {
    {1, 32, {233, 0, 0, 0, 0}},           // space
    {1, 39, {232, 50, 508, 182, 700}},    // apostrophe
    {1, 44, {311, 106, -148, 205, 109}},  // comma
    {1, 45, {422, 79, 225, 343, 310}},    // hyphen-minus
    {1, 48, {582, 45, -21, 536, 721}},    // 0
    {1, 49, {578, 129, 0, 383, 700}},     // 1
    {1, 50, {584, 59, 0, 535, 721}},      // 2
    {1, 51, {581, 41, -21, 527, 721}},    // 3
    {1, 52, {586, 26, 0, 560, 700}},      // 4
    {1, 53, {581, 47, -21, 534, 700}},    // 5
    {1, 54, {581, 44, -21, 536, 721}},    // 6
    {1, 55, {581, 35, 0, 546, 700}},      // 7
    {1, 56, {584, 55, -21, 528, 721}},    // 8
    {1, 57, {581, 44, -21, 536, 721}},    // 9
    {1, 65, {622, -4, 0, 626, 700}},      // A
    {1, 66, {689, 85, 0, 631, 700}},      // B
    {1, 67, {712, 44, -21, 674, 721}},    // C
    {1, 68, {719, 85, 0, 675, 700}},      // D
    {1, 69, {612, 85, 0, 595, 700}},      // E
    {1, 70, {568, 85, 0, 555, 700}},      // F
    {1, 71, {740, 44, -21, 682, 721}},    // G
    {1, 72, {710, 85, 0, 625, 700}},      // H
    {1, 73, {264, 85, 0, 179, 700}},      // I
    {1, 74, {520, 22, -21, 448, 700}},    // J
    {1, 75, {667, 85, 0, 671, 700}},      // K
    {1, 76, {529, 85, 0, 535, 700}},      // L
    {1, 77, {890, 85, 0, 805, 700}},      // M
    {1, 78, {740, 85, 0, 655, 700}},      // N
    {1, 79, {758, 44, -21, 713, 721}},    // O
    {1, 80, {639, 85, 0, 607, 700}},      // P
    {1, 81, {758, 44, -74, 713, 721}},    // Q
    {1, 82, {681, 85, 0, 636, 700}},      // R
    {1, 83, {656, 45, -21, 611, 721}},    // S
    {1, 84, {575, 13, 0, 562, 700}},      // T
    {1, 85, {696, 71, -21, 624, 700}},    // U
    {1, 86, {594, -4, 0, 598, 700}},      // V
    {1, 87, {894, -4, 0, 898, 700}},      // W
    {1, 88, {610, 0, 0, 610, 700}},       // X
    {1, 89, {605, -4, 0, 609, 700}},      // Y
    {1, 90, {593, 26, 0, 567, 700}},      // Z
    {1, 176, {266, 36, 508, 229, 701}},   // degree sign
    {2, 32, {351, 0, 0, 0, 0}},           // space
    {2, 39, {194, 50, 527, 144, 700}},    // apostrophe
    {2, 44, {313, 85, -129, 228, 89}},    // comma
    {2, 45, {420, 100, 240, 320, 293}},   // hyphen-minus
    {2, 48, {590, 59, -8, 530, 708}},     // 0
    {2, 49, {359, 40, 0, 259, 700}},      // 1
    {2, 50, {523, 50, 0, 473, 708}},      // 2
    {2, 51, {546, 35, -8, 466, 708}},     // 3
    {2, 52, {593, 40, 0, 553, 700}},      // 4
    {2, 53, {558, 80, -8, 488, 700}},     // 5
    {2, 54, {574, 60, -8, 514, 708}},     // 6
    {2, 55, {470, 20, 0, 450, 700}},      // 7
    {2, 56, {613, 70, -8, 543, 708}},     // 8
    {2, 57, {579, 60, -8, 519, 708}},     // 9
    {2, 65, {689, 15, 0, 674, 700}},      // A
    {2, 66, {577, 100, 0, 512, 700}},     // B
    {2, 67, {611, 55, -8, 581, 708}},     // C
    {2, 68, {688, 100, 0, 633, 700}},     // D
    {2, 69, {509, 100, 0, 459, 700}},     // E
    {2, 70, {475, 100, 0, 435, 700}},     // F
    {2, 71, {711, 54, -8, 631, 708}},     // G
    {2, 72, {696, 100, 0, 596, 700}},     // H
    {2, 73, {266, 100, 0, 166, 700}},     // I
    {2, 74, {351, 15, -8, 251, 700}},     // J
    {2, 75, {632, 100, 0, 612, 700}},     // K
    {2, 76, {472, 100, 0, 452, 700}},     // L
    {2, 77, {936, 100, 0, 836, 700}},     // M
    {2, 78, {723, 100, 0, 623, 700}},     // N
    {2, 79, {744, 54, -8, 689, 708}},     // O
    {2, 80, {532, 100, 0, 492, 700}},     // P
    {2, 81, {744, 54, -131, 689, 708}},   // Q
    {2, 82, {600, 100, 0, 540, 700}},     // R
    {2, 83, {495, 50, -8, 445, 708}},     // S
    {2, 84, {515, 15, 0, 500, 700}},      // T
    {2, 85, {712, 100, -8, 612, 700}},    // U
    {2, 86, {651, 20, 0, 631, 700}},      // V
    {2, 87, {967, 20, 0, 947, 700}},      // W
    {2, 88, {643, 20, 0, 623, 700}},      // X
    {2, 89, {623, 10, 0, 613, 700}},      // Y
    {2, 90, {562, 50, 0, 512, 700}},      // Z
    {2, 176, {336, 56, 490, 280, 714}},   // degree sign
    {3, 32, {250, 0, 0, 0, 0}},           // space
    {3, 39, {211, 60, 326, 149, 743}},    // apostrophe
    {3, 44, {250, 53, -158, 197, 115}},   // comma
    {3, 45, {237, 0, 220, 225, 293}},     // hyphen-minus
    {3, 48, {500, 32, -11, 480, 725}},    // 0
    {3, 49, {500, 82, 0, 444, 725}},      // 1
    {3, 50, {500, 28, 0, 462, 725}},      // 2
    {3, 51, {500, 30, -11, 462, 725}},    // 3
    {3, 52, {500, 25, 0, 477, 725}},      // 4
    {3, 53, {500, 43, -11, 472, 714}},    // 5
    {3, 54, {500, 41, -11, 486, 725}},    // 6
    {3, 55, {500, 38, -11, 474, 714}},    // 7
    {3, 56, {500, 32, -11, 481, 725}},    // 8
    {3, 57, {500, 28, -11, 473, 725}},    // 9
    {3, 65, {658, -29, 0, 696, 757}},     // A
    {3, 66, {685, 33, 0, 642, 732}},      // B
    {3, 67, {685, 46, -11, 656, 743}},    // C
    {3, 68, {764, 32, 0, 705, 732}},      // D
    {3, 69, {658, 33, 0, 643, 732}},      // E
    {3, 70, {606, 32, 0, 626, 732}},      // F
    {3, 71, {737, 49, -11, 717, 748}},    // G
    {3, 72, {764, 33, 0, 730, 732}},      // H
    {3, 73, {342, 32, 0, 320, 732}},      // I
    {3, 74, {395, -43, -133, 361, 732}},  // J
    {3, 75, {711, 33, 0, 751, 732}},      // K
    {3, 76, {579, 34, 0, 621, 732}},      // L
    {3, 77, {948, 34, 0, 906, 732}},      // M
    {3, 78, {764, 33, 0, 733, 732}},      // N
    {3, 79, {764, 51, -11, 701, 743}},    // O
    {3, 80, {606, 34, 0, 606, 732}},      // P
    {3, 81, {764, 51, -122, 723, 743}},   // Q
    {3, 82, {632, 33, 0, 667, 732}},      // R
    {3, 83, {553, 25, -11, 540, 743}},    // S
    {3, 84, {632, -40, 0, 679, 732}},     // T
    {3, 85, {737, 28, -11, 721, 732}},    // U
    {3, 86, {658, -22, 0, 689, 732}},     // V
    {3, 87, {948, -22, 0, 970, 732}},     // W
    {3, 88, {632, -22, 0, 650, 732}},     // X
    {3, 89, {632, -22, 0, 667, 732}},     // Y
    {3, 90, {579, 4, 0, 581, 732}},       // Z
    {3, 176, {500, 70, 425, 370, 725}},   // degree sign
};

using FontTable = std::array<CharMetrics, CHARACTER_CODES>;

constexpr std::array<FontTable, FONT_COUNT> buildTable() {
    std::array<FontTable, FONT_COUNT> table{};
    for (const MetricsRow& row : METRICS_ROWS) {
        table[static_cast<std::size_t>(row.font - 1)][static_cast<std::size_t>(row.code)] =
            row.metrics;
    }
    return table;
}

constexpr std::array<FontTable, FONT_COUNT> METRICS = buildTable();

bool knownFont(std::int32_t font) {
    return font >= 1 && font <= FONT_COUNT;
}

bool hasMetrics(const CharMetrics& m) {
    return m.advance != 0 || m.left != 0 || m.bottom != 0 || m.right != 0 || m.top != 0;
}

}  // namespace

std::string_view fontName(std::int32_t font) {
    return knownFont(font) ? FONT_NAMES[static_cast<std::size_t>(font - 1)] : std::string_view{};
}

CharMetrics charMetrics(std::int32_t font, unsigned char c) {
    return knownFont(font) ? METRICS[static_cast<std::size_t>(font - 1)][c] : CharMetrics{};
}

TextExtent measureText(std::string_view text, std::int32_t font, double size,
                       std::int32_t trimMode) {
    const double unit = size * MILLIMETRES_PER_POINT / METRIC_UNITS_PER_SIZE;
    const bool trimStart = trimMode == TRIM_START || trimMode == TRIM_BOTH;
    const bool trimEnd = trimMode == TRIM_END || trimMode == TRIM_BOTH;
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
