#include "qgis/HypsStyle.h"

namespace sheetbasis {
namespace {

// Widths and sizes in millimetres on paper, as thin hairlines of a printed map.
constexpr double OUTLINE_WIDTH_MM = 0.2;
constexpr double GRATICULE_WIDTH_MM = 0.1;
constexpr double POLAR_CIRCLE_WIDTH_MM = 0.15;
constexpr double NODE_CROSS_SIZE_MM = 1.5;
constexpr double NODE_CROSS_STROKE_MM = 0.1;

// The HypsL code of the polar circle (HypsAttributes).
constexpr const char* POLAR_CIRCLE_FILTER = "\"L_code\" = 400013";

}  // namespace

LayerStyle hypsAreaStyle() {
    return {StyleGeometry::Polygon, singleSymbolRenderer(outlineSymbol("0", OUTLINE_WIDTH_MM)), {}};
}

LayerStyle hypsPointStyle() {
    return {StyleGeometry::Point,
            singleSymbolRenderer(crossSymbol("0", NODE_CROSS_SIZE_MM, NODE_CROSS_STROKE_MM)),
            {}};
}

LayerStyle hypsLineStyle() {
    return {StyleGeometry::Line,
            lineRuleRenderer({{"polar circle",
                               POLAR_CIRCLE_FILTER,
                               {POLAR_CIRCLE_WIDTH_MM, LineStroke::Dashed, false}},
                              {"graticule and outline",
                               std::string("NOT (") + POLAR_CIRCLE_FILTER + ")",
                               {GRATICULE_WIDTH_MM, LineStroke::Solid, false}}}),
            {}};
}

}  // namespace sheetbasis
