#pragma once
// The one record of all generation parameters of a sheet, and the base trapezoid
// with default steps that every sheet of the nomenclature has.

#include <cstdint>
#include <string>
#include <tuple>

#include "sheet/CoordinateSystem.h"
#include "sheet/MapScale.h"
#include "sheet/Series.h"
#include "sheet/SheetType.h"

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

// The 25 fields in their fixed order. Texts hold no padding: a fixed-length, blank-padded
// text corresponds to its value without trailing blanks.
struct SheetParameters {
    CoordinateSystem cs = CoordinateSystem::Sk42;
    Series setScale = Series::Scale200k;
    MapScale mapScale = MapScale::Scale200k;
    std::int32_t yZone = 1;
    std::int32_t xZone = 1;
    std::int32_t sheetNumber = 1;
    SheetType sheetType = SheetType::Standard;
    std::string path;          // result folder; after prepareResultFolders the HYPS sub-folder
    std::string outputFolder;  // after prepareResultFolders the FRAME sub-folder
    double xFrom = 0.0;
    double xTo = 0.0;
    double yFrom = 0.0;
    double yTo = 0.0;
    double meridianStep = 0.0;
    std::int32_t xMinute = 0;
    double parallelStep = 0.0;
    std::int32_t yMinute = 0;
    double baseXFrom = 0.0;
    double baseXTo = 0.0;
    double baseYFrom = 0.0;
    double baseYTo = 0.0;
    double baseMeridianStep = 0.0;
    std::int32_t baseXMinute = 0;
    double baseParallelStep = 0.0;
    std::int32_t baseYMinute = 0;
};

// Fields 18..25 of the record: the nominal trapezoid and default steps of a sheet.
struct BaseParameters {
    double baseXFrom = 0.0;
    double baseXTo = 0.0;
    double baseYFrom = 0.0;
    double baseYTo = 0.0;
    double baseMeridianStep = 0.0;
    std::int32_t baseXMinute = 0;
    double baseParallelStep = 0.0;
    std::int32_t baseYMinute = 0;
};

// The base trapezoid and default steps of the sheet with the given identity. sheetNumber
// is read only in the 1:200 000 series. Cannot fail.
BaseParameters computeBaseParameters(Series setScale, std::int32_t yZone, std::int32_t xZone,
                                     std::int32_t sheetNumber, SheetType sheetType);

// Computes the base fields of the record from its identity fields (2, 4, 5, 6, 7).
void setBaseFromIdentity(SheetParameters& p);
// Copies the base fields into the result fields (10 = 18, ..., 17 = 25).
void copyBaseToResult(SheetParameters& p);

}  // namespace sheetbasis
