#pragma once
// The datum shift of the combined coordinate system: a sheet laid out in SK-42 (Pulkovo
// 1942, Krasovsky 1940 ellipsoid) is drawn in GSK-2011.
//
// Method: geodetic to geocentric on the Krasovsky ellipsoid, the published seven-parameter
// Helmert transformation SK-42 -> GSK-2011 in the coordinate-frame convention (a positive
// rotation turns the axes, not the point), and back to geodetic on the GSK-2011 ellipsoid
// by the classic latitude iteration of GOST R 51794, converged to 1e-13 rad.
// Accuracy: agrees with PROJ's pipeline of the same parameters (cct) within 1e-8 degree,
// about a millimetre on the ground, over the whole globe between 36 and 88 degrees north
// (tests/geo/DatumShiftTest.cpp); the parameters themselves carry the datums' own
// accuracy, some metres.

#include "geo/Point.h"

namespace sheetbasis {

// Carries a point (longitude, latitude in degrees, height 0) from the SK-42 datum to
// GSK-2011; the longitude comes back on the 0..360 scale.
Point sk42ToGsk2011(Point p);

}  // namespace sheetbasis
