#include "geo/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>

namespace sheetbasis {

namespace {

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

}  // namespace sheetbasis
