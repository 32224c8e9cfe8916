#include <gtest/gtest.h>

#include <cmath>

#include "frame/FontMetrics.h"
#include "frame/Frame.h"
#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"

namespace sheetbasis {
namespace {

constexpr double N36 = 52.0 + 2.0 / 3.0;

class FrameTest : public testing::Test {
  protected:
    // Sheet N-37-XXXVI: 41..42 east, 52..52°40' north.
    FrameTest() {
        p.cs = CoordinateSystem::Sk42;
        p.setScale = Series::Scale200k;
        p.mapScale = MapScale::Scale200k;
        p.base.edges.west = 41.0;
        p.base.edges.east = 42.0;
        p.base.edges.south = 52.0;
        p.base.edges.north = N36;
        p.result.xMinute = 1;
        p.result.yMinute = 1;
        rect = {41.0, 42.0, 52.0, N36};
        p.result.edges.west = rect.west;
        p.result.edges.east = rect.east;
        p.result.edges.south = rect.south;
        p.result.edges.north = rect.north;
        names = {"N-37-XXX", "M-37-VI", "N-38-XXXI", "N-37-XXXV"};
    }
    FrameFeatures run() const {
        return frameFeatures(p, rect, {0.125, 1.0 / 12.0}, names, graticule);
    }
    std::vector<FrameLine> withCode(int code) const {
        std::vector<FrameLine> out;
        const FrameFeatures features = run();
        for (const FrameLine& f : features.lines.value()) {
            if (f.code == code) out.push_back(f);
        }
        return out;
    }
    double mmOutsideNorth(double lat) const {
        return (lat - rect.north) / 180.0 * PI_TRUNCATED * SPHERE_RADIUS_KM * 1e6 /
               frameSettingsFor(p.setScale, p.mapScale).scaleDenominator;
    }

    SheetParameters p;
    AdjacentNames names;
    DrawingRect rect;
    GraticuleValues graticule{{52.0, 52.0 + 1.0 / 3.0, N36}, {41.0, 41.5, 42.0}};
};

TEST_F(FrameTest, SmallestScalesProduceNoLayer) {
    for (const auto& [series, scale] : {std::pair(Series::Scale200k, MapScale::Scale1m),
                                        std::pair(Series::Scale1m, MapScale::Scale5m)}) {
        p.setScale = series;
        p.mapScale = scale;
        const FrameFeatures features = run();
        EXPECT_FALSE(features.lines);
        EXPECT_FALSE(features.adjacentNames);
        EXPECT_FALSE(features.coordinateLabels);
    }
}

TEST_F(FrameTest, ReducedScalesHaveOneOuterContourAndLabels) {
    p.mapScale = MapScale::Scale500k;
    const FrameFeatures features = run();
    ASSERT_TRUE(features.lines);
    EXPECT_FALSE(features.adjacentNames);
    ASSERT_TRUE(features.coordinateLabels);
    const std::vector<FrameLine>& frame = *features.lines;
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0].code, 400922);
    EXPECT_EQ(frame[0].line.front().x, frame[0].line.back().x);
    EXPECT_EQ(frame[0].line.front().y, frame[0].line.back().y);
    EXPECT_NEAR(mmOutsideNorth(frame[0].line.front().y), 5.0, 1e-9);
    const std::vector<Label>& digits = *features.coordinateLabels;
    ASSERT_EQ(digits.size(), 4u * 3 + 2u * 3);
    EXPECT_EQ(digits[0].attributes.code, 400913);
    EXPECT_EQ(digits[0].attributes.size, 5.0);
}

TEST_F(FrameTest, MillionSheetHasThreeContoursAndNoNames) {
    p.setScale = Series::Scale1m;
    p.mapScale = MapScale::Scale1m;
    p.result.edges.west = p.base.edges.west = rect.west = 36.0;
    p.result.edges.east = p.base.edges.east = rect.east = 42.0;
    p.result.edges.south = p.base.edges.south = rect.south = 52.0;
    p.result.edges.north = p.base.edges.north = rect.north = 56.0;
    p.result.xMinute = p.result.yMinute = 10;
    const FrameFeatures features = run();
    EXPECT_TRUE(features.lines);
    EXPECT_FALSE(features.adjacentNames);
    EXPECT_TRUE(features.coordinateLabels);
    const std::vector<FrameLine> thin = withCode(400903);
    const std::vector<FrameLine> outer = withCode(400902);
    ASSERT_EQ(thin.size(), 2u);
    ASSERT_EQ(outer.size(), 1u);
    EXPECT_NEAR(mmOutsideNorth(thin[0].line[0].y), 7.4, 1e-6);
    EXPECT_NEAR(mmOutsideNorth(thin[1].line[0].y), 9.6, 1e-6);
    EXPECT_NEAR(mmOutsideNorth(outer[0].line[0].y), 8.5, 1e-9);
    // No ticks: the band lies on the edge.
    EXPECT_TRUE(withCode(400904).empty());
    EXPECT_TRUE(withCode(400905).empty());
}

