#include "sheet/SheetParameters.h"

#include <algorithm>
#include <array>

namespace sheetbasis {

namespace {

// North edge of the row yZone is NORTH_EDGE_BASE - ROW_HEIGHT * yZone degrees (U: 84, K: 44).
constexpr std::int32_t NORTH_EDGE_BASE_DEG = 88;
constexpr std::int32_t ROW_HEIGHT_DEG = 4;
// Column 1 begins at 180 degrees west, i.e. 180 on the 0..360 scale; each column is
// 6 degrees wide, so column xZone begins at 6 * xZone + 174.
constexpr std::int32_t COLUMN_WIDTH_DEG = 6;
constexpr std::int32_t COLUMN_OFFSET_DEG = 174;
constexpr double FULL_CIRCLE_DEG = 360.0;

// A million sheet holds 6 x 6 sheets of 1:200 000, each 1 degree by 40 minutes.
constexpr std::int32_t SHEETS_PER_ROW_200K = 6;
constexpr double SHEET_WIDTH_200K_DEG = 1.0;
constexpr double SHEET_HEIGHT_200K_DEG = 2.0 / 3.0;
constexpr double SHEET_HEIGHT_1M_DEG = 4.0;

// Default parallel spacing and latitude minute scale of each series.
constexpr double PARALLEL_STEP_200K_DEG = 1.0 / 6.0;  // 10 minutes
constexpr std::int32_t Y_MINUTE_200K = 1;
constexpr double PARALLEL_STEP_1M_DEG = 2.0 / 3.0;  // 40 minutes
constexpr std::int32_t Y_MINUTE_1M = 10;

// Default meridian spacing (degrees) and longitude minute scale (minutes) by sheet type.
// The triple sheet of the million series and the quadruple sheet of the 1:200 000 series
// have fall-backs although those series do not offer them.
struct MeridianDefaults {
    SheetType type;
    double meridianStep;
    std::int32_t xMinute;
};
constexpr std::array<MeridianDefaults, 4> MERIDIANS_200K = {{
    {SheetType::Standard, 0.25, 1},
    {SheetType::Double, 0.5, 2},
    {SheetType::Triple, 0.75, 5},
    {SheetType::Quadruple, 0.25, 1},  // fall-back
}};
constexpr std::array<MeridianDefaults, 4> MERIDIANS_1M = {{
    {SheetType::Standard, 1.0, 10},
    {SheetType::Double, 2.0, 20},
    {SheetType::Triple, 1.0, 10},  // fall-back
    {SheetType::Quadruple, 4.0, 40},
}};

// A value outside the enumeration never comes from the dialogs or the job file; it gets
// the standard defaults.
MeridianDefaults meridianDefaults(Series setScale, SheetType sheetType) {
    const auto& table = setScale == Series::Scale200k ? MERIDIANS_200K : MERIDIANS_1M;
    const auto found = std::find_if(table.begin(), table.end(),
                                    [&](const MeridianDefaults& m) { return m.type == sheetType; });
    return found != table.end() ? *found : table.front();
}

}  // namespace

BaseParameters computeBaseParameters(Series setScale, std::int32_t yZone, std::int32_t xZone,
                                     std::int32_t sheetNumber, SheetType sheetType) {
    BaseParameters b;
    b.baseYTo = NORTH_EDGE_BASE_DEG - ROW_HEIGHT_DEG * yZone;
    b.baseXFrom = COLUMN_WIDTH_DEG * xZone + COLUMN_OFFSET_DEG;
    if (b.baseXFrom >= FULL_CIRCLE_DEG) b.baseXFrom -= FULL_CIRCLE_DEG;

    if (setScale == Series::Scale200k) {
        const std::int32_t r = (sheetNumber - 1) / SHEETS_PER_ROW_200K;
        const std::int32_t c = sheetNumber - SHEETS_PER_ROW_200K * r - 1;
        b.baseYTo = b.baseYTo - r * SHEET_HEIGHT_200K_DEG;
        b.baseYFrom = b.baseYTo - SHEET_HEIGHT_200K_DEG;
        b.baseXFrom = b.baseXFrom + c * SHEET_WIDTH_200K_DEG;
        b.baseXTo = b.baseXFrom + joinedColumns(sheetType) * SHEET_WIDTH_200K_DEG;
        b.baseParallelStep = PARALLEL_STEP_200K_DEG;
        b.baseYMinute = Y_MINUTE_200K;
    } else {
        b.baseYFrom = b.baseYTo - SHEET_HEIGHT_1M_DEG;
        b.baseXTo = b.baseXFrom + COLUMN_WIDTH_DEG * joinedColumns(sheetType);
        b.baseParallelStep = PARALLEL_STEP_1M_DEG;
        b.baseYMinute = Y_MINUTE_1M;
    }
    const MeridianDefaults m = meridianDefaults(setScale, sheetType);
    b.baseMeridianStep = m.meridianStep;
    b.baseXMinute = m.xMinute;
    return b;
}

void setBaseFromIdentity(SheetParameters& p) {
    const BaseParameters b =
        computeBaseParameters(p.setScale, p.yZone, p.xZone, p.sheetNumber, p.sheetType);
    p.baseXFrom = b.baseXFrom;
    p.baseXTo = b.baseXTo;
    p.baseYFrom = b.baseYFrom;
    p.baseYTo = b.baseYTo;
    p.baseMeridianStep = b.baseMeridianStep;
    p.baseXMinute = b.baseXMinute;
    p.baseParallelStep = b.baseParallelStep;
    p.baseYMinute = b.baseYMinute;
}

void copyBaseToResult(SheetParameters& p) {
    p.xFrom = p.baseXFrom;
    p.xTo = p.baseXTo;
    p.yFrom = p.baseYFrom;
    p.yTo = p.baseYTo;
    p.meridianStep = p.baseMeridianStep;
    p.xMinute = p.baseXMinute;
    p.parallelStep = p.baseParallelStep;
    p.yMinute = p.baseYMinute;
}

}  // namespace sheetbasis
