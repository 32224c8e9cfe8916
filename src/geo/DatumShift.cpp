#include "geo/DatumShift.h"

#include <cmath>

namespace sheetbasis {
namespace {

// Constants kept at exactly these stored values: the worked values of the layers depend
// on every bit of them.

// Angle units.
constexpr double DEG_TO_RAD = 0.017453292519943295;  // rad per degree, pi/180
constexpr double RAD_TO_DEG = 57.29577951308232;     // degree per rad, 180/pi
constexpr double HALF_PI = 1.5707963267948966;       // rad
constexpr double PI = 3.141592653589793;             // rad
constexpr double TWO_PI = 6.283185307179586;         // rad

// Source ellipsoid: Krasovsky 1940, the ellipsoid of SK-42.
constexpr double SK42_A = 6378245.0;                      // semi-major axis, m
constexpr double SK42_E2 = 0.006693421622965862;          // first eccentricity squared
constexpr double SK42_ONE_MINUS_E2 = 0.9933065783770342;  // 1 - e^2, stored on its own

// Target ellipsoid: GSK-2011 (a = 6378136.5 m, 1/f = 298.2564151).
constexpr double GSK2011_E2 = 0.006694398105662064;  // first eccentricity squared
constexpr double GSK2011_A_E2 = 42697.78490325407;   // a * e^2, m, stored on its own

// Seven-parameter (Helmert) transformation SK-42 -> GSK-2011 of geocentric coordinates,
// from the published parameter set (shifts in m, rotations in arc-seconds, scale in ppm;
// the rotations and the scale are kept here converted to rad and to a factor). The
// rotations follow the coordinate-frame convention: a positive angle turns the axes, not
// the point, so X' = (1 + m) * (X + wz*Y - wy*Z) + dX and so on.
constexpr double SHIFT_X = 23.56;                 // m
constexpr double SHIFT_Y = -140.86;               // m
constexpr double SHIFT_Z = -79.77;                // m
constexpr double ROT_X = -8.426061777683734e-9;   // rad (-0.001738")
constexpr double ROT_Y = -1.6795933649726876e-6;  // rad (-0.346441")
constexpr double ROT_Z = -3.850695687991034e-6;   // rad (-0.794263")
constexpr double SCALE = 0.9999997726;            // 1 + m, m = -0.2274 ppm

// Latitude iteration: converged when two passes differ by at most this (rad, about
// 0.6 micrometre on the ground).
constexpr double LATITUDE_TOLERANCE = 1e-13;
// Points of the Earth's surface converge in four to six passes; the cap only keeps
// pathological input (far from the ellipsoid, where the series need not settle to
// 1e-13) from looping forever.
constexpr int LATITUDE_MAX_PASSES = 1000;

struct Geocentric {
    double x;
    double y;
    double z;
};

Geocentric sk42ToGeocentric(double lon, double lat) {
    const double sinB = std::sin(lat);
    const double n = SK42_A / std::sqrt(1.0 - SK42_E2 * sinB * sinB);
    return {n * std::cos(lat) * std::cos(lon), n * std::cos(lat) * std::sin(lon),
            n * SK42_ONE_MINUS_E2 * sinB};
}

Geocentric helmertSk42ToGsk2011(const Geocentric& g) {
    return {SCALE * (g.x + ROT_Z * g.y - ROT_Y * g.z) + SHIFT_X,
            SCALE * (g.y - ROT_Z * g.x + ROT_X * g.z) + SHIFT_Y,
            SCALE * (g.z + ROT_Y * g.x - ROT_X * g.y) + SHIFT_Z};
}

// Longitude on the 0..2pi scale from the quadrant of (x, y); d = sqrt(x^2 + y^2) > 0.
double longitudeOf(double x, double y, double d) {
    const double la = std::fabs(std::asin(y / d));
    if (y < 0) {
        return x < 0 ? PI + la : TWO_PI - la;
    }
    if (y > 0) {
        return x < 0 ? PI - la : la;
    }
    if (y == 0) {
        return x < 0 ? PI : 0.0;
    }
    return la;  // y is NaN: let it show in the result rather than invent a longitude
}

// Geodetic latitude on the GSK-2011 ellipsoid by the classic iteration (as in
// GOST R 51794): b = c + s, s refined from the geocentric latitude c.
double latitudeOf(const Geocentric& g) {
    if (g.z == 0) {
        return 0.0;
    }
    const double r = std::sqrt(g.x * g.x + g.y * g.y + g.z * g.z);
    const double c = std::asin(g.z / r);
    const double p = GSK2011_A_E2 / (2.0 * r);
    double s1 = 0.0;
    double b = c;
    for (int pass = 0; pass < LATITUDE_MAX_PASSES; ++pass) {
        b = c + s1;
        const double sinb = std::sin(b);
        const double s2 =
            std::asin(p * std::sin(2.0 * b) / std::sqrt(1.0 - GSK2011_E2 * sinb * sinb));
        if (!(std::fabs(s2 - s1) > LATITUDE_TOLERANCE)) {
            break;
        }
        s1 = s2;
    }
    return b;
}

}  // namespace

Point sk42ToGsk2011(Point p) {
    const Geocentric g = helmertSk42ToGsk2011(sk42ToGeocentric(p.x * DEG_TO_RAD, p.y * DEG_TO_RAD));
    const double d = std::sqrt(g.x * g.x + g.y * g.y);
    double lon = 0.0;
    double lat = 0.0;
    if (d == 0) {
        // On the axis the longitude is undefined and the point is the pole on the side of
        // z; copysign also keeps the geocentre itself (z = 0) from producing 0/0.
        lat = std::copysign(HALF_PI, g.z);
    } else {
        lon = longitudeOf(g.x, g.y, d);
        lat = latitudeOf(g);
    }
    return {lon * RAD_TO_DEG, lat * RAD_TO_DEG};
}

}  // namespace sheetbasis
