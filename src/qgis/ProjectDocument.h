#pragma once
// The parts of a project file of the users' GIS that every project of the program shares:
// the entries of its shapefile layers, and a print layout of one page that shows an area of
// the project's plane at a given scale.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "qgis/QgisStyle.h"

namespace sheetbasis {

struct ProjectLayer {
    ProjectLayer(std::string layerName, std::string folder, std::string geometryName,
                 LayerStyle layerStyle, std::string layerActions = {})
        : name(std::move(layerName)),
          subFolder(std::move(folder)),
          geometry(std::move(geometryName)),
          style(std::move(layerStyle)),
          actions(std::move(layerActions)) {}

    std::string name;
    std::string subFolder;  // the folder of the layer beside the project ("HYPS", "FRAME")
    std::string geometry;   // "Point", "Line" or "Polygon"
    LayerStyle style;
    std::string actions;  // the layer's actions element, or "" for none
    // Where the layer is read from when not from its shapefile beside the project: a data
    // source of the GIS's vector provider ("./set.gpkg|layername=HypsA").
    std::string source;
};

// A rectangle of the project's plane, in its units (metres).
struct PlaneBox {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
};

// Font weight of bold text as the users' GIS writes it.
inline constexpr int LAYOUT_WEIGHT_BOLD = 75;

// A page of a layout, in millimetres.
struct LayoutPage {
    double widthMm = 0.0;
    double heightMm = 0.0;
};

// Where an area of the plane lies on a page: the page, and the place of the area's upper
// left corner (its least x, greatest y) from the page's upper left corner (mm, y down).
struct AreaOnPage {
    LayoutPage page;
    double leftMm = 0.0;
    double topMm = 0.0;
};

// Where the point (x, y) of the plane lies on the page that shows the area at at, at the
// scale 1:denominator (mm from the page's upper left corner, y down).
struct PagePoint {
    double xMm = 0.0;
    double yMm = 0.0;
};
PagePoint pagePointOf(double x, double y, const PlaneBox& area, double denominator,
                      const AreaOnPage& at);

// The identifier a project gives the layer named layerName.
std::string layerIdOf(std::string_view layerName);

// A map item as large as the page that shows the area at at, at the scale 1:denominator.
// It draws the project's layers, or only those named in layerNames (top first) when there
// are any; when clipItem names a layout item (its id), the map is drawn only inside it.
// An atlas map keeps its scale and centres each page's feature; the expression crs, when
// given, makes the map's system for each page (a text such as "PROJ:+proj=..."), and
// clipToAtlasFeature draws the map only inside the page's feature.
struct AtlasMap {
    std::string crsExpression;
    bool clipToAtlasFeature = false;
};
struct LayoutMap {
    std::string id;
    std::vector<std::string> layerNames;
    std::string clipItem;
    int zValue = 1;
    std::optional<AtlasMap> atlas;
};
std::string layoutMapItem(const LayoutMap& map, const PlaneBox& area, double denominator,
                          const AreaOnPage& at);

// A polygon item with the corners given, drawn with nothing: an outline other items refer
// to.
std::string layoutOutlineItem(std::string_view id, const std::vector<PagePoint>& corners);

// A text item of a layout, centred in its box (position and size in millimetres).
struct LayoutText {
    std::string id;
    std::string text;
    double xMm = 0.0;
    double yMm = 0.0;
    double widthMm = 0.0;
    double heightMm = 0.0;
    int sizePt = 0;
    int weight = 0;  // 0: regular
};
std::string layoutTextItem(const LayoutText& item, std::string_view family);

// The atlas of a layout: a page for each feature of the coverage layer (named as the
// project names it), in the order of pageName, which names each page; the coverage layer
// itself is not drawn on the pages.
std::string layoutAtlas(std::string_view coverageLayer, std::string_view pageName);

// A layout called name of one page; items (maps, texts) lie on it.
std::string layoutXml(std::string_view name, const LayoutPage& page, std::string_view items);

// The layout's identifier of the item with the id given.
std::string layoutUuidOf(std::string_view id);

// The opening of a project document: its document type, then marker (a comment that tells
// who wrote it and why, or "").
std::string projectHead(std::string_view marker);

// The whole project: the layers (top of the drawing order first, each read from its source
// or else "./<subFolder>/<name>.shp", in the system layerWkt), the project's own system projectWkt,
// the layouts, and the head's marker.
std::string projectDocument(const std::string& title, const std::vector<ProjectLayer>& layers,
                            const std::string& layerWkt, const std::string& projectWkt,
                            const std::string& layoutsXml, std::string_view marker = {});

}  // namespace sheetbasis
