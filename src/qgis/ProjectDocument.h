#pragma once
// The parts of a project file of the users' GIS that every project of the program shares:
// the entries of its shapefile layers, and a print layout of one page that shows an area of
// the project's plane at a given scale.

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
};

// A rectangle of the project's plane, in its units (metres).
struct PlaneBox {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
};

// White paper around the area on a layout page, in millimetres: room for a sheet's frame
// (outer line up to 9.8 mm out) and the labels beyond it, and for texts above and below.
inline constexpr double PAGE_MARGIN_MM = 25.0;
// Font weight of bold text as the users' GIS writes it.
inline constexpr int LAYOUT_WEIGHT_BOLD = 75;

// The page of a layout that shows area at the scale 1:denominator with the margin all round.
struct LayoutPage {
    double widthMm = 0.0;
    double heightMm = 0.0;
};
LayoutPage layoutPageOf(const PlaneBox& area, double denominator);

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

// A layout called name: one page (layoutPageOf) exactly as large as its map item, which
// shows area at the scale 1:denominator; pageItems (such as text items) lie on the page
// above the map.
std::string layoutXml(std::string_view name, const PlaneBox& area, double denominator,
                      std::string_view pageItems = {});

// The opening of a project document: its document type, then marker (a comment that tells
// who wrote it and why, or "").
std::string projectHead(std::string_view marker);

// The whole project: the layers (top of the drawing order first, each read from
// "./<subFolder>/<name>.shp" in the system layerWkt), the project's own system projectWkt,
// the layouts, and the head's marker.
std::string projectDocument(const std::string& title, const std::vector<ProjectLayer>& layers,
                            const std::string& layerWkt, const std::string& projectWkt,
                            const std::string& layoutsXml, std::string_view marker = {});

}  // namespace sheetbasis
