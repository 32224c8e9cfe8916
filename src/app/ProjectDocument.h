#pragma once
// The parts of a project file of the users' GIS that every project of the program shares:
// the entries of its shapefile layers, and a print layout of one page that shows an area of
// the project's plane at a given scale.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "output/QgisStyle.h"

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

// A layout called name: one page exactly as large as its map item, which shows area at the
// scale 1:denominator with a white margin all round.
std::string layoutXml(std::string_view name, const PlaneBox& area, double denominator);

// The whole project: the layers (top of the drawing order first, each read from
// "./<subFolder>/<name>.shp" in the system layerWkt), the project's own system projectWkt
// and the layouts.
std::string projectDocument(const std::string& title, const std::vector<ProjectLayer>& layers,
                            const std::string& layerWkt, const std::string& projectWkt,
                            const std::string& layoutsXml);

}  // namespace sheetbasis
