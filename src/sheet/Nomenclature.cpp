#include "sheet/Nomenclature.h"

#include <array>
#include <string_view>

#include "sheet/Cp1251.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

namespace {

// Never produced by valid rows; keeps a corrupt yZone from reading past the table.
constexpr char UNKNOWN_ROW_LETTER = '?';

// The southernmost rows with joined sheets: T (2) for the widest, Q (5) for double sheets.
constexpr std::int32_t LAST_WIDEST_JOINED_ROW = 2;
constexpr std::int32_t LAST_DOUBLE_ROW = 5;

// A million sheet holds 6 x 6 sheets of 1:200 000, numbered row by row from the
// north-west corner.
constexpr std::int32_t SHEETS_PER_SIDE_200K = 6;
constexpr std::int32_t LAST_INDEX_200K = SHEETS_PER_SIDE_200K - 1;

// Roman numerals: X repeated for the tens, then the units digit.
constexpr std::int32_t ROMAN_TEN = 10;
constexpr std::int32_t ROMAN_LIMIT = 40;  // the table covers 0..39, enough for 1..36
constexpr std::array<std::string_view, ROMAN_TEN> ROMAN_UNITS = {"",  "I",  "II",  "III",  "IV",
                                                                 "V", "VI", "VII", "VIII", "IX"};

// The Cyrillic letters typed for the Latin letters of names, with the letter each stands
// for. All but Н look like their Latin letter; Н looks like H but is how Russian texts write
// the N of a row ("Н-37"), and row H is no row the program covers.
struct NameLetter {
    std::string_view capital;  // UTF-8
    std::string_view small;    // UTF-8
    char latin;
};
constexpr NameLetter CYRILLIC_NAME_LETTERS[] = {{"А", "а", 'A'}, {"В", "в", 'B'}, {"Е", "е", 'E'},
                                                {"К", "к", 'K'}, {"М", "м", 'M'}, {"Н", "н", 'N'},
                                                {"О", "о", 'O'}, {"Р", "р", 'P'}, {"С", "с", 'C'},
                                                {"Т", "т", 'T'}, {"Х", "х", 'X'}, {"І", "і", 'I'}};
constexpr std::size_t BYTE_VALUES = 256;

// The letter each byte of a name stands for: itself, but a Latin capital for the Latin
// small letters and the Cyrillic letters of the table.
std::array<char, BYTE_VALUES> nameLetterTable() {
    std::array<char, BYTE_VALUES> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte) table[byte] = static_cast<char>(byte);
    for (char c = 'a'; c <= 'z'; ++c) {
        table[static_cast<unsigned char>(c)] = static_cast<char>(c - 'a' + 'A');
    }
    for (const NameLetter& letter : CYRILLIC_NAME_LETTERS) {
        for (const std::string_view cyrillic : {letter.capital, letter.small}) {
            table[static_cast<unsigned char>(cp1251(cyrillic).front())] = letter.latin;
        }
    }
    return table;
}

struct Identity {
    std::int32_t yZone;
    std::int32_t xZone;
    std::int32_t sheetNumber;
};

// Row r (0 = north) and column c (0 = west) of a 1:200 000 sheet inside its million sheet.
struct Cell {
    std::int32_t r;
    std::int32_t c;
};

Cell cellOf(std::int32_t sheetNumber) {
    const std::int32_t r = (sheetNumber - 1) / SHEETS_PER_SIDE_200K;
    return {r, sheetNumber - SHEETS_PER_SIDE_200K * r - 1};
}

std::int32_t numberOf(Cell cell) {
    return SHEETS_PER_SIDE_200K * cell.r + cell.c + 1;
}

char rowLetter(std::int32_t yZone) {
    const bool known = yZone >= 0 && static_cast<std::size_t>(yZone) < WORLD_ROW_LETTERS.size();
    return known ? WORLD_ROW_LETTERS[static_cast<std::size_t>(yZone)] : UNKNOWN_ROW_LETTER;
}

// Columns are always written with two digits ("01".."60").
std::string twoDigits(std::int32_t column) {
    std::string text = std::to_string(column);
    return column >= 0 && column < 10 ? "0" + text : text;
}

Identity adjacentSheet(Direction direction, Series setScale, Identity sheet, SheetType sheetType) {
    const bool eastWest = direction == Direction::West || direction == Direction::East;
    const bool positive = direction == Direction::East || direction == Direction::North;
    if (eastWest) {
        // A joined sheet's neighbour lies a whole joined width away.
        for (std::int32_t step = 0; step < joinedColumns(sheetType); ++step) {
            if (setScale == Series::Scale200k) {
                const Sheet200Column next =
                    adjacentSheet200EastWest(positive, sheet.xZone, sheet.sheetNumber);
                sheet.xZone = next.xZone;
                sheet.sheetNumber = next.sheetNumber;
            } else {
                sheet.xZone = positive ? nextColumnEast(sheet.xZone) : nextColumnWest(sheet.xZone);
            }
        }
    } else if (setScale == Series::Scale200k) {
        const Sheet200Row next =
            adjacentSheet200NorthSouth(positive, sheet.yZone, sheet.sheetNumber);
        sheet.yZone = next.yZone;
        sheet.sheetNumber = next.sheetNumber;
    } else {
        sheet.yZone += positive ? -1 : 1;  // row numbers grow southward
    }
    return sheet;
}

}  // namespace

