#include "hyps/Hyps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "geo/DatumShift.h"
#include "hyps/HypsAttributes.h"
#include "hyps/HypsLines.h"
#include "sheet/CoordinateText.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// Node grid of HypsP at 1:200 000: 7.5 minutes of longitude by 5 minutes of latitude;
// the smaller scales of the million series take every second node.
constexpr AngleSteps NODE_STEPS_200K{0.125, 1.0 / 12.0};
constexpr double NODE_STEP_FACTOR_SMALL_SCALE = 2.0;

// A polar circle closer than this to the south or north edge (0.001 degree, 3.6") would
// be drawn as a sliver along the edge, so it is left out.
constexpr double POLAR_CIRCLE_EDGE_CLEARANCE = 0.001;

// Corner texts: whole minutes, or hundredths of a second once the corners have been
// carried into GSK-2011 and no longer lie on whole minutes.
constexpr int CORNER_PRECISION_GSK2011 = 2;

bool convertsToGsk2011(const SheetParameters& p) {
    return p.cs == CoordinateSystem::Gsk2011FromSk42;
}

bool usableStep(double step) {
    return std::isfinite(step) && step > 0.0;
}

// True while value has not passed limit; a value within grid tolerance of it has not.
bool notBeyond(double value, double limit) {
    return value <= limit || equalOnGrid(value, limit);
}

// The grid values first, first + step, ... that do not pass last.
std::vector<double> gridRun(double first, double last, double step) {
    std::vector<double> values;
    if (!usableStep(step) || !std::isfinite(first) || !std::isfinite(last)) return values;
    for (std::int64_t k = 0;; ++k) {
        const double value = first + static_cast<double>(k) * step;
        if (!notBeyond(value, last)) return values;
        values.push_back(value);
    }
}

std::string cornerText(const Point& corner, int precision) {
    return trimTrailing(
        pointText(corner.x, corner.y, precision, CoordinateTextStyle::HemisphereWord));
}

// A grid node at the grid values; in coordinate system 4 only the point moves to GSK-2011,
// its texts keep the grid values.
HypsNode node(const SheetParameters& p, double lat, double lon) {
    const Point position = convertsToGsk2011(p) ? sk42ToGsk2011({lon, lat}) : Point{lon, lat};
    return {position, nodeAttributes(lat, lon)};
}

// One family of graticule lines: parallels (alongX, standing at latitudes between
// acrossFrom and acrossTo and running from alongFrom to alongTo) or meridians.
struct Graticule {
    bool alongX = true;
    double acrossFrom = 0.0;
    double acrossTo = 0.0;
    double alongFrom = 0.0;
    double alongTo = 0.0;
    double base = 0.0;
    double step = 0.0;
    double densifyStep = 0.0;
    HypsLineKind kind = HypsLineKind::Parallel;
};

// The part of the line at c that is drawn: cut to the converted outline in coordinate
// system 4, else the whole extent of the rectangle. Nothing when the line misses the
// outline or only touches it.
std::optional<std::pair<double, double>> visibleSpan(const SheetParameters& p, bool alongX,
                                                     double c, double from, double to,
                                                     std::span<const Point> outline) {
    if (!convertsToGsk2011(p)) return std::pair{from, to};
    const auto span =
        alongX ? clipParallelByPolygon(c, outline) : clipMeridianByPolygon(c, outline);
    if (!span) return std::nullopt;
    return std::pair{span->min, span->max};
}

HypsLine lineFeature(HypsLineKind kind, bool alongX, double c, std::pair<double, double> span,
                     double densifyStep) {
    HypsLine feature{{}, graticuleAttributes(kind, c)};
    constexpr bool includeEnd = true;
    if (alongX) {
        appendParallel(c, span.first, span.second, densifyStep, includeEnd, feature.line);
    } else {
        appendMeridian(c, span.first, span.second, densifyStep, includeEnd, feature.line);
    }
    return feature;
}

// Draws the lines of the family strictly inside the sheet and lists the ones drawn; grid
// lines on the sheet's own edges are left to the frame.
void addGraticule(const SheetParameters& p, const Graticule& g, std::span<const Point> outline,
                  std::vector<HypsLine>& lines, std::vector<double>& drawn) {
    if (!usableStep(g.step)) return;
    double first = firstGridValueFrom(g.acrossFrom, g.base, g.step);
    if (equalOnGrid(first, g.acrossFrom)) first += g.step;
    double last = lastGridValueUpTo(g.acrossTo, g.base, g.step);
    if (equalOnGrid(last, g.acrossTo)) last -= g.step;
    for (const double c : gridRun(first, last, g.step)) {
        const auto span = visibleSpan(p, g.alongX, c, g.alongFrom, g.alongTo, outline);
        if (!span) continue;
        drawn.push_back(c);
        lines.push_back(lineFeature(g.kind, g.alongX, c, *span, g.densifyStep));
    }
}

bool polarCircleCrosses(const DrawingRect& rect) {
    constexpr double c = POLAR_CIRCLE_LATITUDE;
    return c > rect.south && c < rect.north && c - rect.south > POLAR_CIRCLE_EDGE_CLEARANCE &&
           rect.north - c > POLAR_CIRCLE_EDGE_CLEARANCE;
}

