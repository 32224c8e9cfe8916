#pragma once
// The Lambert conformal conic projection with two standard parallels on an ellipsoid, in
// which a sheet's print layout is laid out.
//
// Method and source: Snyder, Map Projections: A Working Manual (USGS Professional Paper
// 1395, 1987), equations 15-1, 15-2, 15-7 to 15-11 (forward, ellipsoid). Accuracy: exact
// formulas; reproduces the manual's worked example (p. 296) to 0.1 m, the precision it is
// printed with (tests/geo/ConformalConicTest.cpp).

#include "geo/Point.h"

namespace sheetbasis {

// Angles in degrees, the semi-major axis in metres. Longitudes may be given on either
// scale (-180..180 or 0..360): they are taken relative to the central meridian.
struct LambertConformalConic {
    double centralMeridian = 0.0;
    double originLatitude = 0.0;
    double standardParallel1 = 0.0;
    double standardParallel2 = 0.0;
    double semiMajorAxis = 0.0;
    double inverseFlattening = 0.0;
};

// Projected metres (x east, y north of the origin) of a longitude and latitude in degrees.
Point projectLambertConformalConic(const LambertConformalConic& projection, const Point& lonLat);

// The difference lon - centre in degrees folded into -180..180: a sheet's east edge may pass
// 360 on the program's longitude scale.
double longitudeFromCentre(double lon, double centre);

}  // namespace sheetbasis
