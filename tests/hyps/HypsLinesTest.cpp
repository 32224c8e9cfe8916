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

struct Line {
    std::vector<double> x;
    std::vector<double> y;
};

TEST(AddParallel, RunsFromStartTowardsEndWithTheEndOnlyWhenAsked) {
    Line open;
    EXPECT_EQ(appendParallel(52.0, 30.0, 31.0, LON_STEP, false, open.x, open.y), 8u);
    EXPECT_EQ(open.x.front(), 30.0);
    EXPECT_EQ(open.x.back(), 30.875);
    for (double y : open.y) EXPECT_EQ(y, 52.0);

    Line closed;
    EXPECT_EQ(appendParallel(52.0, 31.0, 30.0, LON_STEP, true, closed.x, closed.y), 9u);
    EXPECT_EQ(closed.x.front(), 31.0);
    EXPECT_EQ(closed.x[1], 30.875);
    EXPECT_EQ(closed.x.back(), 30.0);
}

TEST(AddParallel, EndWithinToleranceOrPassedIsWrittenAsTheEndItself) {
    // 1.0 is within 1/6000 degree of 1.0001: it is taken for the end, not a vertex of its own.
    Line nearEnd;
    EXPECT_EQ(appendParallel(0.0, 0.0, 1.0001, LON_STEP, true, nearEnd.x, nearEnd.y), 9u);
    EXPECT_EQ(nearEnd.x[7], 0.875);
    EXPECT_EQ(nearEnd.x.back(), 1.0001);

    // 0.375 passes 0.3: the last vertex is 0.3, not 0.375.
    Line passed;
    EXPECT_EQ(appendParallel(0.0, 0.0, 0.3, LON_STEP, true, passed.x, passed.y), 4u);
    EXPECT_EQ(passed.x, (std::vector<double>{0.0, 0.125, 0.25, 0.3}));
}

TEST(AddParallel, DegenerateRuns) {
    Line same;
    EXPECT_EQ(appendParallel(1.0, 5.0, 5.0, LON_STEP, false, same.x, same.y), 0u);
    EXPECT_EQ(appendParallel(1.0, 5.0, 5.0, LON_STEP, true, same.x, same.y), 1u);

    // No step could reach the end: the two ends and no endless run.
    Line zeroStep;
    EXPECT_EQ(appendParallel(1.0, 0.0, 2.0, 0.0, true, zeroStep.x, zeroStep.y), 2u);
    EXPECT_EQ(zeroStep.x, (std::vector<double>{0.0, 2.0}));
    Line negativeStep;
    EXPECT_EQ(appendParallel(1.0, 2.0, 0.0, -1.0, false, negativeStep.x, negativeStep.y), 1u);

    Line undefined;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(appendParallel(1.0, 0.0, nan, LON_STEP, true, undefined.x, undefined.y), 0u);
    EXPECT_TRUE(undefined.x.empty());
}

TEST(AddMeridian, SameRunWithTheRolesOfXAndYExchanged) {
    Line line;
    line.x.push_back(-1.0);  // appended after what is already there
    line.y.push_back(-1.0);
    EXPECT_EQ(appendMeridian(30.0, NORTH, 52.0, LAT_STEP, true, line.x, line.y), 9u);
    ASSERT_EQ(line.x.size(), 10u);
    EXPECT_EQ(line.y[1], NORTH);
    EXPECT_EQ(line.y.back(), 52.0);
    for (std::size_t i = 1; i < line.x.size(); ++i) EXPECT_EQ(line.x[i], 30.0);
}

// Twice the signed area by the shoelace formula; negative for a clockwise ring with x east
// and y north.
double signedDoubleArea(const Line& ring) {
    double sum = 0.0;
    for (std::size_t i = 0; i + 1 < ring.x.size(); ++i) {
        sum += ring.x[i] * ring.y[i + 1] - ring.x[i + 1] * ring.y[i];
    }
    return sum;
}

TEST(AddRectangle, SheetOutlineIsAClosedClockwiseRingOf33Vertices) {
    Line ring{{7.0, 8.0}, {9.0, 10.0}};  // earlier contents are replaced
    ASSERT_EQ(trapezoidRing(30.0, 31.0, LON_STEP, 52.0, NORTH, LAT_STEP, ring.x, ring.y), 33u);
    ASSERT_EQ(ring.x.size(), 33u);
    ASSERT_EQ(ring.y.size(), 33u);
    EXPECT_EQ(ring.x.front(), 30.0);
    EXPECT_EQ(ring.y.front(), NORTH);
    EXPECT_EQ(ring.x.back(), ring.x.front());
    EXPECT_EQ(ring.y.back(), ring.y.front());
    // Corners NE, SE, SW start the east, south and west runs.
    EXPECT_EQ(ring.x[8], 31.0);
    EXPECT_EQ(ring.y[8], NORTH);
    EXPECT_EQ(ring.x[16], 31.0);
    EXPECT_EQ(ring.y[16], 52.0);
    EXPECT_EQ(ring.x[24], 30.0);
    EXPECT_EQ(ring.y[24], 52.0);
    EXPECT_LT(signedDoubleArea(ring), 0.0);
    EXPECT_NEAR(std::abs(signedDoubleArea(ring)) / 2.0, 2.0 / 3.0, 1e-12);
}

}  // namespace
}  // namespace sheetbasis
