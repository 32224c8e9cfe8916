#include <gtest/gtest.h>

#include "frame/FrameLayerReader.h"
#include "frame/MinuteFrame.h"
#include "support/TempFolder.h"

namespace sheetbasis {
namespace {

constexpr double MINUTE = 1.0 / 60.0;

class MinuteFrameTest : public testing::Test {
  protected:
    MinuteFrameTest() {
        sheet.rect = {41.0, 42.0, 52.0, 52.0 + 2.0 / 3.0};
        sheet.lonStep = 0.125;
        sheet.latStep = 1.0 / 12.0;
        sheet.scale = settings.scaleDenominator;
        sheet.radius = SPHERE_RADIUS_KM;
        sheet.base = sheet.rect;
        sheet.xMinute = 1;
        sheet.yMinute = 1;
    }

    void open() {
        ASSERT_EQ(createLayer(1, SHAPE_ARC, (folder.path() / "Frame").string(),
                              {{"L_code", FIELD_INTEGER, 8, 0}}, layer),
                  LayerStatus::Created);
    }
    std::vector<ReadFeature> readBack() {
        EXPECT_TRUE(closeLayer(layer));
        return readFrameLayer(folder.path() / "Frame");
    }
    // Ticks are the two-vertex features across the band; bars run along it.
    static bool isTick(const ReadFeature& f) {
        return f.points.size() == 2 && f.points[0].x == f.points[1].x;
    }
    std::vector<ReadFeature> northSide() {
        open();
        EXPECT_EQ(writeMinuteTicksNorthSouth(true, layer, settings, sheet, work),
                  DrawStatus::Drawn);
        return readBack();
    }

