#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "sheet/Grid.h"

namespace sheetbasis {
namespace {

constexpr double TWO_THIRDS = 2.0 / 3.0;  // degree: 40 minutes, the parallel step of 1:200 000

// The grid routines as first described: walk k = 0, 1, 2, ... from the base. Only usable
// where k stays small, which is enough to pin the direct search to the same results.
double walkedStart(double v, double b, double s) {
    if (equalOnGrid(b, v)) return b;
    for (int k = 0;; ++k) {
        if (b < v) {
            const double g = b + k * s;
            if (equalOnGrid(g, v) || g > v) return g;
        } else {
            const double g = b - k * s;
            if (equalOnGrid(g, v)) return g;
            if (g < v) return b - (k - 1) * s;
        }
    }
}

double walkedEnd(double v, double b, double s) {
    if (equalOnGrid(b, v)) return b;
    for (int k = 0;; ++k) {
        if (b < v) {
            const double g = b + k * s;
            if (equalOnGrid(g, v)) return g;
            if (g > v) return b + (k - 1) * s;
        } else {
            const double g = b - k * s;
            if (equalOnGrid(g, v) || g < v) return g;
        }
    }
}

TEST(GridTest, ToleranceIsOneHundredthOfAMinuteInclusive) {
    EXPECT_TRUE(equalOnGrid(0.0, GRID_TOLERANCE));
    EXPECT_TRUE(equalOnGrid(GRID_TOLERANCE, 0.0));
    EXPECT_FALSE(equalOnGrid(0.0, std::nextafter(GRID_TOLERANCE, 1.0)));
    EXPECT_TRUE(equalOnGrid(52.00005, 52.0));
    EXPECT_FALSE(equalOnGrid(52.001, 52.0));
}

TEST(GridTest, WorkedValuesAroundTheBase) {
    EXPECT_EQ(firstGridValueFrom(52.1, 52.0, TWO_THIRDS), 52.0 + 1 * TWO_THIRDS);
    EXPECT_EQ(lastGridValueUpTo(52.1, 52.0, TWO_THIRDS), 52.0);
    EXPECT_EQ(firstGridValueFrom(51.9, 52.0, TWO_THIRDS), 52.0);
    EXPECT_EQ(lastGridValueUpTo(51.9, 52.0, TWO_THIRDS), 52.0 - 1 * TWO_THIRDS);
    // Far below the base: 40 lies on the grid 52 - 18 * 2/3.
    EXPECT_EQ(firstGridValueFrom(40.3, 52.0, TWO_THIRDS), 52.0 - 17 * TWO_THIRDS);
    EXPECT_EQ(lastGridValueUpTo(40.3, 52.0, TWO_THIRDS), 52.0 - 18 * TWO_THIRDS);
}

TEST(GridTest, ValueNearAGridLineCountsAsOnIt) {
    // 0.00005 degree from the base counts as the base, 0.001 does not.
    EXPECT_EQ(firstGridValueFrom(52.00005, 52.0, TWO_THIRDS), 52.0);
    EXPECT_EQ(lastGridValueUpTo(51.99995, 52.0, TWO_THIRDS), 52.0);
    EXPECT_EQ(firstGridValueFrom(52.001, 52.0, TWO_THIRDS), 52.0 + TWO_THIRDS);
    EXPECT_EQ(lastGridValueUpTo(51.999, 52.0, TWO_THIRDS), 52.0 - TWO_THIRDS);
    // A grid value just on the wrong side of v, within tolerance, still is the answer.
    const double line = 52.0 + 3 * TWO_THIRDS;
    EXPECT_EQ(firstGridValueFrom(line + 0.0001, 52.0, TWO_THIRDS), line);
    EXPECT_EQ(lastGridValueUpTo(line - 0.0001, 52.0, TWO_THIRDS), line);
    const double below = 52.0 - 5 * TWO_THIRDS;
    EXPECT_EQ(firstGridValueFrom(below + 0.0001, 52.0, TWO_THIRDS), below);
    EXPECT_EQ(lastGridValueUpTo(below - 0.0001, 52.0, TWO_THIRDS), below);
}

TEST(GridTest, DirectSearchGivesTheWalkedResultsBitForBit) {
    const std::vector<double> steps{0.125, 1.0 / 12, TWO_THIRDS, 1.0, 6.0, 4.0, 0.1, 1.0 / 60};
    std::mt19937 random(20240501);
    std::uniform_real_distribution<double> angle(-100.0, 400.0);
    for (int i = 0; i < 20000; ++i) {
        const double s = steps[i % steps.size()];
        const double b = angle(random);
        // Every tenth value sits on a grid line, give or take less than the tolerance.
        const double v = i % 10 == 0 ? b + std::round(angle(random)) * s + 1e-4 : angle(random);
        ASSERT_EQ(firstGridValueFrom(v, b, s), walkedStart(v, b, s)) << v << ' ' << b << ' ' << s;
        ASSERT_EQ(lastGridValueUpTo(v, b, s), walkedEnd(v, b, s)) << v << ' ' << b << ' ' << s;
    }
}

TEST(GridTest, HugeIndicesBeyondExactIntegersTerminateWithBracketingValues) {
    for (const double v : {1e20, -1e20, 3e250}) {
        const double start = firstGridValueFrom(v, 0.0, 0.1);
        const double end = lastGridValueUpTo(v, 0.0, 0.1);
        EXPECT_TRUE(start >= v || equalOnGrid(start, v)) << v;
        EXPECT_TRUE(end <= v || equalOnGrid(end, v)) << v;
        EXPECT_LE(end, start);
    }
    // Base 1e20 holds no representable value between it and its neighbour 1e20 + 16384,
    // which b + k is first rounded to about k = 8192: a walk from 0 would take thousands
    // of steps, the answer is that neighbour.
    const double b = 1e20;
    const double next = std::nextafter(b, 2e20);
    EXPECT_EQ(firstGridValueFrom(next, b, 1.0), next);
    EXPECT_EQ(lastGridValueUpTo(next, b, 1.0), next);
}

TEST(GridTest, UnreachableGridReturnsTheValueItself) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(firstGridValueFrom(1.0, 0.0, 0.0), 1.0);
    EXPECT_EQ(lastGridValueUpTo(1.0, 0.0, -1.0), 1.0);
    EXPECT_TRUE(std::isnan(firstGridValueFrom(nan, 0.0, 1.0)));
    EXPECT_EQ(lastGridValueUpTo(1.0, 0.0, nan), 1.0);
    // |v - b| overflows: index 2e308 does not exist as a double.
    EXPECT_EQ(firstGridValueFrom(1e308, -1e308, 1.0), 1e308);
}

TEST(GridTest, PlusUniqueValueSkipsValuesWithinTolerance) {
    std::vector<double> list;
    addUniqueGridValue(list, 52.0);
    addUniqueGridValue(list, 52.0001);  // 1/10 000 degree from a listed value
    addUniqueGridValue(list, 51.9999);
    addUniqueGridValue(list, 52.001);
    addUniqueGridValue(list, 52.0);
    EXPECT_EQ(list, (std::vector<double>{52.0, 52.001}));
}

}  // namespace
}  // namespace sheetbasis
