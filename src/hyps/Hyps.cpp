#include "hyps/Hyps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>

#include "geo/DatumShift.h"
#include "hyps/HypsAttributes.h"
#include "hyps/HypsLines.h"
#include "output/LayerFile.h"
#include "output/ShapeWriters.h"
#include "sheet/Grid.h"
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

// Column widths in characters are those of the HYPS layer catalogue; the table cuts
// longer texts to them.
constexpr int L_CODE_WIDTH = 6;

std::vector<FieldDef> areaFields() {
    return {{"L_code", FIELD_INTEGER, L_CODE_WIDTH, 0},
            {"Name", FIELD_TEXT, 100, 0},
            {"LeftUp", FIELD_TEXT, 50, 0},
            {"RghtUp", FIELD_TEXT, 50, 0},
            {"LeftDn", FIELD_TEXT, 50, 0},
            {"RghtDn", FIELD_TEXT, 50, 0}};
}

std::vector<FieldDef> nodeFields() {
    return {{"L_code", FIELD_INTEGER, L_CODE_WIDTH, 0},
            {"Lat", FIELD_TEXT, 20, 0},
            {"Lon", FIELD_TEXT, 20, 0}};
}

std::vector<FieldDef> lineFields() {
    return {{"L_code", FIELD_INTEGER, L_CODE_WIDTH, 0},
            {"Text", FIELD_TEXT, 40, 0},
            {"Grad", FIELD_TEXT, 5, 0},
            {"Min", FIELD_TEXT, 7, 0},
            {"Indication", FIELD_TEXT, 5, 0}};
}

// What the table library said, as the tail of a reason.
std::string libraryReason(const Layer& layer) {
    const std::string said = trimTrailing(layer.libraryMessages);
    return said.empty() ? std::string() : " (" + said + ")";
}

bool convertsToGsk2011(const SheetParameters& p) {
    return p.cs == CS_GSK2011_FROM_SK42;
}

// Creates the layer baseName inside the HYPS sub-folder (given with or without a trailing
// separator), has fill write its features and closes it. The layer is closed on failure
// too, so that the features written before it stay readable; its files reaching the disk
// is itself a step that can fail.
template <typename Fill>
Outcome writeLayer(const SheetParameters& p, const char* baseName, int shapeType,
                   const std::vector<FieldDef>& fields, Fill&& fill) {
    Layer layer;
    const std::string name = (std::filesystem::path(p.path) / baseName).string();
    if (createLayer(p.cs, shapeType, name, fields, layer) != LayerStatus::Created) {
        return Outcome::failure(std::string(baseName) + ": cannot be created" +
                                libraryReason(layer));
    }
    const bool filled = fill(layer);
    Outcome closed = closeLayer(layer).within(baseName);
    if (!filled) {
        return Outcome::failure(std::string(baseName) + ": a feature cannot be written" +
                                libraryReason(layer));
    }
    return closed;
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

std::string cornerTexts(const SheetCorners& corners, int precision) {
    std::string text;
    for (const Point& corner : {corners.nw, corners.ne, corners.sw, corners.se}) {
        text += trimTrailing(pointText(corner.x, corner.y, precision, STYLE_HEMISPHERE_WORD)) +
                ATTRIBUTE_SEPARATOR;
    }
    return text;
}

void convertOutline(std::vector<double>& xs, std::vector<double>& ys) {
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const Point vertex = sk42ToGsk2011({xs[i], ys[i]});
        xs[i] = vertex.x;
        ys[i] = vertex.y;
    }
}

Outcome writeArea(const SheetParameters& p, const std::string& sheetName,
                  const SheetCorners& corners, const AngleSteps& densify,
                  std::vector<double>& workX, std::vector<double>& workY) {
    trapezoidRing(p.xFrom, p.xTo, densify.lon, p.yFrom, p.yTo, densify.lat, workX, workY);
    if (convertsToGsk2011(p)) convertOutline(workX, workY);
    const int precision = convertsToGsk2011(p) ? CORNER_PRECISION_GSK2011 : PRECISION_MINUTES;
    const std::string attributes = std::string(HYPS_AREA_AND_NODE_CODE) + ATTRIBUTE_SEPARATOR +
                                   trimTrailing(sheetName) + ATTRIBUTE_SEPARATOR +
                                   cornerTexts(corners, precision);
    return writeLayer(p, "HypsA", SHAPE_POLYGON, areaFields(), [&](Layer& layer) {
        return writePolygonFeature(layer, attributes, workX, workY) == ShapeStatus::Written;
    });
}

