#include "qgis/FrameStyle.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "frame/FontMetrics.h"
#include "frame/OuterFrame.h"
#include "output/PerThread.h"

namespace sheetbasis {
namespace {

// Line widths in millimetres on paper: hairlines for the band, its divisions and the
// ticks, a bold outer line, a medium one where the outer line stands alone at the
// reduced scales.
constexpr double HAIRLINE_MM = 0.1;
constexpr double OUTER_LINE_MM = 0.5;
constexpr double OUTER_LINE_REDUCED_MM = 0.3;

// An installed family standing for a font of the label style table, with what centres a
// text across its line, in parts of the font size: the descent below the baseline that the
// text layout gives the family (the bottom of a label's box) and the middle of its figures'
// ink above the baseline. Capitals stand as high as the figures in these families.
struct Substitute {
    LabelFont font;
    std::string_view family;
    double descentPerEm;
    double figureMiddlePerEm;
};

// Chosen with tools/measure_label_fonts.py among the families of Debian's font packages
// whose figures are lining figures (all on the baseline, as high as the capitals): for each
// font, the one whose ink widths differ least from the table's widths on the texts of the
// frame labels (figures in the README); the vertical metrics from its --metrics.
constexpr std::array<Substitute, LABEL_FONTS.size()> SUBSTITUTES = {{
    {LabelFont::Pragmatica, "Lato", 0.195, 0.358},
    {LabelFont::FreeSet, "Averia Sans GWF", 0.233, 0.334},
    {LabelFont::Centurion, "P052", 0.274, 0.337},
}};

std::string codeIs(std::int32_t code) {
    return "\"L_code\" = " + std::to_string(code);
}

// The latitudes between which a sheet lies.
struct LatitudeBand {
    double south = 0.0;
    double north = 0.0;
    bool operator==(const LatitudeBand&) const = default;
};

// A division line of the minute band is a two-vertex line across the band: on the north
// and south sides it keeps its longitude, on the west and east sides its latitude. A
// centre line runs along the band instead.
std::string divisionLineTest(const LatitudeBand& band) {
    const std::string centreY = "y(centroid($geometry))";
    return "num_points($geometry) = 2 AND if(" + centreY + " > " + decimalText(band.north) +
           " OR " + centreY + " < " + decimalText(band.south) +
           ", x(start_point($geometry)) = x(end_point($geometry)), "
           "y(start_point($geometry)) = y(end_point($geometry)))";
}

// A text value of an expression, in single quotes.
std::string quotedText(std::string_view text) {
    std::string quoted(1, '\'');
    quoted += text;
    quoted += '\'';
    return quoted;
}

// A CASE expression that gives, for the font named in "Font", what valueOf gives for the
// font's substitute.
template <typename Value>
std::string byFontName(Value valueOf) {
    std::string expression = "CASE";
    for (const Substitute& substitute : SUBSTITUTES) {
        // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) about literal + string.
        expression += " WHEN \"Font\" = '";
        expression += fontName(substitute.font);
        expression += "' THEN ";
        expression += valueOf(substitute);
    }
    return expression + " END";
}

}  // namespace

std::string_view substituteFamily(LabelFont font) {
    const auto found = std::find_if(SUBSTITUTES.begin(), SUBSTITUTES.end(),
                                    [font](const Substitute& s) { return s.font == font; });
    return found != SUBSTITUTES.end() ? found->family : std::string_view{};
}

namespace {

// The rules of a sheet whose minute band is barWidthMm wide and lies between the
// latitudes of `sheet`: nothing else of the sheet enters them. The rules from
// FIRST_BAND_RULE to END_BAND_RULE depend on both.
constexpr std::size_t FIRST_BAND_RULE = 1;
constexpr std::size_t END_BAND_RULE = 3;

std::vector<LineRule> frameLineRules(double barWidthMm, const LatitudeBand& sheet) {
    const std::string band = codeIs(CODE_MINUTE_FRAME);
    const std::string closed = "is_closed($geometry)";
    const std::string division = divisionLineTest(sheet);
    const LineLook hairline{HAIRLINE_MM, LineStroke::Solid, false};
    return {
        {"minute band lines", band + " AND " + closed, hairline},
        {"minute divisions", band + " AND NOT " + closed + " AND " + division, hairline},
        {"minute band bars",
         band + " AND NOT " + closed + " AND NOT (" + division + ")",
         {barWidthMm, LineStroke::Solid, true}},
        {"outer line", codeIs(CODE_OUTER_LINE), {OUTER_LINE_MM, LineStroke::Solid, false}},
        {"outer thin lines", codeIs(CODE_OUTER_THIN_LINE), hairline},
        {"outer line, reduced scales",
         codeIs(CODE_OUTER_LINE_REDUCED),
         {OUTER_LINE_REDUCED_MM, LineStroke::Solid, false}},
        {"graticule ticks", codeIs(CODE_MERIDIAN_TICK) + " OR " + codeIs(CODE_PARALLEL_TICK),
         hairline},
    };
}

LayerStyle frameLineStyleFor(double barWidthMm, const LatitudeBand& sheet) {
    return {StyleGeometry::Line, lineRuleRenderer(frameLineRules(barWidthMm, sheet)), {}};
}

// "Sheet" IN ('a', 'b', ...): the features of the named sheets.
std::string sheetIn(const std::vector<std::string>& sheets) {
    std::string test = "\"Sheet\" IN (";
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        if (k > 0) test += ", ";
        std::string quoted;
        for (char c : sheets[k]) quoted += c == '\'' ? std::string("''") : std::string(1, c);
        test += quotedText(quoted);
    }
    return test + ")";
}

}  // namespace

