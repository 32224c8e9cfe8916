#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "frame/CoordLabels.h"
#include "frame/FontMetrics.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

TEST(CoordLabelsTest, TextsAreRoundedToWholeMinutes) {
    const std::string deg = std::string(1, CP1251_DEGREE);
    CoordTexts t = labelTexts(56.5, false);
    EXPECT_EQ(t.degrees, "56" + deg);
    EXPECT_EQ(t.minutes, "30'");
    EXPECT_EQ(t.hemisphere, " ");
    t = labelTexts(55.99999, false);
    EXPECT_EQ(t.degrees, "56" + deg);
    EXPECT_EQ(t.minutes, "0'");
    t = labelTexts(190.25, true);
    EXPECT_EQ(t.degrees, "169" + deg);
    EXPECT_EQ(t.minutes, "45'");
    EXPECT_EQ(t.hemisphere, cp1251("З"));
    t = labelTexts(180.0, true);
    EXPECT_EQ(t.degrees, "180" + deg);
    EXPECT_EQ(t.minutes, "0'");
    EXPECT_EQ(t.hemisphere, cp1251("В"));
    t = labelTexts(52.0 + 2.0 / 3.0, false);
    EXPECT_EQ(t.degrees, "52" + deg);
    EXPECT_EQ(t.minutes, "40'");
    // An east edge past 360 is the same meridian a turn earlier: 3°30' east, not -3°.
    t = labelTexts(363.5, true);
    EXPECT_EQ(t.degrees, "3" + deg);
    EXPECT_EQ(t.minutes, "30'");
    EXPECT_EQ(t.hemisphere, cp1251("В"));
    // No value gives a text longer than 10 characters.
    EXPECT_LE(labelTexts(1e300, false).degrees.size(), 10u);
}

class CoordLabelsLayerTest : public testing::Test {
  protected:
    void configure(Series series, DrawingRect rect) {
        settings = frameSettingsFor(series, seriesMapScale(series));
        sheet.rect = rect;
        sheet.base = rect;
        sheet.lonStep = 0.125;
        sheet.latStep = 1.0 / 12.0;
        sheet.scale = settings.scaleDenominator;
        sheet.radius = SPHERE_RADIUS_KM;
    }
    std::vector<Label> write(const std::vector<double>& parallels,
                             const std::vector<double>& meridians) const {
        return coordinateLabels(settings, sheet, {parallels, meridians});
    }
    // Map millimetres from latitude lat0 north to lat1 (sphere of the frame layers).
    double mmNorth(double lat0, double lat1) const {
        return (lat1 - lat0) / 180.0 * PI_TRUNCATED * sheet.radius * 1e6 / sheet.scale;
    }
    double mmEast(double lon0, double lon1, double lat) const {
        return (lon1 - lon0) / 180.0 * PI_TRUNCATED * sheet.radius *
               std::cos(lat / 180.0 * PI_TRUNCATED) * 1e6 / sheet.scale;
    }

    FrameSettings settings;
    FrameSheet sheet;
};

const double N36 = 52.0 + 2.0 / 3.0;

TEST_F(CoordLabelsLayerTest, ParallelLabelsSitAboveAndBelowOnBothMargins) {
    configure(Series::Scale200k, {41.0, 42.0, 52.0, N36});
    const std::vector<Label> f = write({52.5}, {});
    ASSERT_EQ(f.size(), 4u);
    const std::string deg = "52" + std::string(1, CP1251_DEGREE);
    EXPECT_EQ(f[0].attributes.text, deg);
    EXPECT_EQ(f[1].attributes.text, deg);
    EXPECT_EQ(f[2].attributes.text, "30'");
    EXPECT_EQ(f[3].attributes.text, "30'");
    for (const Label& label : f) {
        EXPECT_EQ(label.attributes.code, 400912);
        EXPECT_EQ(label.attributes.font, "FreeSet");
        EXPECT_EQ(label.attributes.size, 6.5);
    }
    EXPECT_GT(f[0].centreLine[0].y, 52.5);
    EXPECT_LT(f[2].centreLine[0].y, 52.5);
    // West labels end before W, the wider one 1.0 mm before it; east ones start 1.0 mm
    // after E.
    const double westGap = std::min(mmEast(f[0].centreLine.back().x, 41.0, f[0].centreLine[0].y),
                                    mmEast(f[2].centreLine.back().x, 41.0, f[2].centreLine[0].y));
    EXPECT_NEAR(westGap, 1.0, 1e-9);
    EXPECT_NEAR(mmEast(42.0, f[1].centreLine.front().x, f[1].centreLine[0].y), 1.0, 1e-9);
    // Both west texts start at the same distance from the edge.
    EXPECT_NEAR(mmEast(f[0].centreLine.front().x, 41.0, f[0].centreLine[0].y),
                mmEast(f[2].centreLine.front().x, 41.0, f[2].centreLine[0].y), 1e-9);
}

