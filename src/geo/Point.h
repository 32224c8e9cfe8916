#pragma once
// A point of the plane or of the ellipsoid: x = longitude, y = latitude in degrees
// wherever the system works in degrees, or plane coordinates where a routine says so.

namespace sheetbasis {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

}  // namespace sheetbasis