std::int32_t nextColumnEast(std::int32_t xZone) {
    return xZone == LAST_COLUMN ? FIRST_COLUMN : xZone + 1;
}

std::int32_t nextColumnWest(std::int32_t xZone) {
    return xZone == FIRST_COLUMN ? LAST_COLUMN : xZone - 1;
}

Sheet200Column adjacentSheet200EastWest(bool east, std::int32_t xZone, std::int32_t sheetNumber) {
    Cell cell = cellOf(sheetNumber);
    cell.c += east ? 1 : -1;
    std::int32_t column = xZone;
    if (cell.c > LAST_INDEX_200K) {
        column = nextColumnEast(xZone);
        cell.c = 0;
    } else if (cell.c < 0) {
        column = nextColumnWest(xZone);
        cell.c = LAST_INDEX_200K;
    }
    return {column, numberOf(cell)};
}

Sheet200Row adjacentSheet200NorthSouth(bool north, std::int32_t yZone, std::int32_t sheetNumber) {
    Cell cell = cellOf(sheetNumber);
    cell.r += north ? -1 : 1;
    std::int32_t row = yZone;
    if (cell.r > LAST_INDEX_200K) {
        row = yZone + 1;
        cell.r = 0;
    } else if (cell.r < 0) {
        row = yZone - 1;
        cell.r = LAST_INDEX_200K;
    }
    return {row, numberOf(cell)};
}

std::vector<SheetType> offeredSheetTypes(Series setScale, std::int32_t yZone) {
    const SheetType widest =
        setScale == Series::Scale200k ? SheetType::Triple : SheetType::Quadruple;
    if (yZone <= LAST_WIDEST_JOINED_ROW) return {widest, SheetType::Double, SheetType::Standard};
    if (yZone <= LAST_DOUBLE_ROW) return {SheetType::Double, SheetType::Standard};
    return {SheetType::Standard};
}

std::optional<std::int32_t> rowOfLetter(char letter) {
    const char upper =
        letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
    const std::size_t i = WORLD_ROW_LETTERS.find(upper);
    if (i == std::string_view::npos) return std::nullopt;
    return static_cast<std::int32_t>(i);
}

std::string withNameLetters(std::string_view cp1251Text) {
    static const std::array<char, BYTE_VALUES> letters = nameLetterTable();
    std::string text(cp1251Text);
    for (char& c : text) c = letters[static_cast<unsigned char>(c)];
    return text;
}

std::string toRomanNumerals(std::int32_t n) {
    // Outside the table there is no sheet to name; an empty numeral is safer than a read
    // before the units table or an endless run of X.
    if (n < 0 || n >= ROMAN_LIMIT) return {};
    const std::int32_t tens = n / ROMAN_TEN;
    const std::int32_t units = n - ROMAN_TEN * tens;
    std::string text(static_cast<std::size_t>(tens), 'X');
    text += ROMAN_UNITS[static_cast<std::size_t>(units)];
    return text;
}

std::string joinedPartsText(Series setScale, std::int32_t xZone, std::int32_t sheetNumber,
                            SheetType sheetType) {
    std::string parts;
    std::int32_t column = xZone;
    std::int32_t number = sheetNumber;
    for (std::int32_t part = 1; part < joinedColumns(sheetType); ++part) {
        parts += ',';
        if (setScale == Series::Scale200k) {
            const Sheet200Column next = adjacentSheet200EastWest(true, column, number);
            if (next.xZone != column) parts += twoDigits(next.xZone) + "-";
            column = next.xZone;
            number = next.sheetNumber;
            parts += toRomanNumerals(number);
        } else {
            column = nextColumnEast(column);
            parts += twoDigits(column);
        }
    }
    return parts;
}

std::string sheetNameOf(Series setScale, std::int32_t yZone, std::int32_t xZone,
                        std::int32_t sheetNumber, SheetType sheetType) {
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) about "-" + std::string.
    std::string name(1, rowLetter(yZone));
    name.append(1, '-').append(twoDigits(xZone));
    if (setScale == Series::Scale200k) name.append(1, '-').append(toRomanNumerals(sheetNumber));
    return name.append(joinedPartsText(setScale, xZone, sheetNumber, sheetType));
}

std::string adjacentSheetName(Direction direction, Series setScale, std::int32_t yZone,
                              std::int32_t xZone, std::int32_t sheetNumber, SheetType sheetType) {
    const Identity next =
        adjacentSheet(direction, setScale, {yZone, xZone, sheetNumber}, sheetType);
    return sheetNameOf(setScale, next.yZone, next.xZone, next.sheetNumber, sheetType);
}

}  // namespace sheetbasis
