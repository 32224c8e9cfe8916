#pragma once
// A trapezoid of the graticule, by its edges, with the steps of the graticule and of the
// minute scale drawn in it.

#include <cstdint>

namespace sheetbasis {

// Four edges in degrees: longitudes on the 0..360 scale (an east edge may pass 360) and
// latitudes. The layers of a sheet are drawn in such a rectangle.
struct DrawingRect {
    double west = 0.0;
    double east = 0.0;
    double south = 0.0;
    double north = 0.0;
    bool operator==(const DrawingRect&) const = default;
};

// The base trapezoid of a sheet (its nominal extent and default steps) or the result
// trapezoid that is generated. The job file and the refine dialog call the edges xFrom, xTo,
// yFrom and yTo.
struct Trapezoid {
    DrawingRect edges;
    double meridianStep = 0.0;  // degrees between graticule meridians
    std::int32_t xMinute = 0;   // minute-scale division along longitude, whole minutes
    double parallelStep = 0.0;  // degrees between graticule parallels
    std::int32_t yMinute = 0;   // minute-scale division along latitude, whole minutes
    bool operator==(const Trapezoid&) const = default;
};

}  // namespace sheetbasis