    TempFolder folder;
    Layer layer;
    FrameSettings settings = frameSettingsFor(0, 0);
    FrameSheet sheet;
    std::vector<double> x;
    std::vector<double> y;
    VertexBuffer work{x, y};
};

TEST_F(MinuteFrameTest, NominalSheetHasALineEveryMinuteAndAlternateBars) {
    const std::vector<ReadFeature> f = northSide();
    // 61 division lines, centre lines in divisions 1, 3, ..., 59.
    ASSERT_EQ(f.size(), 91u);
    const double y1 = latitudeOffsetBy(sheet.rect.north, 7.0, sheet.scale, sheet.radius);
    const double y2 = latitudeOffsetBy(sheet.rect.north, 7.0 + settings.minuteFrameWidth,
                                       sheet.scale, sheet.radius);
    ASSERT_TRUE(isTick(f[0]));
    EXPECT_EQ(f[0].points[0].x, 41.0);
    EXPECT_EQ(f[0].points[0].y, y1);
    EXPECT_EQ(f[0].points[1].y, y2);
    ASSERT_TRUE(isTick(f[1]));
    EXPECT_NEAR(f[1].points[0].x, 41.0 + MINUTE, 1e-12);
    // The first division's centre line, midway across the band.
    ASSERT_FALSE(isTick(f[2]));
    EXPECT_EQ(f[2].points.front().x, 41.0);
    EXPECT_NEAR(f[2].points.back().x, 41.0 + MINUTE, 1e-12);
    EXPECT_GT(f[2].points[0].y, y1);
    EXPECT_LT(f[2].points[0].y, y2);
    EXPECT_TRUE(isTick(f[3]));
    EXPECT_TRUE(isTick(f[4]));
    EXPECT_FALSE(isTick(f[5]));
    EXPECT_EQ(f.back().points[0].x, 42.0);
    for (const ReadFeature& feature : f) EXPECT_EQ(feature.code, 400901);
}

TEST_F(MinuteFrameTest, AnchorWestOfTheSheetStartsAtTheFirstDivisionPointInside) {
    sheet.rect.west = 41.0 + 2.5 * MINUTE;
    const std::vector<ReadFeature> f = northSide();
    // Nothing between W and 3'; three inversions leave the 3'-4' division without a bar.
    ASSERT_GE(f.size(), 4u);
    ASSERT_TRUE(isTick(f[0]));
    EXPECT_NEAR(f[0].points[0].x, 41.0 + 3 * MINUTE, 1e-12);
    EXPECT_TRUE(isTick(f[1]));
    EXPECT_TRUE(isTick(f[2]));
    ASSERT_FALSE(isTick(f[3]));
    EXPECT_NEAR(f[3].points.front().x, 41.0 + 4 * MINUTE, 1e-12);
    // Ticks at 3' .. 60', bars in the 28 divisions starting at 4', 6', ..., 58'.
    EXPECT_EQ(f.size(), 58u + 28u);
}

TEST_F(MinuteFrameTest, AnchorEastOfTheSheetGivesAPartialFirstDivision) {
    sheet.rect.west = 41.0 - 2.5 * MINUTE;
    const std::vector<ReadFeature> f = northSide();
    // No line at W; the division W..-2' has the parity of the division -3'..-2' (off).
    ASSERT_GE(f.size(), 4u);
    ASSERT_TRUE(isTick(f[0]));
    EXPECT_NEAR(f[0].points[0].x, 41.0 - 2 * MINUTE, 1e-12);
    EXPECT_TRUE(isTick(f[1]));
    ASSERT_FALSE(isTick(f[2]));
    EXPECT_NEAR(f[2].points.front().x, 41.0 - 2 * MINUTE, 1e-12);
    for (const ReadFeature& feature : f) {
        if (isTick(feature)) {
            EXPECT_NE(feature.points[0].x, sheet.rect.west);
        }
    }
}

TEST_F(MinuteFrameTest, PartialFirstDivisionWithBarStartsAtTheCorner) {
    sheet.rect.west = 41.0 - 1.5 * MINUTE;
    const std::vector<ReadFeature> f = northSide();
    // Two inversions: the division containing W has its bar, from W on.
    ASSERT_GE(f.size(), 2u);
    EXPECT_TRUE(isTick(f[0]));
    ASSERT_FALSE(isTick(f[1]));
    EXPECT_EQ(f[1].points.front().x, sheet.rect.west);
    EXPECT_NEAR(f[1].points.back().x, 41.0 - MINUTE, 1e-12);
}

TEST_F(MinuteFrameTest, LastDivisionPointWithinToleranceEndsExactlyAtTheEdge) {
    sheet.rect.east = 42.0 + 0.0001;
    std::vector<ReadFeature> f = northSide();
    ASSERT_TRUE(isTick(f.back()) || isTick(f[f.size() - 2]));
    const ReadFeature& lastTick = isTick(f.back()) ? f.back() : f[f.size() - 2];
    EXPECT_EQ(lastTick.points[0].x, sheet.rect.east);
    // An edge 0.3' past the last division point ends the scale without a line there.
    sheet.rect.east = 42.0 + 0.3 * MINUTE;
    TempFolder other;
    Layer second;
    ASSERT_EQ(createLayer(1, SHAPE_ARC, (other.path() / "Frame").string(),
                          {{"L_code", FIELD_INTEGER, 8, 0}}, second),
              LayerStatus::Created);
    ASSERT_EQ(writeMinuteTicksNorthSouth(true, second, settings, sheet, work), DrawStatus::Drawn);
    ASSERT_TRUE(closeLayer(second));
    f = readFrameLayer(other.path() / "Frame");
    for (const ReadFeature& feature : f) {
        if (isTick(feature)) {
            EXPECT_LT(feature.points[0].x, sheet.rect.east);
        }
    }
}

TEST_F(MinuteFrameTest, AnchorBeyondTheFarEdgeWritesNothing) {
    sheet.rect.west = 41.001;
    sheet.rect.east = 41.005;
    sheet.base.west = 41.0 - 0.5 * MINUTE;
    EXPECT_TRUE(northSide().empty());
}

TEST_F(MinuteFrameTest, SidesAlongLatitudeTakeTheirLongitudesAtEachLatitude) {
    open();
    ASSERT_EQ(writeMinuteTicksWestEast(true, layer, settings, sheet, work), DrawStatus::Drawn);
    const std::vector<ReadFeature> f = readBack();
    // 41 division lines (40 minutes), bars in 20 divisions.
    ASSERT_EQ(f.size(), 61u);
    const ReadFeature& first = f[0];
    ASSERT_EQ(first.points.size(), 2u);
    EXPECT_EQ(first.points[0].y, 52.0);
    EXPECT_EQ(first.points[0].x, longitudeOffsetBy(41.0, 52.0, -(7.0 + settings.minuteFrameWidth),
                                                   sheet.scale, sheet.radius));
    EXPECT_EQ(first.points[1].x, longitudeOffsetBy(41.0, 52.0, -7.0, sheet.scale, sheet.radius));
}

TEST_F(MinuteFrameTest, MillionSheetBandLiesOnTheSheetOutline) {
    settings = frameSettingsFor(1, 0);
    sheet.rect = {36.0, 42.0, 52.0, 56.0};
    sheet.base = sheet.rect;
    sheet.scale = settings.scaleDenominator;
    sheet.xMinute = 10;
    sheet.yMinute = 10;
    open();
    ASSERT_EQ(writeMinuteFrame(layer, settings, sheet, work), DrawStatus::Drawn);
    const std::vector<ReadFeature> f = readBack();
    ASSERT_GT(f.size(), 2u);
    const std::vector<Point>& inner = f[0].points;
    EXPECT_EQ(inner.front().x, 36.0);
    EXPECT_EQ(inner.front().y, 56.0);
    for (const Point& p : inner) {
        const bool onEdge = p.x == 36.0 || p.x == 42.0 || p.y == 52.0 || p.y == 56.0;
        EXPECT_TRUE(onEdge) << p.x << " " << p.y;
    }
    // Per side 6*60/10 + 1 = 37 lines along longitude, 25 along latitude.
    const std::size_t ticks = 2 * 37 + 2 * 25;
    const std::size_t bars = 2 * 18 + 2 * 12;
    EXPECT_EQ(f.size(), 2 + ticks + bars);
}

TEST_F(MinuteFrameTest, FailureToWriteStopsTheFrame) {
    Layer unopened;
    EXPECT_EQ(writeMinuteFrame(unopened, settings, sheet, work), DrawStatus::NotWritten);
    EXPECT_EQ(writeMinuteTicksNorthSouth(false, unopened, settings, sheet, work),
              DrawStatus::NotWritten);
    EXPECT_EQ(writeMinuteTicksWestEast(false, unopened, settings, sheet, work),
              DrawStatus::NotWritten);
}

TEST_F(MinuteFrameTest, NonPositiveDivisionsDrawNoScale) {
    sheet.xMinute = 0;
    EXPECT_TRUE(northSide().empty());
}

}  // namespace
}  // namespace sheetbasis
