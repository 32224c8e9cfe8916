#include "job/ValueReaders.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <utility>

#include "sheet/CoordinateSystem.h"
#include "sheet/Cp1251.h"
#include "sheet/Nomenclature.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// 1:200 000 sheets in a million sheet.
constexpr std::int32_t SHEETS_IN_MILLION_SHEET = 36;
// Sheet-number texts of the dashed spelling, for 1..36.
constexpr std::array<std::string_view, SHEETS_IN_MILLION_SHEET> ROMAN_SHEET_NUMBERS = {
    "I",      "II",   "III", "IV",   "V",     "VI",     "VII",   "VIII", "IX",
    "X",      "XI",   "XII", "XIII", "XIV",   "XV",     "XVI",   "XVII", "XVIII",
    "XIX",    "XX",   "XXI", "XXII", "XXIII", "XXIV",   "XXV",   "XXVI", "XXVII",
    "XXVIII", "XXIX", "XXX", "XXXI", "XXXII", "XXXIII", "XXXIV", "XXXV", "XXXVI"};
constexpr std::string_view ROMAN_DIGITS = "IVX";
// Sheet-type suffixes "(2)", "(3)", "(4)" give the number of joined sheets as a digit.
constexpr std::string_view JOINED_SHEET_DIGITS = "234";
// A joined sheet's name lists its further parts after commas ("T-37-I,II,III").
constexpr char JOINED_PART_SEPARATOR = ',';
// A job file gives a map scale's denominator in thousands.
constexpr std::int32_t JOB_SCALE_UNIT = 1000;
// Fewest characters of a sheet name ("N37") and of a folder ("D:\").
constexpr std::size_t SHORTEST_SHEET_NAME = 3;
constexpr std::size_t SHORTEST_FOLDER = 3;
// Folder texts of job files written on Windows end with a backslash.
constexpr char FOREIGN_FOLDER_SEPARATOR = '\\';

// The only character that pads a text; other white space is content.
constexpr char BLANK = ' ';

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number of two decimal digits at the front of text, if there are two.
std::optional<std::int32_t> twoDigits(std::string_view text) {
    if (text.size() < 2 || !isDigit(text[0]) || !isDigit(text[1])) {
        return std::nullopt;
    }
    return (text[0] - '0') * 10 + (text[1] - '0');
}

bool isCovered(const SheetIdentity& sheet) {
    return sheet.yZone >= FIRST_ROW && sheet.yZone <= LAST_ROW && isCoveredColumn(sheet.xZone);
}

