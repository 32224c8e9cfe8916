#include <gtest/gtest.h>

#include "frame/FrameSettings.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {
namespace {

TEST(FrameSettingsTest, TwoHundredThousandMapHasEveryElement) {
    const FrameSettings f = frameSettingsFor(Series::Scale200k, MapScale::Scale200k);
    EXPECT_EQ(f.scaleDenominator, 200000.0);
    EXPECT_TRUE(f.minuteFrameOn);
    EXPECT_EQ(f.minuteFrameOffset, 7.0);
    EXPECT_EQ(f.minuteFrameWidth, 1.2000000476837158);
    EXPECT_TRUE(f.minuteParityX);
    EXPECT_TRUE(f.minuteParityY);
    EXPECT_EQ(f.minuteFrameCode, 400901);
    EXPECT_EQ(f.minuteTickCode, 400901);
    EXPECT_EQ(f.minuteBarCode, 400901);
    EXPECT_TRUE(f.outerFrameOn);
    EXPECT_EQ(f.outerFrameCodeA, 400904);
    EXPECT_EQ(f.outerFrameCodeB, 400905);
    EXPECT_TRUE(f.coordLabelsOn);
    EXPECT_EQ(f.coordLabelSize, 6.5);
    EXPECT_EQ(f.coordLabelFont, LabelFont::FreeSet);
    EXPECT_EQ(f.coordLabelCode, 400912);
    EXPECT_TRUE(f.adjacentLabelsOn);
    EXPECT_EQ(f.adjacentLabelSize, 6.5);
    EXPECT_EQ(f.adjacentLabelFont, LabelFont::Pragmatica);
    EXPECT_EQ(f.adjacentLabelCode, 400911);
    EXPECT_EQ(f.outerLineMode, 1);
    EXPECT_EQ(f.outerLineOffset, 9.800000190734863);
    EXPECT_EQ(f.outerLineCode, 400902);
}

TEST(FrameSettingsTest, MillionMapHasBandOnTheEdgeAndFlankedOuterLine) {
    const FrameSettings f = frameSettingsFor(Series::Scale1m, MapScale::Scale1m);
    EXPECT_EQ(f.scaleDenominator, 1000000.0);
    EXPECT_TRUE(f.minuteFrameOn);
    EXPECT_EQ(f.minuteFrameOffset, 0.0);
    EXPECT_EQ(f.minuteFrameWidth, 1.0);
    // Ticks need a strip between the edge and the band; the band lies on the edge.
    EXPECT_FALSE(f.outerFrameOn);
    EXPECT_TRUE(f.coordLabelsOn);
    EXPECT_EQ(f.coordLabelSize, 8.0);
    EXPECT_EQ(f.coordLabelFont, LabelFont::Centurion);
    EXPECT_EQ(f.coordLabelCode, 400912);
    EXPECT_FALSE(f.adjacentLabelsOn);
    EXPECT_EQ(f.outerLineMode, 2);
    EXPECT_EQ(f.outerLineOffset, 8.5);
    EXPECT_EQ(f.outerLineCode, 400902);
    EXPECT_EQ(f.outerLineGap, 1.100000023841858);
    EXPECT_EQ(f.outerThinLineCode, 400903);
    // The thin lines of the million sheet lie at 7.4 and 9.6 mm.
    EXPECT_NEAR(f.outerLineOffset - f.outerLineGap, 7.4, 1e-7);
    EXPECT_NEAR(f.outerLineOffset + f.outerLineGap, 9.6, 1e-7);
}

TEST(FrameSettingsTest, ReducedMapsHaveLabelsAndOneOuterLine) {
    struct Row {
        Series series;
        MapScale scale;
        double denominator;
        double size;
        LabelFont font;
    };
    for (const Row& row :
         {Row{Series::Scale200k, MapScale::Scale500k, 500000.0, 5.0, LabelFont::FreeSet},
          Row{Series::Scale1m, MapScale::Scale2500k, 2500000.0, 5.5, LabelFont::Centurion}}) {
        SCOPED_TRACE(row.denominator);
        const FrameSettings f = frameSettingsFor(row.series, row.scale);
        EXPECT_EQ(f.scaleDenominator, row.denominator);
        EXPECT_FALSE(f.minuteFrameOn);
        EXPECT_FALSE(f.outerFrameOn);
        EXPECT_FALSE(f.adjacentLabelsOn);
        EXPECT_TRUE(f.coordLabelsOn);
        EXPECT_EQ(f.coordLabelSize, row.size);
        EXPECT_EQ(f.coordLabelFont, row.font);
        EXPECT_EQ(f.coordLabelCode, 400913);
        EXPECT_EQ(f.outerLineMode, 1);
        EXPECT_EQ(f.outerLineOffset, 5.0);
        EXPECT_EQ(f.outerLineCode, 400922);
    }
}

TEST(FrameSettingsTest, SmallestScalesAndUnknownCombinationsHaveNoFrame) {
    struct Row {
        Series series;
        MapScale scale;
        double denominator;
    };
    for (const Row& row : {Row{Series::Scale200k, MapScale::Scale1m, 1000000.0},
                           Row{Series::Scale1m, MapScale::Scale5m, 5000000.0},
                           Row{Series::Scale200k, MapScale::Scale2500k, 0.0},
                           Row{Series::Scale1m, MapScale::Scale500k, 0.0},
                           Row{static_cast<Series>(2), MapScale::Scale1m, 0.0},
                           Row{static_cast<Series>(-999), static_cast<MapScale>(-999), 0.0}}) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(row.series) << " " << denominatorOf(row.scale));
        const FrameSettings f = frameSettingsFor(row.series, row.scale);
        EXPECT_EQ(f.scaleDenominator, row.denominator);
        EXPECT_FALSE(f.minuteFrameOn);
        EXPECT_FALSE(f.outerFrameOn);
        EXPECT_FALSE(f.coordLabelsOn);
        EXPECT_FALSE(f.adjacentLabelsOn);
        EXPECT_EQ(f.outerLineMode, 0);
    }
}

TEST(FrameSettingsTest, UnknownCombinationsLeaveEveryFlagFalse) {
    for (const auto& [series, scale] : {std::pair{Series::Scale200k, MapScale::Scale5m},
                                        std::pair{Series::Scale1m, MapScale::Scale200k},
                                        std::pair{static_cast<Series>(2), MapScale::Scale1m}}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(series) << " " << denominatorOf(scale));
        const FrameSettings f = frameSettingsFor(series, scale);
        EXPECT_FALSE(f.minuteParityX);
        EXPECT_FALSE(f.minuteParityY);
    }
    // A known scale without a frame still has the parity the minute scale always starts with.
    EXPECT_TRUE(frameSettingsFor(Series::Scale1m, MapScale::Scale5m).minuteParityX);
}

}  // namespace
}  // namespace sheetbasis