std::optional<HypsLine> polarCircle(const SheetParameters& p, const DrawingRect& rect,
                                    double densifyStep, std::span<const Point> outline) {
    if (!polarCircleCrosses(rect)) return std::nullopt;
    constexpr bool alongX = true;
    const auto span = visibleSpan(p, alongX, POLAR_CIRCLE_LATITUDE, rect.west, rect.east, outline);
    if (!span) return std::nullopt;
    return lineFeature(HypsLineKind::PolarCircle, alongX, POLAR_CIRCLE_LATITUDE, *span,
                       densifyStep);
}

// The parallels, standing at latitudes across the rectangle and running along it, and the
// meridians.
std::pair<Graticule, Graticule> graticuleFamilies(const SheetParameters& p, const DrawingRect& rect,
                                                  const AngleSteps& densify) {
    const Graticule parallelFamily{.alongX = true,
                                   .acrossFrom = rect.south,
                                   .acrossTo = rect.north,
                                   .alongFrom = rect.west,
                                   .alongTo = rect.east,
                                   .base = p.base.edges.south,
                                   .step = p.result.parallelStep,
                                   .densifyStep = densify.lon,
                                   .kind = HypsLineKind::Parallel};
    const Graticule meridianFamily{.alongX = false,
                                   .acrossFrom = rect.west,
                                   .acrossTo = rect.east,
                                   .alongFrom = rect.south,
                                   .alongTo = rect.north,
                                   .base = p.base.edges.west,
                                   .step = p.result.meridianStep,
                                   .densifyStep = densify.lat,
                                   .kind = HypsLineKind::Meridian};
    return {parallelFamily, meridianFamily};
}

}  // namespace

AngleSteps hypsNodeSteps(Series setScale) {
    if (setScale == Series::Scale200k) return NODE_STEPS_200K;
    return {NODE_STEPS_200K.lon * NODE_STEP_FACTOR_SMALL_SCALE,
            NODE_STEPS_200K.lat * NODE_STEP_FACTOR_SMALL_SCALE};
}

HypsArea areaFeature(const SheetParameters& p, const std::string& sheetName,
                     const SheetCorners& corners, const AngleSteps& densify) {
    HypsArea area{trapezoidRing(p.result.edges, densify), {}};
    if (convertsToGsk2011(p)) {
        for (Point& vertex : area.ring) vertex = sk42ToGsk2011(vertex);
    }
    const int precision = convertsToGsk2011(p) ? CORNER_PRECISION_GSK2011 : PRECISION_MINUTES;
    area.attributes = {HYPS_AREA_AND_NODE_CODE,           trimTrailing(sheetName),
                       cornerText(corners.nw, precision), cornerText(corners.ne, precision),
                       cornerText(corners.sw, precision), cornerText(corners.se, precision)};
    return area;
}

std::vector<HypsNode> nodeFeatures(const SheetParameters& p, const AngleSteps& nodes) {
    std::vector<HypsNode> features;
    if (!usableStep(nodes.lat) || !usableStep(nodes.lon)) return features;
    const double lat0 = firstGridValueFrom(p.result.edges.south, p.base.edges.south, nodes.lat);
    const double lat1 = lastGridValueUpTo(p.result.edges.north, p.base.edges.south, nodes.lat);
    const double lon0 = firstGridValueFrom(p.result.edges.west, p.base.edges.west, nodes.lon);
    const double lon1 = lastGridValueUpTo(p.result.edges.east, p.base.edges.west, nodes.lon);
    const std::vector<double> lons = gridRun(lon0, lon1, nodes.lon);
    for (const double lat : gridRun(lat0, lat1, nodes.lat)) {
        for (const double lon : lons) features.push_back(node(p, lat, lon));
    }
    return features;
}

GraticuleLayer graticuleFeatures(const SheetParameters& p, const DrawingRect& rect,
                                 const AngleSteps& densify, const Line& outline) {
    GraticuleLayer layer;
    layer.lines.push_back({outline, graticuleAttributes(HypsLineKind::Outline, 0.0)});
    const auto [parallelFamily, meridianFamily] = graticuleFamilies(p, rect, densify);
    addGraticule(p, parallelFamily, outline, layer.lines, layer.drawn.parallels);
    addGraticule(p, meridianFamily, outline, layer.lines, layer.drawn.meridians);
    if (auto circle = polarCircle(p, rect, densify.lon, outline)) {
        layer.lines.push_back(std::move(*circle));
    }
    return layer;
}

HypsSheet hypsFeatures(const SheetParameters& p, const std::string& sheetName,
                       const DrawingRect& rect, const SheetCorners& corners,
                       const AngleSteps& densify) {
    HypsSheet sheet;
    sheet.features.area = areaFeature(p, sheetName, corners, densify);
    sheet.features.nodes = nodeFeatures(p, hypsNodeSteps(p.setScale));
    GraticuleLayer graticule = graticuleFeatures(p, rect, densify, sheet.features.area.ring);
    sheet.features.lines = std::move(graticule.lines);
    sheet.drawn = std::move(graticule.drawn);
    return sheet;
}

}  // namespace sheetbasis