// The 0-based position of the value (blanks around it aside) in the list of texts.
template <typename List>
std::optional<std::int32_t> positionIn(const List& texts, std::string_view value) {
    const std::string text = trimBoth(value);
    const auto found = std::find(std::begin(texts), std::end(texts), text);
    if (found == std::end(texts)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(found - std::begin(texts));
}

// The Latin capitals C and K replaced by the Cyrillic С and К they look like. Job files
// have always spelt the names with Latin C and K ("CK-42", "ГCK-2011"), the dialogs show
// them in Cyrillic, and neither the user nor the eye can tell the two apart.
std::string withCyrillicLookAlikes(std::string_view text) {
    static const std::array<std::pair<char, char>, 2> lookAlikes = {
        {{'C', cp1251("С").front()}, {'K', cp1251("К").front()}}};
    std::string result(text);
    for (char& c : result) {
        for (const auto& [latin, cyrillic] : lookAlikes) {
            if (c == latin) c = cyrillic;
        }
    }
    return result;
}

std::string_view skipBlanks(std::string_view text) {
    return text.substr(std::min(text.find_first_not_of(BLANK), text.size()));
}

// A sheet number taken off the front of a name: Read with the number, NoSuchSheetNumber for
// a numeral or two digits beyond the 36 sheets, NotASheetName for anything else.
struct SheetNumberTaken {
    SheetNameStatus status = SheetNameStatus::NotASheetName;
    std::int32_t number = 0;
};

// Dashed spelling: "-" and a Roman numeral, taken off the front of rest.
SheetNumberTaken takeRomanSheetNumber(std::string_view& rest) {
    if (!rest.starts_with('-')) {
        return {};  // also when a blank stands before the "-"
    }
    rest.remove_prefix(1);
    const std::size_t runEnd = std::min(rest.find_first_not_of(ROMAN_DIGITS), rest.size());
    const std::string_view run = rest.substr(0, runEnd);
    rest.remove_prefix(runEnd);
    if (run.empty()) return {};
    const auto position = positionIn(ROMAN_SHEET_NUMBERS, run);
    if (!position) return {SheetNameStatus::NoSuchSheetNumber};
    return {SheetNameStatus::Read, *position + 1};
}

// Undashed spelling: two digits 01..36, taken off the front of the left-adjusted rest.
SheetNumberTaken takeTwoDigitSheetNumber(std::string_view& rest) {
    rest = skipBlanks(rest);
    const auto number = twoDigits(rest);
    if (!number) return {};
    if (*number < 1 || *number > SHEETS_IN_MILLION_SHEET) {
        return {SheetNameStatus::NoSuchSheetNumber};
    }
    rest.remove_prefix(2);
    return {SheetNameStatus::Read, *number};
}

// The sheet type of the suffix "(2)", "(3)", "(4)" (blanks allowed before and inside), or
// standard when nothing but blanks remains.
std::optional<SheetType> sheetTypeOf(std::string_view rest) {
    rest = skipBlanks(rest);
    if (rest.empty()) {
        return SheetType::Standard;
    }
    if (!rest.starts_with('(')) {
        return std::nullopt;
    }
    rest = skipBlanks(rest.substr(1));
    if (rest.empty() || JOINED_SHEET_DIGITS.find(rest.front()) == std::string_view::npos) {
        return std::nullopt;
    }
    const std::int32_t columns = rest.front() - '0';
    rest = skipBlanks(rest.substr(1));
    if (!rest.starts_with(')') || !isBlank(rest.substr(1))) {
        return std::nullopt;
    }
    return sheetTypeOfColumns(columns);
}

// The sheet type of the further parts of a joined sheet's name (",II,III", ",38-I",
// ",38,39,40", blanks allowed around the commas): the parts must be the ones the program
// writes for the sheet, each the eastern neighbour of the one before.
std::optional<SheetType> joinedSheetTypeOf(std::string_view rest, const SheetIdentity& first) {
    std::string parts;
    std::int32_t columns = joinedColumns(SheetType::Standard);
    rest = skipBlanks(rest);
    while (rest.starts_with(JOINED_PART_SEPARATOR)) {
        rest.remove_prefix(1);
        const std::size_t end = std::min(rest.find(JOINED_PART_SEPARATOR), rest.size());
        parts += JOINED_PART_SEPARATOR + trimBoth(rest.substr(0, end));
        rest.remove_prefix(end);
        ++columns;
    }
    const std::optional<SheetType> type = sheetTypeOfColumns(columns);
    if (!type || parts != joinedPartsText(first.setScale, first.xZone, first.sheetNumber, *type)) {
        return std::nullopt;
    }
    return type;
}

// A sheet of the international map, rows A..V and columns 01..60, its letters already
// canonical; whether the program covers it is checked apart.
SheetNameReading parseSheetName(std::string_view value) {
    const std::string name = trimBoth(value);
    if (name.size() < SHORTEST_SHEET_NAME) {
        return {};
    }
    // A name without a sheet number is a million sheet.
    SheetIdentity id{.setScale = Series::Scale1m};
    const auto row = rowOfLetter(name.front());
    if (!row) {
        return {};
    }
    id.yZone = *row;
    std::string_view rest = std::string_view(name).substr(1);
    const bool dashed = rest.starts_with('-');
    if (dashed) {
        rest.remove_prefix(1);
    }
    const auto column = twoDigits(rest);
    if (!column || *column < FIRST_COLUMN || *column > LAST_COLUMN) {
        return {};
    }
    id.xZone = *column;
    rest.remove_prefix(2);
    const std::string_view adjusted = skipBlanks(rest);
    if (!adjusted.empty() && !adjusted.starts_with('(') &&
        !adjusted.starts_with(JOINED_PART_SEPARATOR)) {
        const SheetNumberTaken number =
            dashed ? takeRomanSheetNumber(rest) : takeTwoDigitSheetNumber(rest);
        if (number.status != SheetNameStatus::Read) {
            return {number.status, {}};
        }
        id.setScale = Series::Scale200k;
        id.sheetNumber = number.number;
    }
    // Joined parts follow the dashed spelling, the one the program writes.
    const bool joined = skipBlanks(rest).starts_with(JOINED_PART_SEPARATOR);
    if (joined && !dashed) {
        return {};
    }
    const auto type = joined ? joinedSheetTypeOf(rest, id) : sheetTypeOf(rest);
    if (!type) {
        return {joined ? SheetNameStatus::NotJoinedParts : SheetNameStatus::NotASheetName, {}};
    }
    id.sheetType = *type;
    return {SheetNameStatus::Read, id};
}

}  // namespace

