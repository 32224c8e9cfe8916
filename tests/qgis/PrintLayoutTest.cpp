#include <gtest/gtest.h>

#include "qgis/PrintLayout.h"

namespace sheetbasis {
namespace {

TEST(PrintLayout, smallestStandardPaperHoldsTheContentWithItsMargins) {
    struct Case {
        Paper paper;
        LayoutPage content;
        LayoutPage expected;
    };
    const Case cases[] = {
        // Exactly A4 less 10 mm all round; a tenth of a millimetre more needs A3.
        {Paper::SmallestIso, {190.0, 277.0}, {210.0, 297.0}},
        {Paper::SmallestIso, {190.1, 277.0}, {297.0, 420.0}},
        // Wider than high: landscape, when that is the position it fits in.
        {Paper::SmallestIso, {277.0, 190.0}, {297.0, 210.0}},
        // Too long for A4 in either position: A3 upright.
        {Paper::SmallestIso, {100.0, 300.0}, {297.0, 420.0}},
        // N-37-XXXVI at 1:200 000 with its margin texts: A2 upright.
        {Paper::SmallestIso, {367.4, 425.5}, {420.0, 594.0}},
        {Paper::SmallestIso, {821.0, 1169.0}, {841.0, 1189.0}},
        // Beyond A0: a page fitted to the content, 5 mm round it.
        {Paper::SmallestIso, {821.1, 1169.0}, {831.1, 1179.0}},
        {Paper::SmallestIso, {1300.0, 200.0}, {1310.0, 210.0}},
        // A chosen paper, turned so that the content fits, or as the content runs.
        {Paper::A3, {100.0, 50.0}, {420.0, 297.0}},
        {Paper::A3, {100.0, 300.0}, {297.0, 420.0}},
        {Paper::A4, {367.4, 425.5}, {210.0, 297.0}},
        {Paper::A4, {425.5, 367.4}, {297.0, 210.0}},
        {Paper::A0, {10.0, 10.0}, {841.0, 1189.0}},
        {Paper::Fit, {100.0, 50.0}, {110.0, 60.0}},
    };
    for (const Case& c : cases) {
        const LayoutPage page = pageFor(c.paper, c.content);
        EXPECT_DOUBLE_EQ(page.widthMm, c.expected.widthMm)
            << c.content.widthMm << " x " << c.content.heightMm;
        EXPECT_DOUBLE_EQ(page.heightMm, c.expected.heightMm)
            << c.content.widthMm << " x " << c.content.heightMm;
    }
}

TEST(PrintLayout, paperTurnsAsTheBoxRuns) {
    EXPECT_DOUBLE_EQ(paperTurnedAs(Paper::A3, {3.0, 2.0}).widthMm, 420.0);
    EXPECT_DOUBLE_EQ(paperTurnedAs(Paper::A3, {2.0, 3.0}).widthMm, 297.0);
    EXPECT_DOUBLE_EQ(paperTurnedAs(Paper::A4, {2.0, 3.0}).heightMm, 297.0);
}

TEST(PrintLayout, scaleInWordsAgreesWithItsNumber) {
    struct Case {
        double denominator;
        const char* expected;
    };
    const Case cases[] = {
        {200'000, "в 1 сантиметре 2 километра"},
        {500'000, "в 1 сантиметре 5 километров"},
        {1'000'000, "в 1 сантиметре 10 километров"},
        {2'500'000, "в 1 сантиметре 25 километров"},
        {5'000'000, "в 1 сантиметре 50 километров"},
        {100'000, "в 1 сантиметре 1 километр"},
        {2'100'000, "в 1 сантиметре 21 километр"},
        {1'100'000, "в 1 сантиметре 11 километров"},
        {11'200'000, "в 1 сантиметре 112 километров"},
        {2'400'000, "в 1 сантиметре 24 километра"},
        {250'000, "в 1 сантиметре 2,5 километра"},
        {50'000, "в 1 сантиметре 500 метров"},
        {10'000, "в 1 сантиметре 100 метров"},
        {2'200, "в 1 сантиметре 22 метра"},
        {100, "в 1 сантиметре 1 метр"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scaleInWords(c.denominator), c.expected) << c.denominator;
    }
}

TEST(PrintLayout, scaleTextGroupsItsDigits) {
    EXPECT_EQ(scaleText(200'000), "Масштаб 1:200 000");
    EXPECT_EQ(scaleText(25'000'000), "Масштаб 1:25 000 000");
    EXPECT_EQ(scaleText(500), "Масштаб 1:500");
}

}  // namespace
}  // namespace sheetbasis
