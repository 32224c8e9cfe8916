#include <gtest/gtest.h>

#include <string>

#include "frame/FontMetrics.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

TEST(FontMetricsTest, FontNamesByNumber) {
    EXPECT_EQ(fontName(1), "PragmaticaC");
    EXPECT_EQ(fontName(2), "FreeSet");
    EXPECT_EQ(fontName(3), "AGCenturion");
    EXPECT_EQ(fontName(0), "");
    EXPECT_EQ(fontName(4), "");
}

TEST(FontMetricsTest, RowsOfTheTableReadBackAsListed) {
    struct Row {
        std::int32_t font;
        unsigned char code;
        CharMetrics m;
    };
    // A sample across fonts, negative values and the upper half of the code page.
    for (const Row& r :
         {Row{1, 32, {233, 0, 0, 0, 0}}, Row{1, 44, {311, 106, -148, 205, 109}},
          Row{2, 53, {558, 80, -8, 488, 700}}, Row{2, 176, {336, 56, 490, 280, 714}},
          Row{3, 176, {500, 70, 425, 370, 725}}, Row{3, 74, {395, -43, -133, 361, 732}},
          Row{1, 65, {622, -4, 0, 626, 700}}, Row{3, 90, {579, 4, 0, 581, 732}},
          Row{2, 81, {744, 54, -131, 689, 708}}, Row{3, 45, {237, 0, 220, 225, 293}}}) {
        SCOPED_TRACE(testing::Message() << r.font << " " << int(r.code));
        const CharMetrics m = charMetrics(r.font, r.code);
        EXPECT_EQ(m.advance, r.m.advance);
        EXPECT_EQ(m.left, r.m.left);
        EXPECT_EQ(m.bottom, r.m.bottom);
        EXPECT_EQ(m.right, r.m.right);
        EXPECT_EQ(m.top, r.m.top);
    }
}

TEST(FontMetricsTest, FiveDegreesInFreeSetTrimmedAtBothEnds) {
    const TextExtent e = measureText(std::string("5") + CP1251_DEGREE, 2, 6.5, TRIM_BOTH);
    // 558 - 80 + 336, then - 336 + 280 + 1 = 759 units of 6.5 pt / 1000.
    EXPECT_DOUBLE_EQ(e.width, 1.7404291666666662);
    EXPECT_DOUBLE_EQ(e.descent, -0.01834444444444444);
    EXPECT_DOUBLE_EQ(e.ascent, 1.6372416666666663);
}

TEST(FontMetricsTest, TrimModesDropTheOuterBearings) {
    const double unit = 10.0 * 0.35277777777777775 / 1000.0;
    // "52" in PragmaticaC: 581 + 584 advance; '5' starts its ink at 47, '2' ends at 535.
    EXPECT_DOUBLE_EQ(measureText("52", 1, 10.0, TRIM_NONE).width, 1165 * unit);
    EXPECT_DOUBLE_EQ(measureText("52", 1, 10.0, TRIM_START).width, (1165 - 47) * unit);
    EXPECT_DOUBLE_EQ(measureText("52", 1, 10.0, TRIM_END).width, (581 + 535 + 1) * unit);
    EXPECT_DOUBLE_EQ(measureText("52", 1, 10.0, TRIM_BOTH).width, (581 - 47 + 535 + 1) * unit);
}

TEST(FontMetricsTest, BlankEmptyAndUnmeasuredCharacters) {
    const TextExtent blank = measureText(" ", 3, 10.0, TRIM_NONE);
    const double unit = 10.0 * 0.35277777777777775 / 1000.0;
    EXPECT_DOUBLE_EQ(blank.width, 250 * unit);
    EXPECT_EQ(blank.descent, 0.0);
    EXPECT_EQ(blank.ascent, 0.0);

    const TextExtent empty = measureText("", 2, 10.0, TRIM_BOTH);
    EXPECT_EQ(empty.width, 0.0);
    EXPECT_DOUBLE_EQ(empty.descent, 999999 * unit);
    EXPECT_DOUBLE_EQ(empty.ascent, -999999 * unit);

    // Code 127 and a Cyrillic letter have no metrics: they add nothing.
    const TextExtent one = measureText("1", 2, 10.0, TRIM_NONE);
    const TextExtent withUnmeasured =
        measureText(std::string("1\x7F") + cp1251("Ж"), 2, 10.0, TRIM_NONE);
    EXPECT_DOUBLE_EQ(withUnmeasured.width, one.width);
    EXPECT_DOUBLE_EQ(withUnmeasured.ascent, one.ascent);
    // Nor do they pull the bottom of an ink box that lies above the baseline down to it.
    const TextExtent apostrophe = measureText("'\x7F", 2, 10.0, TRIM_BOTH);
    EXPECT_DOUBLE_EQ(apostrophe.descent, 527 * unit);
    // An unknown font measures nothing.
    EXPECT_EQ(measureText("1", 7, 10.0, TRIM_NONE).width, 0.0);
}

}  // namespace
}  // namespace sheetbasis
