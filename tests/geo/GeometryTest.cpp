#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "geo/Geometry.h"

namespace sheetbasis {
namespace {

const std::vector<Point> UNIT_SQUARE{{0, 0}, {1, 0}, {1, 1}, {0, 1}};

std::vector<Point> reversed(std::vector<Point> ring) {
    reverseVertices(ring);
    return ring;
}

std::vector<Point> closed(std::vector<Point> ring) {
    ring.push_back(ring.front());
    return ring;
}

bool samePoints(const std::vector<Point>& a, const std::vector<Point>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Point& p, const Point& q) { return p.x == q.x && p.y == q.y; });
}

TEST(GeometryTest, LengthAndBoundingRectangle) {
    EXPECT_EQ(segmentLength({1, 2}, {4, 6}), 5.0);
    EXPECT_EQ(segmentLength({4, 6}, {1, 2}), 5.0);
    EXPECT_EQ(segmentLength({3, 3}, {3, 3}), 0.0);

    const std::vector<Point> line{{2, 5}, {-1, 7}, {4, -3}, {0, 0}};
    const BoundingRect r = boundingRectOf(line);
    EXPECT_EQ(r.xMin, -1.0);
    EXPECT_EQ(r.xMax, 4.0);
    EXPECT_EQ(r.yMin, -3.0);
    EXPECT_EQ(r.yMax, 7.0);

    const std::vector<Point> single{{2, 5}};
    const BoundingRect s = boundingRectOf(single);
    EXPECT_TRUE(s.xMin == 2 && s.xMax == 2 && s.yMin == 5 && s.yMax == 5);
    const BoundingRect e = boundingRectOf({});
    EXPECT_TRUE(e.xMin == 0 && e.xMax == 0 && e.yMin == 0 && e.yMax == 0);
}

TEST(GeometryTest, RectangleAndPathContainment) {
    const BoundingRect outer{0, 10, 0, 10};
    EXPECT_TRUE(rectInsideRect(outer, outer));
    EXPECT_TRUE(rectInsideRect(outer, {0, 5, 2, 10}));  // touching sides
    EXPECT_FALSE(rectInsideRect(outer, {-0.1, 5, 2, 3}));
    EXPECT_FALSE(rectInsideRect(outer, {1, 5, 2, 10.1}));
    EXPECT_FALSE(rectInsideRect({1, 5, 2, 3}, outer));

    // An L-shaped ring: its notch lies inside its rectangle but outside the ring.
    const std::vector<Point> l{{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}};
    const PathRecord ell{boundingRectOf(l), l};
    const auto path = [](std::vector<Point> p) { return PathRecord{boundingRectOf(p), p}; };
    EXPECT_TRUE(pathInsidePath(ell, path({{1, 1}, {2, 1}, {2, 2}})));
    EXPECT_FALSE(pathInsidePath(ell, path({{6, 6}, {7, 6}, {7, 7}})));
    // Only the first vertex is tested: a path leaving through the notch still counts.
    EXPECT_TRUE(pathInsidePath(ell, path({{1, 1}, {8, 8}})));
    // The rectangles decide first, whatever the vertex.
    EXPECT_FALSE(pathInsidePath(ell, path({{1, 1}, {11, 1}})));
}

TEST(GeometryTest, ReverseCurve) {
    const std::vector<Point> odd{{1, 2}, {3, 4}, {5, 6}};
    EXPECT_TRUE(samePoints(reversed(odd), {{5, 6}, {3, 4}, {1, 2}}));
    EXPECT_TRUE(samePoints(reversed(reversed(odd)), odd));
    EXPECT_TRUE(samePoints(reversed(reversed(UNIT_SQUARE)), UNIT_SQUARE));
    EXPECT_TRUE(reversed({}).empty());
}

TEST(GeometryTest, PointInsideSquareFollowsTheStrictCrossingRule) {
    for (const auto& ring : {UNIT_SQUARE, closed(UNIT_SQUARE), reversed(UNIT_SQUARE)}) {
        EXPECT_TRUE(pointInsidePolygon({0.5, 0.5}, ring));
        EXPECT_FALSE(pointInsidePolygon({1.5, 0.5}, ring));
        EXPECT_TRUE(pointInsidePolygon({0, 0.5}, ring));   // left side
        EXPECT_TRUE(pointInsidePolygon({0.5, 1}, ring));   // top side
        EXPECT_FALSE(pointInsidePolygon({1, 0.5}, ring));  // right side
        EXPECT_FALSE(pointInsidePolygon({0.5, 0}, ring));  // bottom side
    }
    EXPECT_FALSE(pointInsidePolygon({0.5, 0.5}, {}));
}

TEST(GeometryTest, VertexOnTheRayCountsOnceForItsUpperEdge) {
    const std::vector<Point> diamond{{1, 0}, {2, 1}, {1, 2}, {0, 1}};
    EXPECT_FALSE(pointInsidePolygon({-1, 1}, diamond));  // ray through both side vertices
    EXPECT_TRUE(pointInsidePolygon({0.5, 1}, diamond));
    EXPECT_TRUE(pointInsidePolygon({1, 1}, diamond));
    EXPECT_FALSE(pointInsidePolygon({3, 1}, diamond));
    // A horizontal edge on the ray never counts: only the edge rising from (3, 1) does.
    const std::vector<Point> step{{0, 0}, {4, 0}, {4, 2}, {3, 2}, {3, 1}, {2, 1}, {2, 3}, {0, 3}};
    EXPECT_TRUE(pointInsidePolygon({1, 1}, step));
    EXPECT_FALSE(pointInsidePolygon({2.5, 1.5}, step));
}

