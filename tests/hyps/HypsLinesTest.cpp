#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "hyps/HypsLines.h"

namespace sheetbasis {
namespace {

constexpr double LON_STEP = 0.125;
constexpr double LAT_STEP = 1.0 / 12.0;
constexpr double NORTH = 52.0 + 2.0 / 3.0;

std::vector<double> xs(const Line& line) {
    std::vector<double> values;
    for (const Point& p : line) values.push_back(p.x);
    return values;
}

TEST(AddParallel, RunsFromStartTowardsEndWithTheEndOnlyWhenAsked) {
    Line open;
    EXPECT_EQ(appendParallel(52.0, 30.0, 31.0, LON_STEP, false, open), 8u);
    EXPECT_EQ(open.front().x, 30.0);
    EXPECT_EQ(open.back().x, 30.875);
    for (const Point& p : open) EXPECT_EQ(p.y, 52.0);

    Line closed;
    EXPECT_EQ(appendParallel(52.0, 31.0, 30.0, LON_STEP, true, closed), 9u);
    EXPECT_EQ(closed.front().x, 31.0);
    EXPECT_EQ(closed[1].x, 30.875);
    EXPECT_EQ(closed.back().x, 30.0);
}

TEST(AddParallel, EndWithinToleranceOrPassedIsWrittenAsTheEndItself) {
    // 1.0 is within 1/6000 degree of 1.0001: it is taken for the end, not a vertex of its own.
    Line nearEnd;
    EXPECT_EQ(appendParallel(0.0, 0.0, 1.0001, LON_STEP, true, nearEnd), 9u);
    EXPECT_EQ(nearEnd[7].x, 0.875);
    EXPECT_EQ(nearEnd.back().x, 1.0001);

    // 0.375 passes 0.3: the last vertex is 0.3, not 0.375.
    Line passed;
    EXPECT_EQ(appendParallel(0.0, 0.0, 0.3, LON_STEP, true, passed), 4u);
    EXPECT_EQ(xs(passed), (std::vector<double>{0.0, 0.125, 0.25, 0.3}));
}

TEST(AddParallel, DegenerateRuns) {
    Line same;
    EXPECT_EQ(appendParallel(1.0, 5.0, 5.0, LON_STEP, false, same), 0u);
    EXPECT_EQ(appendParallel(1.0, 5.0, 5.0, LON_STEP, true, same), 1u);

    // No step could reach the end: the two ends and no endless run.
    Line zeroStep;
    EXPECT_EQ(appendParallel(1.0, 0.0, 2.0, 0.0, true, zeroStep), 2u);
    EXPECT_EQ(xs(zeroStep), (std::vector<double>{0.0, 2.0}));
    Line negativeStep;
    EXPECT_EQ(appendParallel(1.0, 2.0, 0.0, -1.0, false, negativeStep), 1u);

    Line undefined;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(appendParallel(1.0, 0.0, nan, LON_STEP, true, undefined), 0u);
    EXPECT_TRUE(undefined.empty());
}

TEST(AddMeridian, SameRunWithTheRolesOfXAndYExchanged) {
    Line line;
    line.push_back({-1.0, -1.0});  // appended after what is already there
    EXPECT_EQ(appendMeridian(30.0, NORTH, 52.0, LAT_STEP, true, line), 9u);
    ASSERT_EQ(line.size(), 10u);
    EXPECT_EQ(line[1].y, NORTH);
    EXPECT_EQ(line.back().y, 52.0);
    for (std::size_t i = 1; i < line.size(); ++i) EXPECT_EQ(line[i].x, 30.0);
}

// Twice the signed area by the shoelace formula; negative for a clockwise ring with x east
// and y north.
double signedDoubleArea(const Line& ring) {
    double sum = 0.0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        sum += ring[i].x * ring[i + 1].y - ring[i + 1].x * ring[i].y;
    }
    return sum;
}

TEST(AddRectangle, SheetOutlineIsAClosedClockwiseRingOf33Vertices) {
    const Line ring = trapezoidRing({30.0, 31.0, 52.0, NORTH}, {LON_STEP, LAT_STEP});
    ASSERT_EQ(ring.size(), 33u);
    EXPECT_EQ(ring.front().x, 30.0);
    EXPECT_EQ(ring.front().y, NORTH);
    EXPECT_EQ(ring.back().x, ring.front().x);
    EXPECT_EQ(ring.back().y, ring.front().y);
    // Corners NE, SE, SW start the east, south and west runs.
    EXPECT_EQ(ring[8].x, 31.0);
    EXPECT_EQ(ring[8].y, NORTH);
    EXPECT_EQ(ring[16].x, 31.0);
    EXPECT_EQ(ring[16].y, 52.0);
    EXPECT_EQ(ring[24].x, 30.0);
    EXPECT_EQ(ring[24].y, 52.0);
    EXPECT_LT(signedDoubleArea(ring), 0.0);
    EXPECT_NEAR(std::abs(signedDoubleArea(ring)) / 2.0, 2.0 / 3.0, 1e-12);
}

}  // namespace
}  // namespace sheetbasis
