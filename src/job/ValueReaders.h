#pragma once
// Readers of the values of job-file entries: the sheet name of "Nom", the coordinate
// system of "CS", the map scale of "MapScale" and the result folder of "Path". Values
// are Windows-1251 texts; blanks around them do not count.

#include <cstdint>
#include <string>
#include <string_view>

#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Statuses of readJobEntry and of the value readers.
enum class ValueStatus {
    Accepted = 0,
    Rejected = 1,
};

enum class SheetNameStatus {
    Read,
    NotASheetName,
    // A sheet of the international map in a row or column the program does not cover
    // ("N-31", "A-37").
    OutsideCoverage,
    // A Roman numeral or two digits that number none of the 36 sheets ("N-37-XXXVII",
    // "N3700").
    NoSuchSheetNumber,
    // Further parts after commas that are not the sheet's eastern neighbours in turn
    // ("T-37-I,II,IV").
    NotJoinedParts,
};

// What the program covers, for refusals of names and areas beyond it.
inline constexpr std::string_view OUTSIDE_COVERAGE =
    "outside the rows K..U and columns 33..60, 01, 02 that the program covers";

struct SheetNameReading {
    SheetNameStatus status = SheetNameStatus::NotASheetName;
    SheetIdentity sheet;  // when Read
};

// A sheet name such as "N-37", "n37", "N-37-XII", "N3712", "P-37 (2)", or a joined sheet's
// name as the program writes it ("T-37-I,II,III", "P-37-VI,38-I", "U-60,01"). Windows-1251
// text; letters in either case and Cyrillic look-alikes count as their Latin capitals
// (withNameLetters), so "н-37-хii" is N-37-XII.
SheetNameReading readSheetIdentity(std::string_view value);
// What a name must be, told for a reading that is not Read: "sheets of a million sheet run
// I..XXXVI" for NoSuchSheetNumber, and so on.
std::string sheetNameRule(SheetNameStatus status);

// readSheetIdentity into the record: on acceptance sets setScale, yZone, xZone,
// sheetNumber, sheetType and the base fields; on rejection leaves the record untouched.
ValueStatus applySheetName(std::string_view value, SheetParameters& p);
// The coordinate-system names "СК-42", "СК-95", "ГСК-2011", "ГСК-2011 / СК-42" (cs 1..4),
// each С and К in Latin or Cyrillic letters ("CK-42", "ГCK-2011 / СК-42").
ValueStatus parseCoordinateSystem(std::string_view value, CoordinateSystem& cs);
// The map-scale denominator in thousands ("200", ..., "5000") of a scale the series setScale
// offers.
ValueStatus parseMapScale(Series setScale, std::string_view value, MapScale& mapScale);
// The folder comes back as a native (UTF-8) path that ends with the separator "/"; a
// trailing "\" is taken as the separator. A folder (separator included) that leaves no room
// in the folder text for its sub-folders, RESULT_FOLDER_LENGTH characters at most, is
// refused rather than cut into another folder later.
ValueStatus parseResultFolder(std::string_view value, std::string& path);
// parseResultFolder on a UTF-8 value, which may hold any character the file system takes.
ValueStatus readUtf8Path(std::string_view value, std::string& path);

}  // namespace sheetbasis
