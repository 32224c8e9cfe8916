#include "output/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace sheetbasis {

namespace {

// ---- Datum constants of sk42ToGsk2011, kept at exactly these stored values ----------

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

// ---- Crossing rule -------------------------------------------------------------------

// True when edge a-b crosses the horizontal ray from q toward increasing x. A vertex on
// the ray counts once, for the edge of which it is the upper end. Exact comparisons.
bool crossesRay(const Point& q, const Point& a, const Point& b) {
    if (a.x <= q.x && b.x <= q.x) return false;
    if (a.y > q.y && b.y > q.y) return false;
    if (a.y < q.y && b.y < q.y) return false;
    if (a.y == b.y) return false;
    if (q.y == a.y) return q.x < a.x && a.y > b.y;
    if (q.y == b.y) return q.x < b.x && b.y > a.y;
    const double xc = (q.y - a.y) * (b.x - a.x) / (b.y - a.y) + a.x;
    return xc > q.x;
}

// Vertex that ends edge i of a closed ring (the last edge returns to the first vertex).
const Point& edgeEnd(std::span<const Point> ring, std::size_t i) {
    return ring[i + 1 == ring.size() ? 0 : i + 1];
}

// Number of ring edges crossing the ray from q, leaving out edge `skipped` if given.
int countCrossings(const Point& q, std::span<const Point> ring,
                   std::optional<std::size_t> skipped = std::nullopt) {
    int count = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        if (i != skipped && crossesRay(q, ring[i], edgeEnd(ring, i))) {
            ++count;
        }
    }
    return count;
}

bool isOdd(int n) {
    return n % 2 != 0;
}

}  // namespace

double segmentLength(const Point& a, const Point& b) {
    const double dy = b.y - a.y;
    const double dx = b.x - a.x;
    return std::sqrt(dy * dy + dx * dx);
}

BoundingRect boundingRectOf(std::span<const Point> points) {
    // Callers never pass an empty list; an empty one gets the all-zero rectangle rather
    // than a read past the end.
    if (points.empty()) {
        return {};
    }
    BoundingRect r{points[0].x, points[0].x, points[0].y, points[0].y};
    for (const Point& p : points.subspan(1)) {
        if (p.x < r.xMin) r.xMin = p.x;
        if (p.x > r.xMax) r.xMax = p.x;
        if (p.y < r.yMin) r.yMin = p.y;
        if (p.y > r.yMax) r.yMax = p.y;
    }
    return r;
}

bool rectInsideRect(const BoundingRect& r1, const BoundingRect& r2) {
    return r2.xMin >= r1.xMin && r2.xMax <= r1.xMax && r2.yMin >= r1.yMin && r2.yMax <= r1.yMax;
}

bool pathInsidePath(const PathRecord& p1, const PathRecord& p2) {
    if (!rectInsideRect(p1.rect, p2.rect) || p2.points.empty()) {
        return false;
    }
    return pointInsidePolygon(p2.points.front(), p1.points);
}

void reverseVertices(std::span<Point> points) {
    std::ranges::reverse(points);
}

bool isClockwise(std::span<const Point> ring) {
    std::optional<std::size_t> reference;
    double greatestDy = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const double dy = std::fabs(ring[i].y - edgeEnd(ring, i).y);
        if (ring[i].y != edgeEnd(ring, i).y && (!reference || dy > greatestDy)) {
            reference = i;
            greatestDy = dy;
        }
    }
    if (!reference) {
        return false;
    }
    const Point& a = ring[*reference];
    const Point& b = edgeEnd(ring, *reference);
    const Point middle{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const bool upward = a.y < b.y;
    // An odd count means the interior lies on the +x side of the reference edge.
    return isOdd(countCrossings(middle, ring, reference)) == upward;
}

bool pointInsidePolygon(const Point& q, std::span<const Point> ring) {
    return isOdd(countCrossings(q, ring));
}

std::optional<Interval> crossLineWithEdge(bool horizontal, double c, const Point& a,
                                          const Point& b) {
    const double uA = horizontal ? a.x : a.y;
    const double vA = horizontal ? a.y : a.x;
    const double uB = horizontal ? b.x : b.y;
    const double vB = horizontal ? b.y : b.x;
    if (vA == c && vB == c) return Interval{std::min(uA, uB), std::max(uA, uB)};
    if (vA == c || vB == c) {
        const double u = vA == c ? uA : uB;
        return Interval{u, u};
    }
    if (std::min(vA, vB) < c && std::max(vA, vB) > c) {
        const double u = uA + (c - vA) / (vB - vA) * (uB - uA);
        return Interval{u, u};
    }
    return std::nullopt;
}

std::optional<Interval> clipLineByPolygon(bool horizontal, double c, std::span<const Point> ring) {
    std::optional<Interval> span;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const auto meeting = crossLineWithEdge(horizontal, c, ring[i], edgeEnd(ring, i));
        if (!meeting) continue;
        if (!span) {
            span = meeting;
            continue;
        }
        if (meeting->min <= span->min) span->min = meeting->min;
        if (meeting->max >= span->max) span->max = meeting->max;
    }
    if (span && span->min == span->max) return std::nullopt;
    return span;
}

std::optional<Interval> clipParallelByPolygon(double y, std::span<const Point> ring) {
    return clipLineByPolygon(true, y, ring);
}

std::optional<Interval> clipMeridianByPolygon(double x, std::span<const Point> ring) {
    return clipLineByPolygon(false, x, ring);
}

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