TEST_F(CoordLabelsLayerTest, MillionSheetLabelsClearTheBandOnTheEdge) {
    configure(Series::Scale1m, {36.0, 42.0, 52.0, 56.0});
    const std::vector<Label> f = write({54.0}, {});
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0].attributes.font, "AGCenturion");
    EXPECT_EQ(f[0].attributes.size, 8.0);
    const double westGap = std::min(mmEast(f[0].centreLine.back().x, 36.0, f[0].centreLine[0].y),
                                    mmEast(f[2].centreLine.back().x, 36.0, f[2].centreLine[0].y));
    EXPECT_NEAR(westGap, 2.0, 1e-9);
}

TEST_F(CoordLabelsLayerTest, FirstMeridianLabelIsRaisedClearOfTheCornerLabel) {
    configure(Series::Scale200k, {41.0, 42.0, 52.0, N36});
    const std::vector<Label> f = write({52.0, 52.0 + 1.0 / 3.0, N36}, {41.0, 41.5, 42.0});
    ASSERT_EQ(f.size(), 12u + 6u);
    const std::string deg = std::string(1, CP1251_DEGREE);
    EXPECT_EQ(f[12].attributes.text, "41" + deg + " 0'");
    EXPECT_EQ(f[14].attributes.text, "41" + deg + " 30'");
    EXPECT_EQ(f[16].attributes.text, "42" + deg + " 0'");
    const TextExtent label = measureText("41" + deg, LabelFont::FreeSet, 6.5, TrimMode::Start);
    const TextExtent minutes = measureText("30'", LabelFont::FreeSet, 6.5, TrimMode::End);
    const double hmax = std::max(label.ascent - label.descent, minutes.ascent - minutes.descent);
    const TextExtent corner = measureText("52" + deg, LabelFont::FreeSet, 6.5, TrimMode::Both);
    const double h = corner.ascent - corner.descent;
    // The middle meridian's label is 1.0 mm above the edge (centre hmax/2 further).
    const double middle = mmNorth(N36, f[14].centreLine[0].y);
    EXPECT_NEAR(middle, 1.0 + hmax / 2, 1e-9);
    // The first and the last are raised to 0.4 + h + 0.8 mm.
    EXPECT_NEAR(mmNorth(N36, f[12].centreLine[0].y), 0.4 + h + 0.8 + hmax / 2, 1e-9);
    EXPECT_NEAR(mmNorth(N36, f[16].centreLine[0].y), 0.4 + h + 0.8 + hmax / 2, 1e-9);
    // The blank between degrees and minutes sits on the meridian.
    const double wb = measureText(" ", LabelFont::FreeSet, 6.5, TrimMode::None).width;
    EXPECT_NEAR(mmEast(f[14].centreLine.front().x, 41.5, f[14].centreLine[0].y), wb / 2 + label.width,
                1e-9);
}

TEST_F(CoordLabelsLayerTest, WithoutParallelsNoMeridianLabelIsRaised) {
    configure(Series::Scale200k, {41.0, 42.0, 52.0, N36});
    const std::vector<Label> f = write({}, {41.0});
    ASSERT_EQ(f.size(), 2u);
    const std::string deg = std::string(1, CP1251_DEGREE);
    const TextExtent label = measureText("41" + deg, LabelFont::FreeSet, 6.5, TrimMode::Start);
    const TextExtent minutes = measureText("0'", LabelFont::FreeSet, 6.5, TrimMode::End);
    const double hmax = std::max(label.ascent - label.descent, minutes.ascent - minutes.descent);
    EXPECT_NEAR(mmNorth(N36, f[0].centreLine[0].y), 1.0 + hmax / 2, 1e-9);
    EXPECT_NEAR(mmNorth(f[1].centreLine[0].y, 52.0), 1.0 + hmax / 2, 1e-9);
}

}  // namespace
}  // namespace sheetbasis
