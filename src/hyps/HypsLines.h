#pragma once
// Densified lines along parallels and meridians, and the closed outline of a trapezoid
// built from them.

#include <cstddef>

#include "geo/Geometry.h"
#include "sheet/Trapezoid.h"
#include "geo/LayerFeatures.h"
#include "sheet/Grid.h"

namespace sheetbasis {

// Appends the vertices (a, y), (a + d, y), ... short of (b, y), d = s towards b, and
// (b, y) itself when includeEnd is set. A vertex within grid tolerance of b counts as b.
// Returns the number of vertices appended. A step that is not positive gives the bare
// ends, as no run of such steps could reach b; a bound that is not finite gives nothing.
std::size_t appendParallel(double y, double a, double b, double s, bool includeEnd, Line& line);
// The same along the meridian x: vertices (x, a + n*d).
std::size_t appendMeridian(double x, double a, double b, double s, bool includeEnd, Line& line);
// The closed clockwise ring of the trapezoid (north edge west to east, east edge, south
// edge, west edge back to the north-west corner), densified by the steps.
Line trapezoidRing(const DrawingRect& trapezoid, const AngleSteps& steps);

}  // namespace sheetbasis