// Rows run from south to north, each row from west to east. The texts carry the grid
// values; in coordinate system 4 only the points move to GSK-2011.
bool writeNodeFeatures(const SheetParameters& p, const AngleSteps& nodes, Layer& layer) {
    if (!usableStep(nodes.lat) || !usableStep(nodes.lon)) return true;
    const double lat0 = firstGridValueFrom(p.yFrom, p.baseYFrom, nodes.lat);
    const double lat1 = lastGridValueUpTo(p.yTo, p.baseYFrom, nodes.lat);
    const double lon0 = firstGridValueFrom(p.xFrom, p.baseXFrom, nodes.lon);
    const double lon1 = lastGridValueUpTo(p.xTo, p.baseXFrom, nodes.lon);
    const std::vector<double> lons = gridRun(lon0, lon1, nodes.lon);
    for (const double lat : gridRun(lat0, lat1, nodes.lat)) {
        for (const double lon : lons) {
            const Point node = convertsToGsk2011(p) ? sk42ToGsk2011({lon, lat}) : Point{lon, lat};
            if (writePointFeature(layer, nodeAttributes(lat, lon), node.x, node.y) !=
                ShapeStatus::Written) {
                return false;
            }
        }
    }
    return true;
}

Outcome writeNodes(const SheetParameters& p, const AngleSteps& nodes) {
    return writeLayer(p, "HypsP", SHAPE_POINT, nodeFields(),
                      [&](Layer& layer) { return writeNodeFeatures(p, nodes, layer); });
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
    int kind = HYPS_KIND_PARALLEL;
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

bool writeLine(Layer& layer, int kind, bool alongX, double c, std::pair<double, double> span,
               double densifyStep) {
    std::vector<double> xs;
    std::vector<double> ys;
    constexpr bool includeEnd = true;
    if (alongX) {
        appendParallel(c, span.first, span.second, densifyStep, includeEnd, xs, ys);
    } else {
        appendMeridian(c, span.first, span.second, densifyStep, includeEnd, xs, ys);
    }
    return writeLineFeature(layer, graticuleAttributes(kind, c), xs, ys) == ShapeStatus::Written;
}

// Draws the lines of the family strictly inside the sheet and lists the ones drawn; grid
// lines on the sheet's own edges are left to the frame.
bool writeGraticule(const SheetParameters& p, const Graticule& g, std::span<const Point> outline,
                    Layer& layer, std::vector<double>& drawn) {
    if (!usableStep(g.step)) return true;
    double first = firstGridValueFrom(g.acrossFrom, g.base, g.step);
    if (equalOnGrid(first, g.acrossFrom)) first += g.step;
    double last = lastGridValueUpTo(g.acrossTo, g.base, g.step);
    if (equalOnGrid(last, g.acrossTo)) last -= g.step;
    for (const double c : gridRun(first, last, g.step)) {
        const auto span = visibleSpan(p, g.alongX, c, g.alongFrom, g.alongTo, outline);
        if (!span) continue;
        drawn.push_back(c);
        if (!writeLine(layer, g.kind, g.alongX, c, *span, g.densifyStep)) return false;
    }
    return true;
}

bool polarCircleCrosses(const DrawingRect& rect) {
    constexpr double c = POLAR_CIRCLE_LATITUDE;
    return c > rect.south && c < rect.north && c - rect.south > POLAR_CIRCLE_EDGE_CLEARANCE &&
           rect.north - c > POLAR_CIRCLE_EDGE_CLEARANCE;
}

bool writePolarCircle(const SheetParameters& p, const DrawingRect& rect, double densifyStep,
                      std::span<const Point> outline, Layer& layer) {
    if (!polarCircleCrosses(rect)) return true;
    constexpr bool alongX = true;
    const auto span = visibleSpan(p, alongX, POLAR_CIRCLE_LATITUDE, rect.west, rect.east, outline);
    if (!span) return true;
    return writeLine(layer, HYPS_KIND_POLAR_CIRCLE, alongX, POLAR_CIRCLE_LATITUDE, *span,
                     densifyStep);
}

std::vector<Point> outlinePoints(const std::vector<double>& xs, const std::vector<double>& ys) {
    std::vector<Point> points;
    const std::size_t n = std::min(xs.size(), ys.size());
    points.reserve(n);
    for (std::size_t i = 0; i < n; ++i) points.push_back({xs[i], ys[i]});
    return points;
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
                                   .base = p.baseYFrom,
                                   .step = p.parallelStep,
                                   .densifyStep = densify.lon,
                                   .kind = HYPS_KIND_PARALLEL};
    const Graticule meridianFamily{.alongX = false,
                                   .acrossFrom = rect.west,
                                   .acrossTo = rect.east,
                                   .alongFrom = rect.south,
                                   .alongTo = rect.north,
                                   .base = p.baseXFrom,
                                   .step = p.meridianStep,
                                   .densifyStep = densify.lat,
                                   .kind = HYPS_KIND_MERIDIAN};
    return {parallelFamily, meridianFamily};
}

}  // namespace

