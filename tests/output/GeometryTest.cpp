#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "output/Geometry.h"

extern char** environ;

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

// ---- Datum shift -----------------------------------------------------------------------

// PROJ's counterpart of the datum shift: Krasovsky geocentric, coordinate-frame Helmert,
// GSK-2011 ellipsoid back to geographic.
const std::vector<std::string> PROJ_PIPELINE{"+proj=pipeline",
                                             "+step",
                                             "+proj=unitconvert",
                                             "+xy_in=deg",
                                             "+xy_out=rad",
                                             "+step",
                                             "+proj=cart",
                                             "+ellps=krass",
                                             "+step",
                                             "+proj=helmert",
                                             "+x=23.56",
                                             "+y=-140.86",
                                             "+z=-79.77",
                                             "+rx=-0.001738",
                                             "+ry=-0.346441",
                                             "+rz=-0.794263",
                                             "+s=-0.2274",
                                             "+convention=coordinate_frame",
                                             "+step",
                                             "+inv",
                                             "+proj=cart",
                                             "+a=6378136.5",
                                             "+rf=298.2564151",
                                             "+step",
                                             "+proj=unitconvert",
                                             "+xy_in=rad",
                                             "+xy_out=deg"};

// Runs cct (found on PATH, no shell involved) on the file `input`, its standard output
// going to `output`. True when it ran and exited with 0.
bool runCct(const std::filesystem::path& input, const std::filesystem::path& output) {
    std::vector<std::string> args{"cct", "-d", "12", "-z", "0", "-t", "0"};
    args.insert(args.end(), PROJ_PIPELINE.begin(), PROJ_PIPELINE.end());
    args.push_back(input.string());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "cct", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The points as PROJ's pipeline transforms them; empty when cct could not run.
std::vector<Point> transformWithCct(const std::vector<Point>& points) {
    const std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / ("geometry_cct_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path input = dir / "in.txt";
    const std::filesystem::path output = dir / "out.txt";
    {
        std::ofstream in(input);
        in.precision(17);
        for (const Point& p : points) in << p.x << ' ' << p.y << '\n';
    }
    std::vector<Point> result;
    if (runCct(input, output)) {
        std::ifstream out(output);
        std::string line;
        while (std::getline(out, line)) {
            std::istringstream fields(line);
            Point p;
            if (fields >> p.x >> p.y) result.push_back(p);
        }
    }
    std::filesystem::remove_all(dir);
    return result;
}

// Difference of two longitudes in degrees, whatever scale (0..360 or -180..180) each uses.
double longitudeDifference(double a, double b) {
    return std::remainder(a - b, 360.0);
}

TEST(GeometryTest, DatumShiftReferencePoints) {
    struct Case {
        Point sk42;
        Point gsk2011;
    };
    // Expected values are given to 7 decimals, so they hold within half a unit of the 7th.
    constexpr double HALF_LAST_DECIMAL = 0.5e-7;  // degree
    for (const Case& c :
         {Case{{30, 60}, {29.9977399, 59.9999696}}, Case{{132, 44}, {132.0011092, 44.0003262}},
          Case{{-30, 60}, {329.9983277, 59.9988742}}}) {
        const Point p = sk42ToGsk2011(c.sk42);
        EXPECT_NEAR(p.x, c.gsk2011.x, HALF_LAST_DECIMAL) << c.sk42.x << ' ' << c.sk42.y;
        EXPECT_NEAR(p.y, c.gsk2011.y, HALF_LAST_DECIMAL) << c.sk42.x << ' ' << c.sk42.y;
    }
}

TEST(GeometryTest, DatumShiftAgreesWithProj) {
    constexpr double AGREEMENT = 1e-8;  // degree, about a millimetre on the ground
    std::vector<Point> grid;
    for (int lon = 0; lon <= 360; lon += 15) {
        for (int lat = 36; lat <= 88; lat += 4) grid.push_back({double(lon), double(lat)});
    }
    const std::vector<Point> proj = transformWithCct(grid);
    ASSERT_EQ(proj.size(), grid.size()) << "cct (package proj-bin) did not run";
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const Point p = sk42ToGsk2011(grid[i]);
        EXPECT_GE(p.x, 0.0);
        EXPECT_LE(p.x, 360.0);
        EXPECT_NEAR(longitudeDifference(p.x, proj[i].x), 0.0, AGREEMENT)
            << grid[i].x << ' ' << grid[i].y;
        EXPECT_NEAR(p.y, proj[i].y, AGREEMENT) << grid[i].x << ' ' << grid[i].y;
    }
}

TEST(GeometryTest, DatumShiftEndsOnUnusableInput) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const Point& input : {Point{nan, 50}, Point{30, nan}, Point{inf, 50}, Point{30, -inf}}) {
        const Point p = sk42ToGsk2011(input);
        EXPECT_TRUE(std::isnan(p.x) || std::isnan(p.y)) << input.x << ' ' << input.y;
    }
    // Near the poles and on the equator the shift still lands next to the input.
    for (const Point& input : {Point{45, 90}, Point{200, -90}, Point{10, 0}, Point{180, 0}}) {
        const Point p = sk42ToGsk2011(input);
        EXPECT_NEAR(p.y, input.y, 0.01) << input.x << ' ' << input.y;
    }
}

}  // namespace
}  // namespace sheetbasis
