#include <gtest/gtest.h>

#include "frame/MinuteFrame.h"

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

    // Ticks are the two-vertex features across the band; bars run along it.
    static bool isTick(const FrameLine& f) {
        return f.line.size() == 2 && f.line[0].x == f.line[1].x;
    }
    std::vector<FrameLine> northSide() const {
        return minuteTicksNorthSouth(true, settings, sheet);
    }

    FrameSettings settings = frameSettingsFor(Series::Scale200k, MapScale::Scale200k);
    FrameSheet sheet;
};

TEST_F(MinuteFrameTest, NominalSheetHasALineEveryMinuteAndAlternateBars) {
    const std::vector<FrameLine> f = northSide();
    // 61 division lines, centre lines in divisions 1, 3, ..., 59.
    ASSERT_EQ(f.size(), 91u);
    const double y1 = latitudeOffsetBy(sheet, sheet.rect.north, 7.0);
    const double y2 = latitudeOffsetBy(sheet, sheet.rect.north, 7.0 + settings.minuteFrameWidth);
    ASSERT_TRUE(isTick(f[0]));
    EXPECT_EQ(f[0].line[0].x, 41.0);
    EXPECT_EQ(f[0].line[0].y, y1);
    EXPECT_EQ(f[0].line[1].y, y2);
    ASSERT_TRUE(isTick(f[1]));
    EXPECT_NEAR(f[1].line[0].x, 41.0 + MINUTE, 1e-12);
    // The first division's centre line, midway across the band.
    ASSERT_FALSE(isTick(f[2]));
    EXPECT_EQ(f[2].line.front().x, 41.0);
    EXPECT_NEAR(f[2].line.back().x, 41.0 + MINUTE, 1e-12);
    EXPECT_GT(f[2].line[0].y, y1);
    EXPECT_LT(f[2].line[0].y, y2);
    EXPECT_TRUE(isTick(f[3]));
    EXPECT_TRUE(isTick(f[4]));
    EXPECT_FALSE(isTick(f[5]));
    EXPECT_EQ(f.back().line[0].x, 42.0);
    for (const FrameLine& feature : f) EXPECT_EQ(feature.code, 400901);
}

TEST_F(MinuteFrameTest, AnchorWestOfTheSheetStartsAtTheFirstDivisionPointInside) {
    sheet.rect.west = 41.0 + 2.5 * MINUTE;
    const std::vector<FrameLine> f = northSide();
    // Nothing between W and 3'; three inversions leave the 3'-4' division without a bar.
    ASSERT_GE(f.size(), 4u);
    ASSERT_TRUE(isTick(f[0]));
    EXPECT_NEAR(f[0].line[0].x, 41.0 + 3 * MINUTE, 1e-12);
    EXPECT_TRUE(isTick(f[1]));
    EXPECT_TRUE(isTick(f[2]));
    ASSERT_FALSE(isTick(f[3]));
    EXPECT_NEAR(f[3].line.front().x, 41.0 + 4 * MINUTE, 1e-12);
    // Ticks at 3' .. 60', bars in the 28 divisions starting at 4', 6', ..., 58'.
    EXPECT_EQ(f.size(), 58u + 28u);
}

TEST_F(MinuteFrameTest, AnchorEastOfTheSheetGivesAPartialFirstDivision) {
    sheet.rect.west = 41.0 - 2.5 * MINUTE;
    const std::vector<FrameLine> f = northSide();
    // No line at W; the division W..-2' has the parity of the division -3'..-2' (off).
    ASSERT_GE(f.size(), 4u);
    ASSERT_TRUE(isTick(f[0]));
    EXPECT_NEAR(f[0].line[0].x, 41.0 - 2 * MINUTE, 1e-12);
    EXPECT_TRUE(isTick(f[1]));
    ASSERT_FALSE(isTick(f[2]));
    EXPECT_NEAR(f[2].line.front().x, 41.0 - 2 * MINUTE, 1e-12);
    for (const FrameLine& feature : f) {
        if (isTick(feature)) {
            EXPECT_NE(feature.line[0].x, sheet.rect.west);
        }
    }
}

TEST_F(MinuteFrameTest, PartialFirstDivisionWithBarStartsAtTheCorner) {
    sheet.rect.west = 41.0 - 1.5 * MINUTE;
    const std::vector<FrameLine> f = northSide();
    // Two inversions: the division containing W has its bar, from W on.
    ASSERT_GE(f.size(), 2u);
    EXPECT_TRUE(isTick(f[0]));
    ASSERT_FALSE(isTick(f[1]));
    EXPECT_EQ(f[1].line.front().x, sheet.rect.west);
    EXPECT_NEAR(f[1].line.back().x, 41.0 - MINUTE, 1e-12);
}

TEST_F(MinuteFrameTest, LastDivisionPointWithinToleranceEndsExactlyAtTheEdge) {
    sheet.rect.east = 42.0 + 0.0001;
    std::vector<FrameLine> f = northSide();
    ASSERT_TRUE(isTick(f.back()) || isTick(f[f.size() - 2]));
    const FrameLine& lastTick = isTick(f.back()) ? f.back() : f[f.size() - 2];
    EXPECT_EQ(lastTick.line[0].x, sheet.rect.east);
    // An edge 0.3' past the last division point ends the scale without a line there.
    sheet.rect.east = 42.0 + 0.3 * MINUTE;
    f = northSide();
    for (const FrameLine& feature : f) {
        if (isTick(feature)) {
            EXPECT_LT(feature.line[0].x, sheet.rect.east);
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
    const std::vector<FrameLine> f = minuteTicksWestEast(true, settings, sheet);
    // 41 division lines (40 minutes), bars in 20 divisions.
    ASSERT_EQ(f.size(), 61u);
    const FrameLine& first = f[0];
    ASSERT_EQ(first.line.size(), 2u);
    EXPECT_EQ(first.line[0].y, 52.0);
    EXPECT_EQ(first.line[0].x,
              longitudeOffsetBy(sheet, 41.0, 52.0, -(7.0 + settings.minuteFrameWidth)));
    EXPECT_EQ(first.line[1].x, longitudeOffsetBy(sheet, 41.0, 52.0, -7.0));
}

TEST_F(MinuteFrameTest, MillionSheetBandLiesOnTheSheetOutline) {
    settings = frameSettingsFor(Series::Scale1m, MapScale::Scale1m);
    sheet.rect = {36.0, 42.0, 52.0, 56.0};
    sheet.base = sheet.rect;
    sheet.scale = settings.scaleDenominator;
    sheet.xMinute = 10;
    sheet.yMinute = 10;
    const std::vector<FrameLine> f = minuteFrame(settings, sheet);
    ASSERT_GT(f.size(), 2u);
    const Line& inner = f[0].line;
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

TEST_F(MinuteFrameTest, NonPositiveDivisionsDrawNoScale) {
    sheet.xMinute = 0;
    EXPECT_TRUE(northSide().empty());
}

}  // namespace
}  // namespace sheetbasis
