#include "qgis/AtlasProject.h"

#include <algorithm>
#include <optional>

#include "geo/ConformalConic.h"
#include "qgis/LayerSystem.h"
#include "qgis/QgisStyle.h"
#include "qgis/SheetProject.h"

namespace sheetbasis {
namespace {

constexpr const char* LAYOUT_NAME = "Sheets";
constexpr const char* MAP_ID = "map";
constexpr const char* FRAME_MAP_ID = "frame";
constexpr double MILLIMETRES_PER_METRE = 1000.0;
// The index's outlines in the project's own map (mm).
constexpr double INDEX_OUTLINE_MM = 0.3;
// A feature is drawn on the page of the sheet it belongs to; the atlas names each page
// after its sheet.
constexpr const char* SHEET_FILTER = "\"Sheet\" = @atlas_pagename";
constexpr const char* PAGE_NAME = "Nom";
// The sheet's name above its frame, taken from the page's feature.
constexpr const char* TITLE_EXPRESSION = "[% \"Nom\" %]";

std::vector<std::string> namesOf(const std::vector<ProjectLayer>& layers, bool frame) {
    std::vector<std::string> names;
    for (const ProjectLayer& layer : layers) {
        if ((layer.subFolder == "FRAME") == frame) names.push_back(layer.name);
    }
    return names;
}

// The page and the place of the sheets on it: the largest sheet's box, centred as a sheet's
// own project centres it. Smaller sheets lie about the same middle.
struct AtlasPage {
    AreaOnPage at;
    PlaneBox largest;
};

AtlasPage atlasPage(const AtlasProjectRequest& request) {
    PlaneBox largest;
    for (const DrawingRect& rect : request.sheets) {
        if (const auto projection = sheetProjectionOf(request.cs, rect)) {
            const PlaneBox box = projectedExtent(*projection, rect);
            largest.xMax = std::max(largest.xMax, box.xMax - box.xMin);
            largest.yMax = std::max(largest.yMax, box.yMax - box.yMin);
        }
    }
    return {sheetOnPage(largest, request.denominator, request.paper), largest};
}

// The two maps of the page: the sheet's own features, drawn only inside its outline, and
// over them its frame, whole. Each map is as high as to have its middle where the largest
// sheet's middle lies, where the atlas puts the middle of each page's sheet.
std::string atlasMaps(const AtlasProjectRequest& request, const AtlasPage& page,
                      const PlaneBox& first) {
    const double metresPerMm = request.denominator / MILLIMETRES_PER_METRE;
    const double middleMm = page.at.topMm + page.largest.yMax / metresPerMm / 2.0;
    const double firstWidthMm = (first.xMax - first.xMin) / metresPerMm;
    const double firstHeightMm = (first.yMax - first.yMin) / metresPerMm;
    const AreaOnPage at{{page.at.page.widthMm, 2.0 * middleMm},
                        (page.at.page.widthMm - firstWidthMm) / 2.0,
                        middleMm - firstHeightMm / 2.0};
    const std::string crs = atlasProjectionExpression(request.cs);
    std::string maps =
        layoutMapItem({MAP_ID, namesOf(request.layers, false), {}, 1, AtlasMap{crs, true}}, first,
                      request.denominator, at);
    if (const std::vector<std::string> frame = namesOf(request.layers, true); !frame.empty()) {
        maps += layoutMapItem({FRAME_MAP_ID, frame, {}, 3, AtlasMap{crs, false}}, first,
                              request.denominator, at);
    }
    return maps;
}

}  // namespace

std::string atlasProjectionExpression(CoordinateSystem cs) {
    const std::optional<GeographicSystem> g = geographicSystemOf(projectionText(cs));
    const std::optional<ShiftToWgs84> shift = shiftToWgs84(cs);
    if (!g || !shift) return {};
    // As sheetProjectionOf: true to scale a sixth of the height in from the edges.
    return "with_variable('s', y_min(@atlas_geometry), with_variable('n', "
           "y_max(@atlas_geometry), with_variable('m', (x_min(@atlas_geometry) + "
           "x_max(@atlas_geometry)) / 2, 'PROJ:+proj=lcc +lat_0=' || to_string((@s + @n) / 2) "
           "|| ' +lat_1=' || to_string(@s + (@n - @s) / 6) || ' +lat_2=' || "
           "to_string(@n - (@n - @s) / 6) || ' +lon_0=' || to_string(@m) || ' +x_0=0 +y_0=0 "
           "+a=" +
           decimalText(g->semiMajorAxis) + " +rf=" + decimalText(g->inverseFlattening) +
           " +towgs84=" + shiftValues(*shift) + " +units=m +no_defs')))";
}

std::string atlasProjectDocument(const AtlasProjectRequest& request) {
    const std::optional<GeographicSystem> g = geographicSystemOf(projectionText(request.cs));
    const std::optional<ShiftToWgs84> shift = shiftToWgs84(request.cs);
    if (!g || !shift || request.sheets.empty()) return {};
    const DrawingRect& firstRect = request.sheets.front();
    const std::optional<LambertConformalConic> projection =
        sheetProjectionOf(request.cs, firstRect);
    if (!projection) return {};
    double west = firstRect.west;
    double east = firstRect.east;
    for (const DrawingRect& rect : request.sheets) {
        west = std::min(west, rect.west);
        east = std::max(east, rect.east);
    }
    std::vector<ProjectLayer> layers{ProjectLayer(
        request.indexLayer, {}, "Polygon",
        {StyleGeometry::Polygon, singleSymbolRenderer(outlineSymbol("0", INDEX_OUTLINE_MM)), {}})};
    for (const ProjectLayer& layer : request.layers) {
        layers.push_back(layer);
        layers.back().style = limitedTo(layer.style, SHEET_FILTER);
    }
    for (ProjectLayer& layer : layers) {
        layer.source = "./" + request.fileName + "|layername=" + layer.name;
    }
    const AtlasPage page = atlasPage(request);
    const double metresPerMm = request.denominator / MILLIMETRES_PER_METRE;
    const MarginTexts texts = marginTexts(TITLE_EXPRESSION, request.cs, request.denominator);
    const std::string items =
        atlasMaps(request, page, projectedExtent(*projection, firstRect)) +
        marginItems(texts, page.at, page.largest.yMax / metresPerMm, request.denominator) +
        layoutAtlas(request.indexLayer, PAGE_NAME);
    return projectDocument(request.title, layers, layerSystemText(*g, *shift, (west + east) / 2.0),
                           sheetProjectionText(request.cs, *projection),
                           layoutXml(LAYOUT_NAME, page.at.page, items));
}

}  // namespace sheetbasis
