#include "frame/FrameStyle.h"

#include <array>
#include <string>

#include "frame/FontMetrics.h"
#include "frame/OuterFrame.h"

namespace sheetbasis {
namespace {

// Line widths in millimetres on paper: hairlines for the band, its divisions and the
// ticks, a bold outer line, a medium one where the outer line stands alone at the
// reduced scales.
constexpr double HAIRLINE_MM = 0.1;
constexpr double OUTER_LINE_MM = 0.5;
constexpr double OUTER_LINE_REDUCED_MM = 0.3;

// An installed family standing for a font of the label style table, and its descent
// below the baseline in parts of the font size, as the font declares it to the text
// layout.
struct Substitute {
    std::string_view family;
    double descentPerEm;
};

// Chosen with tools/measure_label_fonts.py among the families of Debian's font packages:
// for each font, the one whose ink widths differ least from the table's widths on the
// texts of the frame labels (figures in the README).
constexpr std::array<Substitute, FONT_COUNT> SUBSTITUTES = {{
    {"Lato", 0.195},      // PragmaticaC
    {"Vollkorn", 0.441},  // FreeSet
    {"P052", 0.274},      // AGCenturion
}};

constexpr double METRES_PER_KILOMETRE = 1000.0;
constexpr double MILLIMETRES_PER_METRE = 1000.0;

std::string codeIs(std::int32_t code) {
    return "\"L_code\" = " + std::to_string(code);
}

// A division line of the minute band is a two-vertex line across the band: on the north
// and south sides it keeps its longitude, on the west and east sides its latitude. A
// centre line runs along the band instead.
std::string divisionLineTest(const DrawingRect& rect) {
    const std::string centreY = "y(centroid($geometry))";
    return "num_points($geometry) = 2 AND if(" + centreY + " > " + decimalText(rect.north) +
           " OR " + centreY + " < " + decimalText(rect.south) +
           ", x(start_point($geometry)) = x(end_point($geometry)), "
           "y(start_point($geometry)) = y(end_point($geometry)))";
}

// A CASE expression that gives, for the font named in "Font", what valueOf gives for the
// font's substitute.
// A text value of an expression, in single quotes.
std::string quotedText(std::string_view text) {
    std::string quoted(1, '\'');
    quoted += text;
    quoted += '\'';
    return quoted;
}

template <typename Value>
std::string byFontName(Value valueOf) {
    std::string expression = "CASE";
    for (std::int32_t font = 1; font <= FONT_COUNT; ++font) {
        // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) about literal + string.
        expression += " WHEN \"Font\" = '";
        expression += fontName(font);
        expression += "' THEN ";
        expression += valueOf(SUBSTITUTES[static_cast<std::size_t>(font - 1)]);
    }
    return expression + " END";
}

// The fraction of a label line's length that a name's clearance takes: half the allowance
// of its gap, on paper at the map's scale, over the line's length on the ground, measured
// on the sphere the frame layers use (the line runs along a parallel or a meridian).
std::string clearanceFraction() {
    const std::string x0 = "x(start_point($geometry))";
    const std::string x1 = "x(end_point($geometry))";
    const std::string y0 = "y(start_point($geometry))";
    const std::string y1 = "y(end_point($geometry))";
    const std::string east =
        "(" + x1 + " - " + x0 + ") * cos(radians((" + y0 + " + " + y1 + ") / 2))";
    const std::string north = "(" + y1 + " - " + y0 + ")";
    const std::string groundMetres = decimalText(SPHERE_RADIUS_KM * METRES_PER_KILOMETRE) +
                                     " * radians(sqrt((" + east + ") ^ 2 + " + north + " ^ 2))";
    return decimalText(NAME_GAP_ALLOWANCE_MM / 2.0 / MILLIMETRES_PER_METRE) + " * @map_scale / (" +
           groundMetres + ")";
}

LayerStyle labelStyle(std::string startExpression) {
    const std::string family = byFontName([](const Substitute& s) { return quotedText(s.family); });
    const std::string descent =
        byFontName([](const Substitute& s) { return decimalText(s.descentPerEm); });
    return {StyleGeometry::Line,
            singleSymbolRenderer(lineSymbol("0", {HAIRLINE_MM, LineStroke::Invisible, false})),
            lineLabelling({"Text", "Size", family, std::string(SUBSTITUTES[0].family), descent,
                           std::move(startExpression)})};
}

}  // namespace

std::string_view substituteFamily(std::int32_t font) {
    if (font < 1 || font > FONT_COUNT) return {};
    return SUBSTITUTES[static_cast<std::size_t>(font - 1)].family;
}

LayerStyle frameLineStyle(const FrameSettings& settings, const DrawingRect& rect) {
    const std::string band = codeIs(CODE_MINUTE_FRAME);
    const std::string closed = "is_closed($geometry)";
    const std::string division = divisionLineTest(rect);
    const LineLook hairline{HAIRLINE_MM, LineStroke::Solid, false};
    return {StyleGeometry::Line,
            lineRuleRenderer({
                {"minute band lines", band + " AND " + closed, hairline},
                {"minute divisions", band + " AND NOT " + closed + " AND " + division, hairline},
                {"minute band bars",
                 band + " AND NOT " + closed + " AND NOT (" + division + ")",
                 {settings.minuteFrameWidth, LineStroke::Solid, true}},
                {"outer line", codeIs(CODE_OUTER_LINE), {OUTER_LINE_MM, LineStroke::Solid, false}},
                {"outer thin lines", codeIs(CODE_OUTER_THIN_LINE), hairline},
                {"outer line, reduced scales",
                 codeIs(CODE_OUTER_LINE_REDUCED),
                 {OUTER_LINE_REDUCED_MM, LineStroke::Solid, false}},
                {"graticule ticks",
                 codeIs(CODE_MERIDIAN_TICK) + " OR " + codeIs(CODE_PARALLEL_TICK), hairline},
            }),
            {}};
}

LayerStyle coordinateLabelStyle() {
    return labelStyle({});
}

LayerStyle adjacentLabelStyle() {
    return labelStyle(clearanceFraction());
}

}  // namespace sheetbasis
