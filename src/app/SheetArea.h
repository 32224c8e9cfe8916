#pragma once
// Areas of a sheet set: a box of longitudes and latitudes ("bbox:W,S,E,N") or a point
// ("at:LON,LAT"), and which trapezoids of the nomenclature they take.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "geo/Geometry.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {

// Longitudes on the program's 0..360 scale: west in 0..360, east above it by at most 360,
// so that a box across 180 or 0 degrees runs on eastward. A point has east = west and
// north = south.
struct LonLatArea {
    double west = 0.0;
    double east = 0.0;
    double south = 0.0;
    double north = 0.0;
    bool point = false;
};

struct AreaReading {
    std::optional<LonLatArea> area;
    std::string error;  // when there is no area
};

// How many comma-separated pieces after the first one an area item takes (3 for a box,
// 1 for a point), or nothing when the piece begins no area item.
std::optional<std::size_t> areaPiecesAfter(std::string_view firstPiece);

// Reads a whole area item. Each angle is a decimal number of degrees or an angle as a job
// file writes one ("36°30'"), with a minus sign for west or south; longitudes -180..360,
// latitudes -90..90.
AreaReading readAreaItem(std::string_view item);

// Whether the area takes the trapezoid: a box when they share area, a point when it lies in
// it or on its west or south edge (a point on an edge belongs to the trapezoid east and
// north of it). Edges within grid tolerance of each other count as one.
bool areaTakes(const LonLatArea& area, const DrawingRect& t);

// Whether the area lies wholly in the trapezoid, a point also not on its east or north edge.
bool areaWithin(const LonLatArea& area, const DrawingRect& t);

}  // namespace sheetbasis
