#pragma once
// The project stored inside a set's GeoPackage: the set's layers and its index read from
// that file, and a print layout whose atlas prints each sheet of the index on its own page,
// in the sheet's own projection at the map scale, with only that sheet's features drawn and
// the texts of a sheet's own project round it.

#include <string>
#include <vector>

#include "qgis/ProjectDocument.h"
#include "sheet/CoordinateSystem.h"
#include "sheet/Paper.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {

struct AtlasProjectRequest {
    std::string title;
    // The file as the layers' sources name it, relative to the project's home.
    std::string fileName;
    CoordinateSystem cs = CoordinateSystem::Sk42;
    double denominator = 0.0;
    Paper paper = Paper::SmallestIso;
    // The layers of the file with their styles, top of the drawing order first; subFolder
    // tells the frame's ("FRAME") from the others. Each layer's column "Sheet" names the
    // sheet a feature belongs to.
    std::vector<ProjectLayer> layers;
    // The index: a polygon layer of the file with one outline per sheet and its name in
    // "Nom", the atlas's coverage.
    std::string indexLayer;
    // The sheets' rectangles (degrees): the page is made for the largest.
    std::vector<DrawingRect> sheets;
};

// The expression that gives an atlas page's map the projection of the sheet whose outline
// is the page's feature: the conic of sheetProjectionOf built from the outline's bounds, as
// a PROJ text with the datum shift of cs.
std::string atlasProjectionExpression(CoordinateSystem cs);

// The whole project document; empty when cs has no projection text or there are no sheets.
std::string atlasProjectDocument(const AtlasProjectRequest& request);

}  // namespace sheetbasis