TEST_F(FrameTest, TwoHundredThousandSheetHasNamesInTheGapsOfTheOuterLine) {
    const FrameFeatures features = run();
    const std::vector<Label> adjacent = features.adjacentNames.value();
    ASSERT_EQ(adjacent.size(), 4u);
    EXPECT_EQ(adjacent[0].attributes.text, "N-37-XXX");
    EXPECT_EQ(adjacent[1].attributes.text, "M-37-VI");
    EXPECT_EQ(adjacent[2].attributes.text, "N-37-XXXV");
    EXPECT_EQ(adjacent[3].attributes.text, "N-38-XXXI");
    for (const Label& f : adjacent) {
        EXPECT_EQ(f.attributes.code, 400911);
        EXPECT_EQ(f.attributes.font, "PragmaticaC");
        EXPECT_EQ(f.attributes.size, 6.5);
    }
    // Four outer-line pieces at 9.8 mm; each gap lies between two of them.
    const std::vector<FrameLine> outer = withCode(400902);
    ASSERT_EQ(outer.size(), 4u);
    EXPECT_NEAR(mmOutsideNorth(adjacent[0].centreLine[0].y), 9.8, 1e-6);
    EXPECT_EQ(outer[0].line.back().x, adjacent[0].centreLine.front().x);
    EXPECT_EQ(outer[1].line.front().x, adjacent[0].centreLine.back().x);
    EXPECT_EQ(outer[3].line.back().y, adjacent[2].centreLine.front().y);
    EXPECT_EQ(outer[0].line.front().y, adjacent[2].centreLine.back().y);
    // The north gap is the name's width plus 2 mm, centred on the side.
    const double width = measureText("N-37-XXX", LabelFont::Pragmatica, 6.5, TrimMode::Both).width;
    const double lat = adjacent[0].centreLine[0].y;
    const double gapMm = (adjacent[0].centreLine.back().x - adjacent[0].centreLine.front().x) / 180.0 *
                         PI_TRUNCATED * SPHERE_RADIUS_KM * std::cos(lat / 180.0 * PI_TRUNCATED) *
                         1e6 / 200000.0;
    EXPECT_NEAR(gapMm, width + 2.0, 1e-9);
    EXPECT_NEAR((adjacent[0].centreLine.back().x + adjacent[0].centreLine.front().x) / 2, 41.5, 1e-12);
    // Ticks: parallels (west, east) then meridians (north, south), after the outer line.
    const std::vector<FrameLine> parallelTicks = withCode(400905);
    const std::vector<FrameLine> meridianTicks = withCode(400904);
    ASSERT_EQ(parallelTicks.size(), 6u);
    ASSERT_EQ(meridianTicks.size(), 6u);
    EXPECT_EQ(parallelTicks[0].line[1].x, 41.0);
    EXPECT_EQ(parallelTicks[1].line[0].x, 42.0);
    EXPECT_EQ(meridianTicks[0].line[0].y, N36);
    EXPECT_NEAR(mmOutsideNorth(meridianTicks[0].line[1].y), 7.0, 1e-9);
    EXPECT_EQ(features.lines.value().back().code, 400904);
}

TEST_F(FrameTest, CutSideHasNoNameButTheLineIsStillSplit) {
    p.result.edges.west = rect.west = 41.25;
    const FrameFeatures features = run();
    const std::vector<Label> adjacent = features.adjacentNames.value();
    ASSERT_EQ(adjacent.size(), 3u);
    EXPECT_EQ(adjacent[2].attributes.text, "N-38-XXXI");
    const std::vector<FrameLine> outer = withCode(400902);
    ASSERT_EQ(outer.size(), 4u);
    const double mid = (rect.south + rect.north) / 2;
    EXPECT_EQ(outer[0].line.front().y, mid);
    EXPECT_EQ(outer[3].line.back().y, mid);
}

TEST_F(FrameTest, ShiftedDatumIsNoCut) {
    // In coordinate system 4 the drawing rectangle is the sheet carried into another
    // datum; the sheet asked for is still the nominal one and keeps all four names.
    p.cs = CoordinateSystem::Gsk2011FromSk42;
    rect = {41.0018, 42.0019, 52.00001, N36 + 0.00001};
    EXPECT_EQ(run().adjacentNames.value().size(), 4u);
}

TEST_F(FrameTest, NameTooLongForItsSideGetsNoGap) {
    names.west = std::string(200, 'W');  // about 410 mm, the side is 370 mm
    const FrameFeatures features = run();
    const std::vector<Label> adjacent = features.adjacentNames.value();
    ASSERT_EQ(adjacent.size(), 3u);
    for (const Label& f : adjacent) EXPECT_NE(f.attributes.text, names.west);
}

}  // namespace
}  // namespace sheetbasis
