#include "app/SheetArea.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "sheet/AngleText.h"
#include "sheet/Cp1251.h"
#include "sheet/Grid.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

constexpr std::string_view BOX_MARK = "bbox:";
constexpr std::string_view POINT_MARK = "at:";
constexpr std::size_t BOX_ANGLES = 4;
constexpr std::size_t POINT_ANGLES = 2;
constexpr char SEPARATOR = ',';
constexpr double FULL_CIRCLE = 360.0;
// West longitudes may be given as negative ones from -180 or on the 0..360 scale.
constexpr double LEAST_LONGITUDE = -180.0;
constexpr double GREATEST_LONGITUDE = 360.0;
constexpr double POLE_LATITUDE = 90.0;
// Edges within grid tolerance of a sheet's edge count as on it: a box must be wider and
// higher than two tolerances to share area with at least one sheet wherever it lies.
constexpr double LEAST_EXTENT = 2.0 * GRID_TOLERANCE;
constexpr std::string_view BOX_FORM =
    "bbox:W,S,E,N takes four angles: longitudes -180..360 and latitudes -90..90";
constexpr std::string_view POINT_FORM =
    "at:LON,LAT takes a longitude -180..360 and a latitude -90..90";

// Degrees as a decimal number ("36.5") or as a job file's angle ("36°30'", "36 30"), after
// an optional minus sign.
std::optional<double> angleOf(std::string_view piece) {
    const std::string text = trimBoth(piece);
    const bool negative = text.starts_with('-');
    const std::string_view magnitude = std::string_view(text).substr(negative ? 1 : 0);
    if (magnitude.empty() || magnitude.front() == '-' || magnitude.front() == '+') {
        return std::nullopt;
    }
    double value = 0.0;
    const char* end = magnitude.data() + magnitude.size();
    const auto [stop, error] = std::from_chars(magnitude.data(), end, value);
    if (error != std::errc{} || stop != end) {
        const std::optional<std::string> angleText = utf8ToCp1251(magnitude);
        if (!angleText || angleTextToDegrees(*angleText, value) != AngleTextStatus::Read) {
            return std::nullopt;
        }
    }
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

// The comma-separated angles after the mark; exactly count of them.
std::optional<std::vector<double>> anglesOf(std::string_view list, std::size_t count) {
    std::vector<double> angles;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(list.find(SEPARATOR, start), list.size());
        const auto angle = angleOf(list.substr(start, end - start));
        if (!angle) return std::nullopt;
        angles.push_back(*angle);
        if (end == list.size()) break;
        start = end + 1;
    }
    if (angles.size() != count) return std::nullopt;
    return angles;
}

bool isLongitude(double lon) {
    return lon >= LEAST_LONGITUDE && lon <= GREATEST_LONGITUDE;
}

bool isLatitude(double lat) {
    return std::fabs(lat) <= POLE_LATITUDE;
}

// The longitude on the 0..360 scale.
double onProgramScale(double lon) {
    return lon < 0.0 ? lon + FULL_CIRCLE : lon;
}

AreaReading failed(std::string_view why) {
    return {std::nullopt, std::string(why)};
}

AreaReading readBox(std::string_view list) {
    const auto angles = anglesOf(list, BOX_ANGLES);
    if (!angles) return failed(BOX_FORM);
    const double west = (*angles)[0];
    const double south = (*angles)[1];
    const double east = (*angles)[2];
    const double north = (*angles)[3];
    if (!isLongitude(west) || !isLongitude(east) || !isLatitude(south) || !isLatitude(north)) {
        return failed(BOX_FORM);
    }
    if (north - south <= LEAST_EXTENT) {
        return failed("the box has no height: its north edge must lie north of its south edge");
    }
    LonLatArea area{onProgramScale(west), onProgramScale(east), south, north, false};
    area.west = std::fmod(area.west, FULL_CIRCLE);
    // An east edge west of the west edge lies beyond 180 or 0 degrees.
    double width = std::fmod(area.east - area.west + FULL_CIRCLE, FULL_CIRCLE);
    if (width <= LEAST_EXTENT) {
        // The same meridian twice: no width, or the whole circle when it was given so.
        if (std::fabs(east - west) < FULL_CIRCLE - LEAST_EXTENT) {
            return failed("the box has no width: its west and east edges are one meridian");
        }
        width = FULL_CIRCLE;
    }
    area.east = area.west + width;
    return {area, {}};
}

AreaReading readPoint(std::string_view list) {
    const auto angles = anglesOf(list, POINT_ANGLES);
    if (!angles || !isLongitude((*angles)[0]) || !isLatitude((*angles)[1])) {
        return failed(POINT_FORM);
    }
    const double lon = std::fmod(onProgramScale((*angles)[0]), FULL_CIRCLE);
    return {LonLatArea{lon, lon, (*angles)[1], (*angles)[1], true}, {}};
}

// a < b by more than the grid tolerance.
bool clearlyBelow(double a, double b) {
    return a < b && !equalOnGrid(a, b);
}

bool notBelow(double a, double b) {
    return !clearlyBelow(a, b);
}

// The area (west edge 0..360) and a trapezoid (0..366) can meet with the trapezoid as it is
// or moved by a whole circle east or west.
constexpr std::array<double, 3> CIRCLE_SHIFTS = {-FULL_CIRCLE, 0.0, FULL_CIRCLE};

}  // namespace

std::optional<std::size_t> areaPiecesAfter(std::string_view firstPiece) {
    const std::string piece = trimBoth(firstPiece);
    if (piece.starts_with(BOX_MARK)) return BOX_ANGLES - 1;
    if (piece.starts_with(POINT_MARK)) return POINT_ANGLES - 1;
    return std::nullopt;
}

AreaReading readAreaItem(std::string_view item) {
    if (item.starts_with(BOX_MARK)) return readBox(item.substr(BOX_MARK.size()));
    if (item.starts_with(POINT_MARK)) return readPoint(item.substr(POINT_MARK.size()));
    return failed("not an area");
}

bool areaTakes(const LonLatArea& area, const DrawingRect& t) {
    for (const double shift : CIRCLE_SHIFTS) {
        const double west = t.west + shift;
        const double east = t.east + shift;
        const bool takes =
            area.point ? notBelow(area.west, west) && clearlyBelow(area.west, east) &&
                             notBelow(area.south, t.south) && clearlyBelow(area.south, t.north)
                       : clearlyBelow(west, area.east) && clearlyBelow(area.west, east) &&
                             clearlyBelow(t.south, area.north) && clearlyBelow(area.south, t.north);
        if (takes) return true;
    }
    return false;
}

bool areaWithin(const LonLatArea& area, const DrawingRect& t) {
    if (area.point) return areaTakes(area, t);
    for (const double shift : CIRCLE_SHIFTS) {
        if (notBelow(area.west, t.west + shift) && notBelow(t.east + shift, area.east) &&
            notBelow(area.south, t.south) && notBelow(t.north, area.north)) {
            return true;
        }
    }
    return false;
}

}  // namespace sheetbasis