AngleSteps hypsNodeSteps(std::int32_t setScale) {
    if (setScale == SERIES_200K) return NODE_STEPS_200K;
    return {NODE_STEPS_200K.lon * NODE_STEP_FACTOR_SMALL_SCALE,
            NODE_STEPS_200K.lat * NODE_STEP_FACTOR_SMALL_SCALE};
}

Outcome writeAreaAndNodeLayers(const SheetParameters& p, const std::string& sheetName,
                               const SheetCorners& corners, const AngleSteps& densify,
                               const AngleSteps& nodes, std::vector<double>& workX,
                               std::vector<double>& workY) {
    // HypsA is closed before HypsP is opened.
    if (Outcome area = writeArea(p, sheetName, corners, densify, workX, workY); !area) return area;
    return writeNodes(p, nodes);
}

Outcome writeGraticuleLayer(const SheetParameters& p, const DrawingRect& rect,
                            const AngleSteps& densify, const std::vector<double>& workX,
                            const std::vector<double>& workY, std::vector<double>& parallels,
                            std::vector<double>& meridians) {
    parallels.clear();
    meridians.clear();
    const std::vector<Point> outline = outlinePoints(workX, workY);
    const std::pair<Graticule, Graticule> families = graticuleFamilies(p, rect, densify);
    return writeLayer(p, "HypsL", SHAPE_ARC, lineFields(), [&](Layer& layer) {
        return writeLineFeature(layer, graticuleAttributes(HYPS_KIND_OUTLINE, 0.0), workX, workY) ==
                   ShapeStatus::Written &&
               writeGraticule(p, families.first, outline, layer, parallels) &&
               writeGraticule(p, families.second, outline, layer, meridians) &&
               writePolarCircle(p, rect, densify.lon, outline, layer);
    });
}

Outcome writeHypsLayers(const SheetParameters& p, const std::string& sheetName,
                        const DrawingRect& rect, const SheetCorners& corners, double lonStep,
                        double latStep, std::vector<double>& workX, std::vector<double>& workY,
                        std::vector<double>& parallels, std::vector<double>& meridians) {
    const AngleSteps densify{lonStep, latStep};
    if (Outcome areaAndNodes = writeAreaAndNodeLayers(p, sheetName, corners, densify,
                                                      hypsNodeSteps(p.setScale), workX, workY);
        !areaAndNodes) {
        return areaAndNodes;
    }
    return writeGraticuleLayer(p, rect, densify, workX, workY, parallels, meridians);
}

}  // namespace sheetbasis
