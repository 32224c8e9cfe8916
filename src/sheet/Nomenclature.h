#pragma once
// Names of sheets of the international map nomenclature (N-37, N-37-XXXVI, joined sheets
// such as P-37-VI,38-I or T-37,38,39,40) and the identity of their neighbours.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/Series.h"
#include "sheet/SheetType.h"

namespace sheetbasis {

// Rows of the international map in yZone order, V (0) at the pole down to A (21) at the
// equator. The program covers U..K (1..11); V names the north neighbour of U, J the south
// neighbour of K.
inline constexpr std::string_view WORLD_ROW_LETTERS = "VUTSRQPONMLKJIHGFEDCBA";

// The row (yZone) of a row letter in either case, or nothing for another character.
std::optional<std::int32_t> rowOfLetter(char letter);

// A Windows-1251 text with the letters of sheet names written as the program writes them:
// Latin small letters become capitals, and so do the Cyrillic letters that people type for
// them because they look the same or stand for them in Russian texts (А В Е К М Н О Р С Т Х
// in either case, and the І of Roman numerals). Every other byte stays as it is, so a text
// that is no name stays no name.
std::string withNameLetters(std::string_view cp1251Text);

// The sheet types the series offers in a row (yZone), widest first, the standard sheet
// last: near the pole neighbouring sheets are joined so that a sheet keeps a useful width,
// triple (1:200 000 series) or quadruple (million series) and double sheets in rows U and
// T, double sheets in rows S, R and Q, none further south.
std::vector<SheetType> offeredSheetTypes(Series setScale, std::int32_t yZone);

// The side of a sheet on which a neighbour lies.
enum class Direction { West, East, North, South };

// Position of a 1:200 000 sheet: the million-sheet row or column and its number 1..36.
struct Sheet200Column {
    std::int32_t xZone;
    std::int32_t sheetNumber;
};
struct Sheet200Row {
    std::int32_t yZone;
    std::int32_t sheetNumber;
};

// The sheet's name (never contains a blank). yZone 0..12 (V..J), xZone 1..60.
std::string sheetNameOf(Series setScale, std::int32_t yZone, std::int32_t xZone,
                        std::int32_t sheetNumber, SheetType sheetType);
// What a joined sheet's name adds after its first part: ",II,III", ",38-I", ",38,39,40"
// ("" for a standard sheet). It does not depend on the row.
std::string joinedPartsText(Series setScale, std::int32_t xZone, std::int32_t sheetNumber,
                            SheetType sheetType);
// The name of the neighbouring sheet in the given direction; it keeps the series and type.
std::string adjacentSheetName(Direction direction, Series setScale, std::int32_t yZone,
                              std::int32_t xZone, std::int32_t sheetNumber, SheetType sheetType);
// Next column eastward (60 is followed by 1) and westward (1 is preceded by 60).
std::int32_t nextColumnEast(std::int32_t xZone);
std::int32_t nextColumnWest(std::int32_t xZone);
// The 1:200 000 sheet next to the given one eastward (east = true) or westward.
Sheet200Column adjacentSheet200EastWest(bool east, std::int32_t xZone, std::int32_t sheetNumber);
// The 1:200 000 sheet next to the given one northward (north = true) or southward.
Sheet200Row adjacentSheet200NorthSouth(bool north, std::int32_t yZone, std::int32_t sheetNumber);
// Roman numerals for 0..39 without padding ("" for 0, "XXXVI" for 36).
std::string toRomanNumerals(std::int32_t n);

}  // namespace sheetbasis
