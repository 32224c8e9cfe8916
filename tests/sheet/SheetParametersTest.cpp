#include <gtest/gtest.h>

#include "sheet/SheetParameters.h"

namespace sheetbasis {
namespace {

constexpr std::int32_t ROW_U = 1;
constexpr std::int32_t ROW_N = 8;
constexpr std::int32_t ROW_K = 11;
constexpr double TWO_THIRDS = 2.0 / 3.0;

void expectBase(const Trapezoid& b, double xFrom, double xTo, double yFrom, double yTo,
                double meridianStep, std::int32_t xMinute, double parallelStep,
                std::int32_t yMinute) {
    EXPECT_DOUBLE_EQ(b.edges.west, xFrom);
    EXPECT_DOUBLE_EQ(b.edges.east, xTo);
    EXPECT_DOUBLE_EQ(b.edges.south, yFrom);
    EXPECT_DOUBLE_EQ(b.edges.north, yTo);
    EXPECT_EQ(b.meridianStep, meridianStep);
    EXPECT_EQ(b.xMinute, xMinute);
    EXPECT_EQ(b.parallelStep, parallelStep);
    EXPECT_EQ(b.yMinute, yMinute);
}

TEST(ComputeBaseParametersTest, WorkedValues) {
    // N-37 at 1:1 000 000.
    expectBase(computeBaseParameters(Series::Scale1m, ROW_N, 37, 1, SheetType::Standard), 36, 42,
               52, 56, 1.0, 10, TWO_THIRDS, 10);
    // N-37-XXXVI at 1:200 000.
    expectBase(computeBaseParameters(Series::Scale200k, ROW_N, 37, 36, SheetType::Standard), 41, 42,
               52, 52 + TWO_THIRDS, 0.25, 1, 1.0 / 6.0, 1);
    // U-30,31: the east edge passes 360 and is not reduced.
    expectBase(computeBaseParameters(Series::Scale1m, ROW_U, 30, 1, SheetType::Double), 354, 366,
               80, 84, 2.0, 20, TWO_THIRDS, 10);
}

TEST(ComputeBaseParametersTest, StepsAreTheExactDoubles) {
    const Trapezoid b200 =
        computeBaseParameters(Series::Scale200k, ROW_N, 37, 1, SheetType::Standard);
    EXPECT_EQ(b200.parallelStep, 0.16666666666666666);
    EXPECT_EQ(b200.edges.south, b200.edges.north - 0.6666666666666666);
    const Trapezoid b1m = computeBaseParameters(Series::Scale1m, ROW_N, 37, 1, SheetType::Standard);
    EXPECT_EQ(b1m.parallelStep, 0.6666666666666666);
}

TEST(ComputeBaseParametersTest, ColumnsBeginAtTheAntimeridianAndWrapAtGreenwich) {
    const struct {
        std::int32_t row;
        std::int32_t column;
        DrawingRect edges;  // of the million sheet
    } cases[] = {
        {ROW_N, 31, {0.0, 6.0, 52.0, 56.0}},    {ROW_N, 30, {354.0, 360.0, 52.0, 56.0}},
        {ROW_N, 1, {180.0, 186.0, 52.0, 56.0}}, {ROW_N, 60, {174.0, 180.0, 52.0, 56.0}},
        {ROW_U, 1, {180.0, 186.0, 80.0, 84.0}}, {ROW_K, 1, {180.0, 186.0, 40.0, 44.0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            computeBaseParameters(Series::Scale1m, c.row, c.column, 1, SheetType::Standard).edges,
            c.edges)
            << c.row << " " << c.column;
    }
}

TEST(ComputeBaseParametersTest, SheetNumbersRunRowByRowFromTheNorthWest) {
    struct Corner {
        std::int32_t number;
        double xFrom;
        double yTo;
    };
    // Million sheet N-37: 36..42 east, 52..56 north.
    for (const Corner& k : {Corner{1, 36, 56}, Corner{6, 41, 56}, Corner{31, 36, 52 + TWO_THIRDS},
                            Corner{36, 41, 52 + TWO_THIRDS}}) {
        const Trapezoid b =
            computeBaseParameters(Series::Scale200k, ROW_N, 37, k.number, SheetType::Standard);
        EXPECT_DOUBLE_EQ(b.edges.west, k.xFrom) << k.number;
        EXPECT_DOUBLE_EQ(b.edges.north, k.yTo) << k.number;
        EXPECT_EQ(b.edges.east, b.edges.west + 1.0) << k.number;
    }
}

TEST(ComputeBaseParametersTest, JoinedSheetsAndFallBackRows) {
    // Triple from the east column of the million sheet runs on into the next column.
    expectBase(computeBaseParameters(Series::Scale200k, ROW_U, 37, 6, SheetType::Triple), 41, 44,
               84 - TWO_THIRDS, 84, 0.75, 5, 1.0 / 6.0, 1);
    expectBase(computeBaseParameters(Series::Scale200k, ROW_U, 37, 1, SheetType::Double), 36, 38,
               84 - TWO_THIRDS, 84, 0.5, 2, 1.0 / 6.0, 1);
    expectBase(computeBaseParameters(Series::Scale1m, ROW_U, 37, 1, SheetType::Quadruple), 36, 60,
               80, 84, 4.0, 40, TWO_THIRDS, 10);
    // Types the series does not offer.
    expectBase(computeBaseParameters(Series::Scale1m, ROW_U, 37, 1, SheetType::Triple), 36, 54, 80,
               84, 1.0, 10, TWO_THIRDS, 10);
    expectBase(computeBaseParameters(Series::Scale200k, ROW_U, 37, 1, SheetType::Quadruple), 36, 40,
               84 - TWO_THIRDS, 84, 0.25, 1, 1.0 / 6.0, 1);
}

TEST(ComputeBaseParametersTest, MillionSeriesIgnoresTheSheetNumber) {
    const Trapezoid a = computeBaseParameters(Series::Scale1m, ROW_N, 37, 1, SheetType::Standard);
    const Trapezoid b = computeBaseParameters(Series::Scale1m, ROW_N, 37, 36, SheetType::Standard);
    EXPECT_EQ(a.edges.west, b.edges.west);
    EXPECT_EQ(a.edges.north, b.edges.north);
}

TEST(ResultEdgeLimitsTest, AnEdgeReachesLessThanOneSheetOfTheSeriesBeyondTheBase) {
    struct Case {
        Series series;
        DrawingRect base;
        DrawingRect limits;
    };
    const Case cases[] = {
        // N-37: edges short of 30 and 48 east, 48 and 60 north.
        {Series::Scale1m, {36, 42, 52, 56}, {30, 48, 48, 60}},
        // N-37-XXXVI.
        {Series::Scale200k,
         {41, 42, 52, 52 + TWO_THIRDS},
         {40, 43, 52 - TWO_THIRDS, 52 + 2 * TWO_THIRDS}},
    };
    for (const Case& c : cases) {
        const DrawingRect limits = resultEdgeLimits(c.base, c.series);
        EXPECT_DOUBLE_EQ(limits.west, c.limits.west);
        EXPECT_DOUBLE_EQ(limits.east, c.limits.east);
        EXPECT_DOUBLE_EQ(limits.south, c.limits.south);
        EXPECT_DOUBLE_EQ(limits.north, c.limits.north);
    }
}

}  // namespace
}  // namespace sheetbasis