LayerStyle frameLineStyle(const FrameSettings& settings, const DrawingRect& rect) {
    // A set goes row by row, and the sheets of a row share the style; it was a sixth of the
    // cost of a sheet's styles and project, so a thread keeps the last one it made.
    struct Made {
        double barWidthMm;
        LatitudeBand band;
        LayerStyle style;
    };
    static PerThread<std::optional<Made>> perThread;
    std::optional<Made>& last = perThread.get();
    const LatitudeBand band{rect.south, rect.north};
    if (!last || last->barWidthMm != settings.minuteFrameWidth || !(last->band == band)) {
        last.emplace(Made{settings.minuteFrameWidth, band,
                          frameLineStyleFor(settings.minuteFrameWidth, band)});
    }
    return last->style;
}

LayerStyle setFrameLineStyle(const std::vector<FrameStyleGroup>& groups) {
    if (groups.empty()) return {StyleGeometry::Line, lineRuleRenderer({}), {}};
    std::vector<LineRule> shared = frameLineRules(groups.front().barWidthMm, {});
    std::vector<LineRule> rules(std::make_move_iterator(shared.begin()),
                                std::make_move_iterator(shared.begin() + FIRST_BAND_RULE));
    for (const FrameStyleGroup& group : groups) {
        std::vector<LineRule> own =
            frameLineRules(group.barWidthMm, {group.rect.south, group.rect.north});
        const std::string sheets = sheetIn(group.sheets);
        for (std::size_t k = FIRST_BAND_RULE; k < END_BAND_RULE; ++k) {
            own[k].filter = sheets + " AND " + own[k].filter;
            rules.push_back(std::move(own[k]));
        }
    }
    rules.insert(rules.end(), std::make_move_iterator(shared.begin() + END_BAND_RULE),
                 std::make_move_iterator(shared.end()));
    return {StyleGeometry::Line, lineRuleRenderer(rules), {}};
}

LayerStyle frameLabelStyle() {
    const std::string family = byFontName([](const Substitute& s) { return quotedText(s.family); });
    const std::string middle = byFontName(
        [](const Substitute& s) { return decimalText(s.descentPerEm + s.figureMiddlePerEm); });
    return {StyleGeometry::Line,
            singleSymbolRenderer(lineSymbol("0", {HAIRLINE_MM, LineStroke::Invisible, false})),
            lineLabelling({"Text", "Size", family, std::string(SUBSTITUTES[0].family), middle})};
}

}  // namespace sheetbasis
