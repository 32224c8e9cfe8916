#pragma once
// The files that make the result open in the users' GIS as a finished sheet: a style file
// beside every layer written and a project named after the sheet in the result folder,
// whose print layout shows the whole frame at the map scale.

#include <optional>
#include <string>

#include "app/ProjectDocument.h"
#include "output/Geometry.h"
#include "output/Outcome.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// The projected system in which the layout shows the sheet: a conformal conic on the
// sheet's own ellipsoid, true to scale on two parallels at a sixth of the sheet's height
// from its edges, so that map millimetres measured on the sphere by the frame layers are
// millimetres on paper everywhere on the sheet.
struct SheetProjection {
    double centralMeridian = 0.0;
    double originLatitude = 0.0;
    double standardParallel1 = 0.0;
    double standardParallel2 = 0.0;
    double semiMajorAxis = 0.0;
    double inverseFlattening = 0.0;
};

// Nothing for a coordinate system without a projection text: there is no datum to build on.
std::optional<SheetProjection> sheetProjectionOf(std::int32_t cs, const DrawingRect& rect);
// Projected metres of a longitude and latitude in degrees.
Point projectToSheetPlane(const SheetProjection& projection, const Point& lonLat);
// The rectangle of the plane that holds the trapezoid rect.
PlaneBox projectedExtent(const SheetProjection& projection, const DrawingRect& rect);
// The definition of that system, on the datum of the layers' projection files.
std::string sheetProjectionText(std::int32_t cs, const SheetProjection& projection);

// Writes the styles of the layers that the sheet's map scale gives, beside them in p.path
// and p.outputFolder, and the project "<sheetName>.qgs" in the folder that holds both.
// Fails when a file cannot be written or the coordinate system has no projection text.
Outcome writeQgisFiles(const SheetParameters& p, const std::string& sheetName,
                       const DrawingRect& rect);

}  // namespace sheetbasis
