#pragma once
// The files that make the result open in the users' GIS as a finished sheet: a style file
// beside every layer written and a project named after the sheet in the result folder,
// whose print layout shows the whole frame at the map scale.

#include <optional>
#include <string>
#include <string_view>

#include "geo/ConformalConic.h"
#include "geo/Geometry.h"
#include "output/Outcome.h"
#include "output/SheetLayers.h"
#include "qgis/ProjectDocument.h"
#include "sheet/SheetParameters.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {

// The projected system in which the layout shows the sheet: a conformal conic on the
// sheet's own ellipsoid, true to scale on two parallels at a sixth of the sheet's height
// from its edges, so that map millimetres measured on the sphere by the frame layers are
// millimetres on paper everywhere on the sheet. Nothing for a coordinate system without a
// projection text: there is no datum to build on.
std::optional<LambertConformalConic> sheetProjectionOf(CoordinateSystem cs,
                                                       const DrawingRect& rect);
// The rectangle of the plane that holds the trapezoid rect.
PlaneBox projectedExtent(const LambertConformalConic& projection, const DrawingRect& rect);
// The definition of that system, on the datum of the layers' projection files tied to WGS 84
// as the layers are in the project (shiftToWgs84); empty for a system without projection text.
std::string sheetProjectionText(CoordinateSystem cs, const LambertConformalConic& projection);

// The texts a printed sheet carries outside its frame.
struct MarginTexts {
    std::string title;   // above the frame
    std::string scale;   // below it
    std::string words;   // the scale in words, below the scale
    std::string system;  // below the scale bar
};
MarginTexts marginTexts(const std::string& title, CoordinateSystem cs, double denominator);

// The box (mm) that the frame with the texts round it takes on paper, and where on a page
// of the paper chosen that box puts the sheet whose plane extent is given.
AreaOnPage sheetOnPage(const PlaneBox& extent, double denominator, Paper paper);

// The sheet's name in the band above the frame; the scale, the scale in words, the scale
// bar (of the map item "map") and the coordinate system in the band below it; each text
// the page's width wide. The sheet lies at at and is areaHeightMm high on paper.
std::string marginItems(const MarginTexts& texts, const AreaOnPage& at, double areaHeightMm,
                        double denominator);

// The project of a sheet named sheetName whose HYPS folder is hypsFolder: beside that
// folder, in the folder that holds it.
std::string sheetProjectPath(const std::string& hypsFolder, std::string_view sheetName);

// Writes the styles of the layers that the sheet's map scale gives, beside them in their
// folders, and the project "<sheetName>.qgs" in the folder that holds both. Fails when a
// file cannot be written or the coordinate system has no projection text.
Outcome writeQgisFiles(const SheetParameters& p, const LayerFolders& folders,
                       const std::string& sheetName, const DrawingRect& rect);

}  // namespace sheetbasis