SheetNameReading readSheetIdentity(std::string_view value) {
    const SheetNameReading reading = parseSheetName(withNameLetters(value));
    if (reading.status == SheetNameStatus::Read && !isCovered(reading.sheet)) {
        return {SheetNameStatus::OutsideCoverage, {}};
    }
    return reading;
}

std::string sheetNameRule(SheetNameStatus status) {
    switch (status) {
        case SheetNameStatus::NoSuchSheetNumber:
            return "sheets of a million sheet run I..XXXVI (01..36 without dashes)";
        case SheetNameStatus::OutsideCoverage:
            return std::string(OUTSIDE_COVERAGE);
        case SheetNameStatus::NotJoinedParts:
            return "not a sheet name: a joined sheet lists its eastern neighbours in turn, such "
                   "as T-37-I,II,III or U-60,01";
        default:
            return "not a sheet name: a row U..K, a column 01, 02 or 33..60 and, for a sheet of "
                   "1:200 000, its number I..XXXVI, such as N-37 or N-37-XXXVI";
    }
}

ValueStatus applySheetName(std::string_view value, SheetParameters& p) {
    const SheetNameReading reading = readSheetIdentity(value);
    if (reading.status != SheetNameStatus::Read) {
        return ValueStatus::Rejected;
    }
    const SheetIdentity& id = reading.sheet;
    p.setScale = id.setScale;
    p.yZone = id.yZone;
    p.xZone = id.xZone;
    p.sheetNumber = id.sheetNumber;
    p.sheetType = id.sheetType;
    setBaseFromIdentity(p);
    return ValueStatus::Accepted;
}

ValueStatus parseCoordinateSystem(std::string_view value, CoordinateSystem& cs) {
    std::array<std::string, COORDINATE_SYSTEMS.size()> names;
    std::transform(COORDINATE_SYSTEMS.begin(), COORDINATE_SYSTEMS.end(), names.begin(),
                   [](CoordinateSystem system) { return cp1251(coordinateSystemName(system)); });
    const auto position = positionIn(names, withCyrillicLookAlikes(value));
    if (!position) {
        return ValueStatus::Rejected;
    }
    cs = COORDINATE_SYSTEMS[static_cast<std::size_t>(*position)];
    return ValueStatus::Accepted;
}

ValueStatus parseMapScale(Series setScale, std::string_view value, MapScale& mapScale) {
    const std::string text = trimBoth(value);
    for (const MapScale scale : mapScalesOf(setScale)) {
        if (text == std::to_string(denominatorOf(scale) / JOB_SCALE_UNIT)) {
            mapScale = scale;
            return ValueStatus::Accepted;
        }
    }
    return ValueStatus::Rejected;
}

ValueStatus parseResultFolder(std::string_view value, std::string& path) {
    return readUtf8Path(cp1251ToUtf8(value), path);
}

ValueStatus readUtf8Path(std::string_view value, std::string& path) {
    std::string folder = trimBoth(value);
    if (utf8CharacterCount(folder) < SHORTEST_FOLDER) {
        return ValueStatus::Rejected;
    }
    if (folder.back() == FOREIGN_FOLDER_SEPARATOR) {
        folder.back() = FOLDER_SEPARATOR;
    } else if (folder.back() != FOLDER_SEPARATOR) {
        folder.push_back(FOLDER_SEPARATOR);
    }
    // Refused here, before the folder is made, rather than cut into another folder later.
    if (utf8CharacterCount(folder) > RESULT_FOLDER_LENGTH) {
        return ValueStatus::Rejected;
    }
    path = folder;
    return ValueStatus::Accepted;
}

}  // namespace sheetbasis
