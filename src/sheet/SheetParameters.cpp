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
constexpr double SHEET_WIDTH_1M_DEG = COLUMN_WIDTH_DEG;

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

Trapezoid computeBaseParameters(Series setScale, std::int32_t yZone, std::int32_t xZone,
                                std::int32_t sheetNumber, SheetType sheetType) {
    Trapezoid b;
    DrawingRect& e = b.edges;
    e.north = NORTH_EDGE_BASE_DEG - ROW_HEIGHT_DEG * yZone;
    e.west = COLUMN_WIDTH_DEG * xZone + COLUMN_OFFSET_DEG;
    if (e.west >= FULL_CIRCLE_DEG) e.west -= FULL_CIRCLE_DEG;

    if (setScale == Series::Scale200k) {
        const std::int32_t r = (sheetNumber - 1) / SHEETS_PER_ROW_200K;
        const std::int32_t c = sheetNumber - SHEETS_PER_ROW_200K * r - 1;
        e.north = e.north - r * SHEET_HEIGHT_200K_DEG;
        e.south = e.north - SHEET_HEIGHT_200K_DEG;
        e.west = e.west + c * SHEET_WIDTH_200K_DEG;
        e.east = e.west + joinedColumns(sheetType) * SHEET_WIDTH_200K_DEG;
        b.parallelStep = PARALLEL_STEP_200K_DEG;
        b.yMinute = Y_MINUTE_200K;
    } else {
        e.south = e.north - SHEET_HEIGHT_1M_DEG;
        e.east = e.west + COLUMN_WIDTH_DEG * joinedColumns(sheetType);
        b.parallelStep = PARALLEL_STEP_1M_DEG;
        b.yMinute = Y_MINUTE_1M;
    }
    const MeridianDefaults m = meridianDefaults(setScale, sheetType);
    b.meridianStep = m.meridianStep;
    b.xMinute = m.xMinute;
    return b;
}

DrawingRect resultEdgeLimits(const DrawingRect& base, Series setScale) {
    const bool series200k = setScale == Series::Scale200k;
    const double dLon = series200k ? SHEET_WIDTH_200K_DEG : SHEET_WIDTH_1M_DEG;
    const double dLat = series200k ? SHEET_HEIGHT_200K_DEG : SHEET_HEIGHT_1M_DEG;
    return {base.west - dLon, base.east + dLon, base.south - dLat, base.north + dLat};
}

ResultEdgeRanges resultEdgeRanges(const DrawingRect& base, const DrawingRect& result,
                                  Series setScale) {
    const DrawingRect limits = resultEdgeLimits(base, setScale);
    return {{limits.west, result.east},
            {result.west, limits.east},
            {limits.south, result.north},
            {result.south, limits.north}};
}

void setBaseFromIdentity(SheetParameters& p) {
    p.base = computeBaseParameters(p.setScale, p.yZone, p.xZone, p.sheetNumber, p.sheetType);
}

}  // namespace sheetbasis
