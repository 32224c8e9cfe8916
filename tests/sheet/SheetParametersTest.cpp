#include <gtest/gtest.h>

#include "sheet/SheetParameters.h"

namespace sheetbasis {
namespace {

constexpr std::int32_t ROW_U = 1;
constexpr std::int32_t ROW_N = 8;
constexpr std::int32_t ROW_K = 11;
constexpr double TWO_THIRDS = 2.0 / 3.0;

void expectBase(const BaseParameters& b, double xFrom, double xTo, double yFrom, double yTo,
                double meridianStep, std::int32_t xMinute, double parallelStep,
                std::int32_t yMinute) {
    EXPECT_DOUBLE_EQ(b.baseXFrom, xFrom);
    EXPECT_DOUBLE_EQ(b.baseXTo, xTo);
    EXPECT_DOUBLE_EQ(b.baseYFrom, yFrom);
    EXPECT_DOUBLE_EQ(b.baseYTo, yTo);
    EXPECT_EQ(b.baseMeridianStep, meridianStep);
    EXPECT_EQ(b.baseXMinute, xMinute);
    EXPECT_EQ(b.baseParallelStep, parallelStep);
    EXPECT_EQ(b.baseYMinute, yMinute);
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
    const BaseParameters b200 =
        computeBaseParameters(Series::Scale200k, ROW_N, 37, 1, SheetType::Standard);
    EXPECT_EQ(b200.baseParallelStep, 0.16666666666666666);
    EXPECT_EQ(b200.baseYFrom, b200.baseYTo - 0.6666666666666666);
    const BaseParameters b1m =
        computeBaseParameters(Series::Scale1m, ROW_N, 37, 1, SheetType::Standard);
    EXPECT_EQ(b1m.baseParallelStep, 0.6666666666666666);
}

TEST(ComputeBaseParametersTest, ColumnsBeginAtTheAntimeridianAndWrapAtGreenwich) {
    EXPECT_EQ(computeBaseParameters(Series::Scale1m, ROW_N, 31, 1, SheetType::Standard).baseXFrom,
              0.0);
    EXPECT_EQ(computeBaseParameters(Series::Scale1m, ROW_N, 30, 1, SheetType::Standard).baseXFrom,
              354.0);
    EXPECT_EQ(computeBaseParameters(Series::Scale1m, ROW_N, 1, 1, SheetType::Standard).baseXFrom,
              180.0);
    EXPECT_EQ(computeBaseParameters(Series::Scale1m, ROW_N, 60, 1, SheetType::Standard).baseXFrom,
              174.0);
    EXPECT_EQ(computeBaseParameters(Series::Scale1m, ROW_U, 1, 1, SheetType::Standard).baseYTo,
              84.0);
    EXPECT_EQ(computeBaseParameters(Series::Scale1m, ROW_K, 1, 1, SheetType::Standard).baseYTo,
              44.0);
    EXPECT_EQ(computeBaseParameters(Series::Scale1m, ROW_K, 1, 1, SheetType::Standard).baseYFrom,
              40.0);
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
        const BaseParameters b =
            computeBaseParameters(Series::Scale200k, ROW_N, 37, k.number, SheetType::Standard);
        EXPECT_DOUBLE_EQ(b.baseXFrom, k.xFrom) << k.number;
        EXPECT_DOUBLE_EQ(b.baseYTo, k.yTo) << k.number;
        EXPECT_EQ(b.baseXTo, b.baseXFrom + 1.0) << k.number;
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
    const BaseParameters a =
        computeBaseParameters(Series::Scale1m, ROW_N, 37, 1, SheetType::Standard);
    const BaseParameters b =
        computeBaseParameters(Series::Scale1m, ROW_N, 37, 36, SheetType::Standard);
    EXPECT_EQ(a.baseXFrom, b.baseXFrom);
    EXPECT_EQ(a.baseYTo, b.baseYTo);
}

TEST(SheetParametersTest, BaseFieldsAreDerivedAndCopiedToTheResult) {
    SheetParameters p;
    p.setScale = Series::Scale200k;
    p.yZone = ROW_N;
    p.xZone = 37;
    p.sheetNumber = 36;
    p.sheetType = SheetType::Standard;
    setBaseFromIdentity(p);
    copyBaseToResult(p);
    EXPECT_EQ(p.baseXFrom, 41.0);
    EXPECT_EQ(p.xFrom, 41.0);
    EXPECT_EQ(p.xTo, 42.0);
    EXPECT_EQ(p.yFrom, 52.0);
    EXPECT_EQ(p.yTo, p.baseYTo);
    EXPECT_EQ(p.meridianStep, 0.25);
    EXPECT_EQ(p.xMinute, 1);
    EXPECT_EQ(p.parallelStep, 1.0 / 6.0);
    EXPECT_EQ(p.yMinute, 1);
}

}  // namespace
}  // namespace sheetbasis