// Star-shaped rings around the origin, simple by construction.
std::vector<Point> randomStar(std::mt19937& random) {
    std::uniform_int_distribution<int> count(3, 12);
    std::uniform_real_distribution<double> radius(0.5, 3.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int n = count(random);
    std::vector<Point> ring;
    for (int i = 0; i < n; ++i) {
        const double angle = (i + 0.8 * unit(random)) * 2 * std::numbers::pi / n;
        const double r = radius(random);
        ring.push_back({r * std::cos(angle), r * std::sin(angle)});
    }
    return ring;
}

double signedArea(const std::vector<Point>& ring) {
    double twice = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Point& a = ring[i];
        const Point& b = ring[(i + 1) % ring.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}

// Winding number by the angle summed along the ring: nonzero inside a simple ring.
bool insideByWinding(const Point& q, const std::vector<Point>& ring) {
    double total = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Point& a = ring[i];
        const Point& b = ring[(i + 1) % ring.size()];
        total += std::atan2((a.x - q.x) * (b.y - q.y) - (a.y - q.y) * (b.x - q.x),
                            (a.x - q.x) * (b.x - q.x) + (a.y - q.y) * (b.y - q.y));
    }
    return std::fabs(total) > std::numbers::pi;
}

TEST(GeometryTest, OrientationAndContainmentAgreeWithAreaAndWinding) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-3.5, 3.5);
    for (int i = 0; i < 500; ++i) {
        std::vector<Point> ring = randomStar(random);
        if (i % 2 == 1) reverseVertices(ring);
        ASSERT_EQ(isClockwise(ring), signedArea(ring) < 0) << i;
        for (int j = 0; j < 20; ++j) {
            const Point q{coordinate(random), coordinate(random)};
            ASSERT_EQ(pointInsidePolygon(q, ring), insideByWinding(q, ring)) << i << ' ' << j;
        }
    }
}

TEST(GeometryTest, ClockwiseEdgeCases) {
    const std::vector<Point> clockwise{{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    EXPECT_TRUE(isClockwise(clockwise));
    EXPECT_FALSE(isClockwise(reversed(clockwise)));
    EXPECT_TRUE(isClockwise(closed(clockwise)));
    EXPECT_FALSE(isClockwise(std::vector<Point>{{0, 2}, {5, 2}, {3, 2}}));
    EXPECT_FALSE(isClockwise({}));
    // A figure eight whose four edges all rise or fall by 1: the lobe of the first edge
    // runs clockwise, the lobes seen from the others do not.
    const std::vector<Point> eight{{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    EXPECT_TRUE(isClockwise(eight));
}

// The interval as "min..max", or "none", so that a failed check shows both ends.
std::string shown(const std::optional<Interval>& i) {
    if (!i) return "none";
    std::ostringstream out;
    out << i->min << ".." << i->max;
    return out.str();
}

TEST(GeometryTest, CrossLineByEdge) {
    // Edge on the line, given from its greater end.
    EXPECT_EQ(shown(crossLineWithEdge(true, 1, {5, 1}, {2, 1})), "2..5");
    EXPECT_EQ(shown(crossLineWithEdge(false, 3, {3, 9}, {3, -1})), "-1..9");
    // One end on the line.
    EXPECT_EQ(shown(crossLineWithEdge(true, 1, {5, 0}, {2, 1})), "2..2");
    EXPECT_EQ(shown(crossLineWithEdge(true, 0, {5, 0}, {2, 1})), "5..5");
    // Crossing inside the edge, in either direction.
    EXPECT_EQ(shown(crossLineWithEdge(true, 0.25, {0, 0}, {4, 1})), "1..1");
    EXPECT_EQ(shown(crossLineWithEdge(false, 1, {4, 1}, {0, 0})), "0.25..0.25");
    // Misses.
    EXPECT_EQ(shown(crossLineWithEdge(true, 2, {0, 0}, {4, 1})), "none");
    EXPECT_EQ(shown(crossLineWithEdge(false, -1, {0, 0}, {4, 1})), "none");
}

TEST(GeometryTest, ClippingLinesBySquareAndTriangle) {
    for (const auto& ring : {UNIT_SQUARE, closed(UNIT_SQUARE)}) {
        EXPECT_EQ(shown(clipParallelByPolygon(0.5, ring)), "0..1");
        EXPECT_EQ(shown(clipParallelByPolygon(1, ring)), "0..1");
        EXPECT_EQ(shown(clipMeridianByPolygon(0.25, ring)), "0..1");
        EXPECT_EQ(shown(clipParallelByPolygon(2, ring)), "none");
    }
    const std::vector<Point> triangle{{0, 0}, {4, 0}, {1.5, 3}};
    // Touching the apex only is no interval.
    EXPECT_EQ(shown(clipParallelByPolygon(3, triangle)), "none");
    EXPECT_EQ(shown(clipParallelByPolygon(1.5, triangle)), "0.75..2.75");
    // A U-shaped ring: the interval spans both of its chords and the gap between them.
    const std::vector<Point> u{{0, 0}, {5, 0}, {5, 4}, {4, 4}, {4, 1}, {1, 1}, {1, 4}, {0, 4}};
    EXPECT_EQ(shown(clipParallelByPolygon(2, u)), "0..5");
}

}  // namespace
}  // namespace sheetbasis
