#pragma once
// The one record of all generation parameters of a sheet, and the base trapezoid
// with default steps that every sheet of the nomenclature has.

#include <cstdint>
#include <string>
#include <tuple>

#include "sheet/CoordinateSystem.h"
#include "sheet/MapScale.h"
#include "sheet/Paper.h"
#include "sheet/Series.h"
#include "sheet/SheetType.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {

// Rows U..K are yZone 1..11; V (0) and J (12) occur only as neighbours.
inline constexpr std::int32_t FIRST_ROW = 1;
inline constexpr std::int32_t LAST_ROW = 11;
// Columns of the international map are 1..60. The program covers 33..60 and, beyond 180
// degrees, 01 and 02: the columns the main dialog offers, west to east.
inline constexpr std::int32_t FIRST_COLUMN = 1;
inline constexpr std::int32_t LAST_COLUMN = 60;
inline constexpr std::int32_t FIRST_EASTERN_COLUMN = 33;
inline constexpr std::int32_t LAST_WESTERN_COLUMN = 2;
constexpr bool isCoveredColumn(std::int32_t xZone) {
    return (xZone >= FIRST_COLUMN && xZone <= LAST_WESTERN_COLUMN) ||
           (xZone >= FIRST_EASTERN_COLUMN && xZone <= LAST_COLUMN);
}

// Which sheet of the nomenclature; the fields mean what they mean in SheetParameters.
struct SheetIdentity {
    Series setScale = Series::Scale200k;
    std::int32_t yZone = 0;
    std::int32_t xZone = 0;
    std::int32_t sheetNumber = 0;
    SheetType sheetType = SheetType::Standard;
    bool operator==(const SheetIdentity&) const = default;
    // The order of sets of sheets; a defaulted <=> trips clang-tidy 14 (modernize-use-nullptr).
    bool operator<(const SheetIdentity& other) const {
        return std::tie(setScale, yZone, xZone, sheetNumber, sheetType) <
               std::tie(other.setScale, other.yZone, other.xZone, other.sheetNumber,
                        other.sheetType);
    }
};

// The fields of the record in their fixed order; the result and the base trapezoid each
// stand for eight of them. Texts hold no padding: a fixed-length, blank-padded text
// corresponds to its value without trailing blanks.
struct SheetParameters {
    CoordinateSystem cs = CoordinateSystem::Sk42;
    Series setScale = Series::Scale200k;
    MapScale mapScale = MapScale::Scale200k;
    std::int32_t yZone = 1;
    std::int32_t xZone = 1;
    std::int32_t sheetNumber = 1;
    SheetType sheetType = SheetType::Standard;
    std::string path;  // the result folder, which receives the HYPS and FRAME sub-folders
    Trapezoid result;  // what is generated: the base one unless changed
    Trapezoid base;    // what computeBaseParameters gives the sheet
    Paper paper = Paper::SmallestIso;  // of the print layout in the sheet's project
};

// The base trapezoid and default steps of the sheet with the given identity. sheetNumber
// is read only in the 1:200 000 series. Cannot fail.
Trapezoid computeBaseParameters(Series setScale, std::int32_t yZone, std::int32_t xZone,
                                std::int32_t sheetNumber, SheetType sheetType);

// The open rectangle that the edges of a result trapezoid must lie in: a given edge may lie
// less than one standard sheet of the series (1 degree by 40 minutes, 6 by 4 degrees) beyond
// the same edge of the base trapezoid. Each edge is bounded on its outer side only.
DrawingRect resultEdgeLimits(const DrawingRect& base, Series setScale);

// An open interval of angles: low < v < high.
struct OpenInterval {
    double low = 0.0;
    double high = 0.0;
    bool holds(double v) const { return low < v && v < high; }
};
// Where each edge of the result trapezoid may lie, the other edges as they are: within
// resultEdgeLimits on its outer side, and short of the opposite edge on its inner side, as
// an empty or inverted trapezoid would make every outline run backwards across the sheet.
struct ResultEdgeRanges {
    OpenInterval west;
    OpenInterval east;
    OpenInterval south;
    OpenInterval north;
};
ResultEdgeRanges resultEdgeRanges(const DrawingRect& base, const DrawingRect& result,
                                  Series setScale);

// Computes the base trapezoid of the record from its identity fields.
void setBaseFromIdentity(SheetParameters& p);

}  // namespace sheetbasis
