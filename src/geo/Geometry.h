#pragma once
// Plane geometry on vertex lists. Coordinates are x = longitude, y = latitude in degrees
// wherever the system uses them; the routines are free of units. The datum shift that
// the geometry of the combined coordinate system needs is in geo/DatumShift.h.

#include <optional>
#include <span>
#include <vector>

#include "geo/Point.h"

namespace sheetbasis {

// Least x, greatest x, least y, greatest y.
struct BoundingRect {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
};

// One line or ring of a multi-part feature.
struct PathRecord {
    BoundingRect rect;
    std::vector<Point> points;
};

// The four corners of the result trapezoid (converted to GSK-2011 in coordinate system 4).
struct SheetCorners {
    Point nw;
    Point ne;
    Point sw;
    Point se;
};

// A vertex list given to a polygon or ring routine is a closed ring: the last edge joins
// the last vertex back to the first.

double segmentLength(const Point& a, const Point& b);
// Bounding rectangle of a vertex list; an empty list gets the all-zero rectangle.
BoundingRect boundingRectOf(std::span<const Point> points);
// True when r2 lies within r1 (touching sides count as inside).
bool rectInsideRect(const BoundingRect& r1, const BoundingRect& r2);
// True when p2 lies within p1: rectangles first, then p2's first vertex against p1 (a p2
// without vertices is not inside).
bool pathInsidePath(const PathRecord& p1, const PathRecord& p2);
void reverseVertices(std::span<Point> points);
bool isClockwise(std::span<const Point> ring);
bool pointInsidePolygon(const Point& q, std::span<const Point> ring);
// A stretch [min, max] along a parallel (in longitude) or a meridian (in latitude).
struct Interval {
    double min = 0.0;
    double max = 0.0;
};

// Where segment a-b meets the line y = c (horizontal) or x = c, as an interval along the
// line (a single value when it crosses or touches); nothing when it misses.
std::optional<Interval> crossLineWithEdge(bool horizontal, double c, const Point& a,
                                          const Point& b);
// The interval of non-zero length in which the line meets the ring, from the least to the
// greatest meeting; nothing when the line misses the ring or only touches it.
std::optional<Interval> clipLineByPolygon(bool horizontal, double c, std::span<const Point> ring);
std::optional<Interval> clipParallelByPolygon(double y, std::span<const Point> ring);
std::optional<Interval> clipMeridianByPolygon(double x, std::span<const Point> ring);

}  // namespace sheetbasis
