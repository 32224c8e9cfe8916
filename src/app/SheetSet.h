#pragma once
// Sets of sheets of one series: the text of a set ("N-37-XXXVI,N-37,N..P:37..40,all",
// "bbox:36,52,38.5,53") expanded into the sheets a run generates, with joined sheets near
// the pole laid out so that a whole row tiles without gaps or overlaps.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/SheetArea.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

struct SheetSetExpansion {
    std::vector<SheetIdentity> sheets;  // each sheet once, in the order the set names them
    std::string error;                  // empty when the whole set was understood
};

// Expands a comma-separated set for the series setScale (Series::Scale200k or Series::Scale1m).
// Items:
//   a sheet name as a job file takes it ("N-37-XXXVI", "P-37-I(2)", "T-37(4)", and joined
//   sheets as the program names them, "T-37-I,II,III", whose commas join rather than
//   separate): that sheet;
//   a million sheet in the 1:200 000 series ("N-37"): its 36 sheets, polar layout;
//   a block "N..P:37..40" (either side may be one row or column, columns run eastward
//   through 60 to 01 and 02): all its sheets of the series, polar layout;
//   "all": every row U..K and the 30 columns 33..60, 01, 02, polar layout;
//   an area, "bbox:W,S,E,N" (the sheets that share area with the box) or "at:LON,LAT" (the
//   sheet that holds the point, east and north of it on an edge): its sheets, joined as in
//   a block; an area reaching outside the covered rows and columns is refused.
SheetSetExpansion expandSheetSet(std::string_view set, Series setScale);

// The joined sheet type a whole row of the series uses in row yZone: the largest type the
// main dialog offers there (standard south of Q).
SheetType polarSheetType(Series setScale, std::int32_t yZone);

// The sheet's name in the spelling of a job file's "Nom" entry ("T-37-I(3)").
std::string jobSheetName(const SheetIdentity& sheet);

// The sheet's nominal trapezoid in degrees, longitudes on the 0..360 scale.
DrawingRect trapezoidOf(const SheetIdentity& sheet);

}  // namespace sheetbasis
