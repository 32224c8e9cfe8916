#include <gtest/gtest.h>

#include <string>

#include "frame/FontMetrics.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

TEST(FontMetricsTest, FontNames) {
    EXPECT_EQ(fontName(LabelFont::Pragmatica), "PragmaticaC");
    EXPECT_EQ(fontName(LabelFont::FreeSet), "FreeSet");
    EXPECT_EQ(fontName(LabelFont::Centurion), "AGCenturion");
    EXPECT_EQ(fontName(static_cast<LabelFont>(0)), "");
}

TEST(FontMetricsTest, RowsOfTheTableReadBackAsListed) {
    struct Row {
        LabelFont font;
        unsigned char code;
        CharMetrics m;
    };
    // A sample across fonts, negative values and the upper half of the code page.
    for (const Row& r : {Row{LabelFont::Pragmatica, 32, {233, 0, 0, 0, 0}},
                         Row{LabelFont::Pragmatica, 44, {311, 106, -148, 205, 109}},
                         Row{LabelFont::FreeSet, 53, {558, 80, -8, 488, 700}},
                         Row{LabelFont::FreeSet, 176, {336, 56, 490, 280, 714}},
                         Row{LabelFont::Centurion, 176, {500, 70, 425, 370, 725}},
                         Row{LabelFont::Centurion, 74, {395, -43, -133, 361, 732}},
                         Row{LabelFont::Pragmatica, 65, {622, -4, 0, 626, 700}},
                         Row{LabelFont::Centurion, 90, {579, 4, 0, 581, 732}},
                         Row{LabelFont::FreeSet, 81, {744, 54, -131, 689, 708}},
                         Row{LabelFont::Centurion, 45, {237, 0, 220, 225, 293}}}) {
        SCOPED_TRACE(testing::Message() << fontName(r.font) << " " << int(r.code));
        const CharMetrics m = charMetrics(r.font, r.code);
        EXPECT_EQ(m.advance, r.m.advance);
        EXPECT_EQ(m.left, r.m.left);
        EXPECT_EQ(m.bottom, r.m.bottom);
        EXPECT_EQ(m.right, r.m.right);
        EXPECT_EQ(m.top, r.m.top);
    }
}

TEST(FontMetricsTest, FiveDegreesInFreeSetTrimmedAtBothEnds) {
    const TextExtent e =
        measureText(std::string("5") + CP1251_DEGREE, LabelFont::FreeSet, 6.5, TrimMode::Both);
    // 558 - 80 + 336, then - 336 + 280 + 1 = 759 units of 6.5 pt / 1000.
    EXPECT_DOUBLE_EQ(e.width, 1.7404291666666662);
    EXPECT_DOUBLE_EQ(e.descent, -0.01834444444444444);
    EXPECT_DOUBLE_EQ(e.ascent, 1.6372416666666663);
}

TEST(FontMetricsTest, TrimModesDropTheOuterBearings) {
    const double unit = 10.0 * 0.35277777777777775 / 1000.0;
    // "52" in PragmaticaC: 581 + 584 advance; '5' starts its ink at 47, '2' ends at 535.
    EXPECT_DOUBLE_EQ(measureText("52", LabelFont::Pragmatica, 10.0, TrimMode::None).width,
                     1165 * unit);
    EXPECT_DOUBLE_EQ(measureText("52", LabelFont::Pragmatica, 10.0, TrimMode::Start).width,
                     (1165 - 47) * unit);
    EXPECT_DOUBLE_EQ(measureText("52", LabelFont::Pragmatica, 10.0, TrimMode::End).width,
                     (581 + 535 + 1) * unit);
    EXPECT_DOUBLE_EQ(measureText("52", LabelFont::Pragmatica, 10.0, TrimMode::Both).width,
                     (581 - 47 + 535 + 1) * unit);
}

TEST(FontMetricsTest, BlankEmptyAndUnmeasuredCharacters) {
    const TextExtent blank = measureText(" ", LabelFont::Centurion, 10.0, TrimMode::None);
    const double unit = 10.0 * 0.35277777777777775 / 1000.0;
    EXPECT_DOUBLE_EQ(blank.width, 250 * unit);
    EXPECT_EQ(blank.descent, 0.0);
    EXPECT_EQ(blank.ascent, 0.0);

    const TextExtent empty = measureText("", LabelFont::FreeSet, 10.0, TrimMode::Both);
    EXPECT_EQ(empty.width, 0.0);
    EXPECT_DOUBLE_EQ(empty.descent, 999999 * unit);
    EXPECT_DOUBLE_EQ(empty.ascent, -999999 * unit);

    // Code 127 and a Cyrillic letter have no metrics: they add nothing.
    const TextExtent one = measureText("1", LabelFont::FreeSet, 10.0, TrimMode::None);
    const TextExtent withUnmeasured =
        measureText(std::string("1\x7F") + cp1251("Ж"), LabelFont::FreeSet, 10.0, TrimMode::None);
    EXPECT_DOUBLE_EQ(withUnmeasured.width, one.width);
    EXPECT_DOUBLE_EQ(withUnmeasured.ascent, one.ascent);
    // Nor do they pull the bottom of an ink box that lies above the baseline down to it.
    const TextExtent apostrophe = measureText("'\x7F", LabelFont::FreeSet, 10.0, TrimMode::Both);
    EXPECT_DOUBLE_EQ(apostrophe.descent, 527 * unit);
    // An unknown font measures nothing.
    EXPECT_EQ(measureText("1", static_cast<LabelFont>(7), 10.0, TrimMode::None).width, 0.0);
}

}  // namespace
}  // namespace sheetbasis
