#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"

namespace sheetbasis {
namespace {

constexpr double M200K = 200000.0;
constexpr double R = SPHERE_RADIUS_KM;
constexpr double LON_STEP = 0.125;
constexpr double LAT_STEP = 1.0 / 12.0;

struct Buffer {
    std::vector<double> x;
    std::vector<double> y;
    VertexBuffer view{x, y};
};

// Map millimetres between two latitudes / along a parallel, on the full-precision sphere.
double mmAlongMeridian(double lat0, double lat1) {
    return (lat1 - lat0) * std::numbers::pi / 180.0 * R * 1e6 / M200K;
}
double mmAlongParallel(double lon0, double lon1, double lat) {
    return (lon1 - lon0) * std::numbers::pi / 180.0 * R * std::cos(lat * std::numbers::pi / 180.0) *
           1e6 / M200K;
}

TEST(FrameContourTest, OffsetsInMillimetresBecomeDegreesOnTheSphere) {
    // 7 mm at 1:200 000 is 1.4 km; the truncated pi shifts it by less than 1e-7 mm.
    EXPECT_NEAR(mmAlongMeridian(52.0, latitudeOffsetBy(52.0, 7.0, M200K, R)), 7.0, 1e-6);
    EXPECT_NEAR(mmAlongMeridian(52.0, latitudeOffsetBy(52.0, -9.8, M200K, R)), -9.8, 1e-6);
    EXPECT_NEAR(mmAlongParallel(41.0, longitudeOffsetBy(41.0, 60.0, 5.0, M200K, R), 60.0), 5.0,
                1e-6);
    // At 60 degrees the same distance spans twice the longitude it spans at the equator.
    EXPECT_NEAR(longitudeOffsetBy(0.0, 60.0, 5.0, M200K, R),
                2 * longitudeOffsetBy(0.0, 0.0, 5.0, M200K, R), 1e-9);
    EXPECT_EQ(latitudeOffsetBy(52.5, 0.0, M200K, R), 52.5);
    EXPECT_EQ(longitudeOffsetBy(41.25, 52.5, 0.0, M200K, R), 41.25);
}

TEST(FrameContourTest, GridReferenceRoundsHalfAwayFromZero) {
    // (x - origin)/step = 2.5 rounds to 3, -2.5 to -3; three steps are taken off.
    EXPECT_EQ(gridValueThreeStepsBelow(36.3125, 36.0, 0.125), 36.0);
    EXPECT_EQ(gridValueThreeStepsBelow(35.6875, 36.0, 0.125), 35.25);
    EXPECT_EQ(gridValueThreeStepsBelow(36.0, 36.0, 0.125), 35.625);
}

TEST(FrameContourTest, NextVertexIsTheNextGridValueNotTooClose) {
    const double base = 35.625;
    EXPECT_EQ(nextIntermediateVertex(36.0, false, base, 0.125), 36.125);
    EXPECT_EQ(nextIntermediateVertex(36.0, true, base, 0.125), 35.875);
    // 36.125 is 0.015 (0.12 step) ahead of 36.11: skipped.
    EXPECT_EQ(nextIntermediateVertex(36.11, false, base, 0.125), 36.25);
    // 36.0 is 0.01 behind 36.01 going west: skipped.
    EXPECT_EQ(nextIntermediateVertex(36.01, true, base, 0.125), 35.875);
    // 0.28 step away is far enough; exactly a fifth is not, the single-precision fifth
    // being a little more than 0.2.
    EXPECT_EQ(nextIntermediateVertex(36.09, false, base, 0.125), 36.125);
    EXPECT_EQ(nextIntermediateVertex(36.1, false, base, 0.125), 36.25);
}

TEST(FrameContourTest, DegreeLongLegHasNineVertices) {
    Buffer b;
    EXPECT_EQ(appendOffsetParallel(52.0, 0.0, 36.0, 37.0, M200K, R, 36.0, LON_STEP, b.view), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_DOUBLE_EQ(b.x[i], 36.0 + 0.125 * static_cast<double>(i));
        EXPECT_EQ(b.y[i], 52.0);
    }
    EXPECT_EQ(b.x.back(), 37.0);

    Buffer west;
    EXPECT_EQ(appendOffsetParallel(52.0, 0.0, 37.0, 36.0, M200K, R, 37.0, LON_STEP, west.view), 9u);
    EXPECT_EQ(west.x.front(), 37.0);
    EXPECT_DOUBLE_EQ(west.x[1], 36.875);
    EXPECT_EQ(west.x.back(), 36.0);
}

TEST(FrameContourTest, GridValuesCloserThanAFifthOfAStepAreSkipped) {
    Buffer b;
    // The leg starts 0.01 degree before the grid value 36: that value is skipped.
    EXPECT_EQ(appendOffsetParallel(52.0, 0.0, 35.99, 37.0, M200K, R, 36.0, LON_STEP, b.view), 9u);
    EXPECT_EQ(b.x[0], 35.99);
    EXPECT_DOUBLE_EQ(b.x[1], 36.125);
    // An end 0.01 beyond the grid value 36.25 runs straight from 36.125.
    Buffer c;
    EXPECT_EQ(appendOffsetParallel(52.0, 0.0, 36.0, 36.26, M200K, R, 36.0, LON_STEP, c.view), 3u);
    EXPECT_DOUBLE_EQ(c.x[1], 36.125);
    EXPECT_EQ(c.x[2], 36.26);
}

TEST(FrameContourTest, MeridianVerticesTakeTheirLongitudeAtTheirOwnLatitude) {
    Buffer b;
    EXPECT_EQ(appendOffsetMeridian(41.0, 7.0, 52.0, 53.0, M200K, R, 52.0, LAT_STEP, b.view), 13u);
    for (std::size_t i = 0; i < b.x.size(); ++i) {
        EXPECT_EQ(b.x[i], longitudeOffsetBy(41.0, b.y[i], 7.0, M200K, R));
        EXPECT_NEAR(mmAlongParallel(41.0, b.x[i], b.y[i]), 7.0, 1e-6);
    }
    EXPECT_EQ(b.y.front(), 52.0);
    EXPECT_EQ(b.y.back(), 53.0);
}

FrameSheet sheet200k() {
    FrameSheet s;
    s.rect = {41.0, 42.0, 52.0, 52.0 + 2.0 / 3.0};
    s.lonStep = LON_STEP;
    s.latStep = LAT_STEP;
    s.scale = M200K;
    s.radius = R;
    s.base = s.rect;
    return s;
}

TEST(FrameContourTest, ContourAtOffsetZeroPassesThroughTheCornersAndCloses) {
    const FrameSheet s = sheet200k();
    Buffer b;
    // Legs of 9 vertices each, three of them without their last vertex.
    ASSERT_EQ(contourVertices(0.0, s, b.view), 33u);
    const DrawingRect& r = s.rect;
    const auto at = [&](std::size_t i) { return std::pair(b.x[i], b.y[i]); };
    EXPECT_EQ(at(0), std::pair(r.west, r.north));
    EXPECT_EQ(at(8), std::pair(r.east, r.north));
    EXPECT_EQ(at(16), std::pair(r.east, r.south));
    EXPECT_EQ(at(24), std::pair(r.west, r.south));
    EXPECT_EQ(at(32), at(0));
    // Clockwise: negative signed area.
    double area = 0.0;
    for (std::size_t i = 0; i + 1 < b.x.size(); ++i)
        area += b.x[i] * b.y[i + 1] - b.x[i + 1] * b.y[i];
    EXPECT_LT(area, 0.0);
}

TEST(FrameContourTest, ContourAtAnOffsetKeepsItsDistanceFromEveryEdge) {
    const FrameSheet s = sheet200k();
    Buffer b;
    const std::size_t n = contourVertices(9.8, s, b.view);
    ASSERT_GT(n, 30u);
    EXPECT_EQ(b.x.front(), b.x.back());
    EXPECT_EQ(b.y.front(), b.y.back());
    const DrawingRect& r = s.rect;
    for (std::size_t i = 0; i < n; ++i) {
        const double outsideNorth = mmAlongMeridian(r.north, b.y[i]);
        const double outsideSouth = mmAlongMeridian(b.y[i], r.south);
        const double outsideEast = mmAlongParallel(r.east, b.x[i], b.y[i]);
        const double outsideWest = mmAlongParallel(b.x[i], r.west, b.y[i]);
        const double nearest = std::max({outsideNorth, outsideSouth, outsideEast, outsideWest});
        EXPECT_NEAR(nearest, 9.8, 1e-6) << i;
    }
}

TEST(FrameContourTest, WalksEndForValuesNoSheetHas) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Buffer huge;
    EXPECT_LE(appendOffsetParallel(52.0, 0.0, 0.0, 1e300, M200K, R, 0.0, LON_STEP, huge.view),
              MAX_LEG_VERTICES);
    EXPECT_EQ(huge.x.back(), 1e300);
    Buffer lost;
    // A step lost against the magnitude of the longitudes goes straight to the end.
    EXPECT_EQ(appendOffsetParallel(52.0, 0.0, 1e17, 2e17, M200K, R, 0.0, LON_STEP, lost.view), 2u);
    Buffer noStep;
    EXPECT_EQ(appendOffsetParallel(52.0, 0.0, 36.0, 37.0, M200K, R, 36.0, 0.0, noStep.view), 2u);
    Buffer notANumber;
    EXPECT_LE(appendOffsetMeridian(41.0, 0.0, 52.0, nan, M200K, R, 52.0, LAT_STEP, notANumber.view),
              MAX_LEG_VERTICES);
    Buffer single;
    EXPECT_EQ(appendOffsetParallel(52.0, 0.0, 36.0, 36.0, M200K, R, 36.0, LON_STEP, single.view),
              1u);
}

TEST(FrameContourTest, ContourThatCannotBeWrittenReportsIt) {
    Layer unopened;
    unopened.fields = {{"L_code", FIELD_INTEGER, 8, 0}};
    Buffer b;
    EXPECT_EQ(writeFrameContour(unopened, CODE_MINUTE_FRAME, 0.0, sheet200k(), b.view),
              DrawStatus::NotWritten);
}

}  // namespace
}  // namespace sheetbasis
