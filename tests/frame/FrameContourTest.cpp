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

const FrameSheet S = sheet200k();

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
    EXPECT_NEAR(mmAlongMeridian(52.0, latitudeOffsetBy(S, 52.0, 7.0)), 7.0, 1e-6);
    EXPECT_NEAR(mmAlongMeridian(52.0, latitudeOffsetBy(S, 52.0, -9.8)), -9.8, 1e-6);
    EXPECT_NEAR(mmAlongParallel(41.0, longitudeOffsetBy(S, 41.0, 60.0, 5.0), 60.0), 5.0, 1e-6);
    // At 60 degrees the same distance spans twice the longitude it spans at the equator.
    EXPECT_NEAR(longitudeOffsetBy(S, 0.0, 60.0, 5.0), 2 * longitudeOffsetBy(S, 0.0, 0.0, 5.0),
                1e-9);
    EXPECT_EQ(latitudeOffsetBy(S, 52.5, 0.0), 52.5);
    EXPECT_EQ(longitudeOffsetBy(S, 41.25, 52.5, 0.0), 41.25);
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
    Line b;
    EXPECT_EQ(appendOffsetParallel(S, 52.0, 0.0, {36.0, 37.0, 36.0, LON_STEP}, b), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_DOUBLE_EQ(b[i].x, 36.0 + 0.125 * static_cast<double>(i));
        EXPECT_EQ(b[i].y, 52.0);
    }
    EXPECT_EQ(b.back().x, 37.0);

    Line west;
    EXPECT_EQ(appendOffsetParallel(S, 52.0, 0.0, {37.0, 36.0, 37.0, LON_STEP}, west), 9u);
    EXPECT_EQ(west.front().x, 37.0);
    EXPECT_DOUBLE_EQ(west[1].x, 36.875);
    EXPECT_EQ(west.back().x, 36.0);
}

TEST(FrameContourTest, GridValuesCloserThanAFifthOfAStepAreSkipped) {
    Line b;
    // The leg starts 0.01 degree before the grid value 36: that value is skipped.
    EXPECT_EQ(appendOffsetParallel(S, 52.0, 0.0, {35.99, 37.0, 36.0, LON_STEP}, b), 9u);
    EXPECT_EQ(b[0].x, 35.99);
    EXPECT_DOUBLE_EQ(b[1].x, 36.125);
    // An end 0.01 beyond the grid value 36.25 runs straight from 36.125.
    Line c;
    EXPECT_EQ(appendOffsetParallel(S, 52.0, 0.0, {36.0, 36.26, 36.0, LON_STEP}, c), 3u);
    EXPECT_DOUBLE_EQ(c[1].x, 36.125);
    EXPECT_EQ(c[2].x, 36.26);
}

TEST(FrameContourTest, MeridianVerticesTakeTheirLongitudeAtTheirOwnLatitude) {
    Line b;
    EXPECT_EQ(appendOffsetMeridian(S, 41.0, 7.0, {52.0, 53.0, 52.0, LAT_STEP}, b), 13u);
    for (std::size_t i = 0; i < b.size(); ++i) {
        EXPECT_EQ(b[i].x, longitudeOffsetBy(S, 41.0, b[i].y, 7.0));
        EXPECT_NEAR(mmAlongParallel(41.0, b[i].x, b[i].y), 7.0, 1e-6);
    }
    EXPECT_EQ(b.front().y, 52.0);
    EXPECT_EQ(b.back().y, 53.0);
}

TEST(FrameContourTest, ContourAtOffsetZeroPassesThroughTheCornersAndCloses) {
    // Legs of 9 vertices each, three of them without their last vertex.
    const Line b = contourVertices(S, 0.0);
    ASSERT_EQ(b.size(), 33u);
    const DrawingRect& r = S.rect;
    const auto at = [&](std::size_t i) { return std::pair(b[i].x, b[i].y); };
    EXPECT_EQ(at(0), std::pair(r.west, r.north));
    EXPECT_EQ(at(8), std::pair(r.east, r.north));
    EXPECT_EQ(at(16), std::pair(r.east, r.south));
    EXPECT_EQ(at(24), std::pair(r.west, r.south));
    EXPECT_EQ(at(32), at(0));
    // Clockwise: negative signed area.
    double area = 0.0;
    for (std::size_t i = 0; i + 1 < b.size(); ++i)
        area += b[i].x * b[i + 1].y - b[i + 1].x * b[i].y;
    EXPECT_LT(area, 0.0);
}

