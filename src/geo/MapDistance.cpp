#include "geo/MapDistance.h"

#include <cmath>

namespace sheetbasis {
namespace {

// Degrees of a half and a whole turn, used with the truncated pi.
constexpr double DEGREES_PER_HALF_TURN = 180.0;
constexpr double DEGREES_PER_TURN = 360.0;

double groundKilometres(const MapOnSphere& map, double s) {
    return s / MILLIMETRES_PER_KILOMETRE * map.denominator;
}

}  // namespace

double latitudeAfterMapDistance(const MapOnSphere& map, double lat0, double s) {
    const double x =
        groundKilometres(map, s) / (map.radiusKm * PI_TRUNCATED) * DEGREES_PER_HALF_TURN;
    return lat0 + x;
}

double longitudeAfterMapDistance(const MapOnSphere& map, double lon0, double lat, double s) {
    const double r = std::cos(lat / DEGREES_PER_TURN * 2.0 * PI_TRUNCATED) * map.radiusKm;
    const double x = groundKilometres(map, s) / (r * PI_TRUNCATED) * DEGREES_PER_HALF_TURN;
    return lon0 + x;
}

}  // namespace sheetbasis