TEST(FrameContourTest, ContourAtAnOffsetKeepsItsDistanceFromEveryEdge) {
    const Line b = contourVertices(S, 9.8);
    const std::size_t n = b.size();
    ASSERT_GT(n, 30u);
    EXPECT_EQ(b.front().x, b.back().x);
    EXPECT_EQ(b.front().y, b.back().y);
    const DrawingRect& r = S.rect;
    for (std::size_t i = 0; i < n; ++i) {
        const double outsideNorth = mmAlongMeridian(r.north, b[i].y);
        const double outsideSouth = mmAlongMeridian(b[i].y, r.south);
        const double outsideEast = mmAlongParallel(r.east, b[i].x, b[i].y);
        const double outsideWest = mmAlongParallel(b[i].x, r.west, b[i].y);
        const double nearest = std::max({outsideNorth, outsideSouth, outsideEast, outsideWest});
        EXPECT_NEAR(nearest, 9.8, 1e-6) << i;
    }
}

TEST(FrameContourTest, WalksEndForValuesNoSheetHas) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Line huge;
    EXPECT_LE(appendOffsetParallel(S, 52.0, 0.0, {0.0, 1e300, 0.0, LON_STEP}, huge),
              MAX_LEG_VERTICES);
    EXPECT_EQ(huge.back().x, 1e300);
    Line lost;
    // A step lost against the magnitude of the longitudes goes straight to the end.
    EXPECT_EQ(appendOffsetParallel(S, 52.0, 0.0, {1e17, 2e17, 0.0, LON_STEP}, lost), 2u);
    Line noStep;
    EXPECT_EQ(appendOffsetParallel(S, 52.0, 0.0, {36.0, 37.0, 36.0, 0.0}, noStep), 2u);
    Line notANumber;
    EXPECT_LE(appendOffsetMeridian(S, 41.0, 0.0, {52.0, nan, 52.0, LAT_STEP}, notANumber),
              MAX_LEG_VERTICES);
    Line single;
    EXPECT_EQ(appendOffsetParallel(S, 52.0, 0.0, {36.0, 36.0, 36.0, LON_STEP}, single), 1u);
}

TEST(FrameContourTest, ContourLegsAreStretchedOutwardAtBothEnds) {
    // The north leg 2 mm out runs west to east, 2 mm beyond both corners.
    Line north;
    appendContourParallelLeg(S, 2.0, {S.rect.north, S.rect.west, S.rect.east, true}, north);
    const double lat = latitudeOffsetBy(S, S.rect.north, 2.0);
    EXPECT_EQ(north.front().y, lat);
    EXPECT_EQ(north.front().x, longitudeOffsetBy(S, S.rect.west, lat, -2.0));
    EXPECT_EQ(north.back().x, longitudeOffsetBy(S, S.rect.east, lat, 2.0));
    // The west leg runs south to north, 2 mm west of the edge and beyond both corners.
    Line west;
    appendContourMeridianLeg(S, 2.0, {S.rect.west, S.rect.south, S.rect.north, false}, west);
    EXPECT_EQ(west.front().y, latitudeOffsetBy(S, S.rect.south, -2.0));
    EXPECT_EQ(west.back().y, latitudeOffsetBy(S, S.rect.north, 2.0));
    for (const Point& p : west) EXPECT_NEAR(mmAlongParallel(p.x, S.rect.west, p.y), 2.0, 1e-6);
    const FrameLine contour = frameContour(S, CODE_MINUTE_FRAME, 2.0);
    EXPECT_EQ(contour.code, CODE_MINUTE_FRAME);
    EXPECT_EQ(contour.line.size(), contourVertices(S, 2.0).size());
}

}  // namespace
}  // namespace sheetbasis
